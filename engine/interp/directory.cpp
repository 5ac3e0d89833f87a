// Switching the process directory for native code, lazily.
#include "interp/directory.h"

#include <cerrno>
#include <unistd.h>

namespace pelorn::interp {

void DirectoryTracker::reset()
{
    start_.assign(256, '\0');
    while (getcwd(start_.data(), start_.size()) == nullptr) {
        if (errno != ERANGE) { // no readable directory: coming back is a no-op
            start_.clear();
            break;
        }
        start_.assign(start_.size() * 2, '\0');
    }
    start_.resize(start_.find('\0'));
    wanted_ = &start_;
    actual_ = &start_;
}

void DirectoryTracker::sync()
{
    if (actual_ == wanted_)
        return;
    // Texts held by different files (or the start directory) may name the
    // same directory; only a real change costs a chdir.
    if (*actual_ == *wanted_ || chdir(wanted_->c_str()) == 0)
        actual_ = wanted_;
}

void DirectoryTracker::finish()
{
    wanted_ = &start_;
    sync();
}

} // namespace pelorn::interp
