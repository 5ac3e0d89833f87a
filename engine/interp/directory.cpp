// Switching the process directory around calls, with a cache of where it is.
#include "interp/directory.h"

#include <cerrno>
#include <unistd.h>

namespace pelorn::interp {

void DirectoryTracker::reset()
{
    start_.assign(256, '\0');
    while (getcwd(start_.data(), start_.size()) == nullptr) {
        if (errno != ERANGE) { // no readable directory: restoring is a no-op
            start_.clear();
            current_ = &start_;
            return;
        }
        start_.assign(start_.size() * 2, '\0');
    }
    start_.resize(start_.find('\0'));
    current_ = &start_;
}

void DirectoryTracker::enter(const std::string &directory)
{
    if (current_ == &directory)
        return;
    // Texts held by different files (or the start directory) may name the
    // same directory; only a real change costs a chdir.
    if (*current_ == directory || chdir(directory.c_str()) == 0)
        current_ = &directory;
}

} // namespace pelorn::interp
