// The process's current directory as calls switch it. Built-in and routine
// calls run in the directory of the script file that contains the call; the
// tracker remembers which directory the process is in, so a call whose
// directory is already current costs no system call.
#pragma once

#include <string>

namespace pelorn::interp {

class DirectoryTracker {
public:
    // Re-reads the process directory (start of every run).
    void reset();
    // The directory the process is in; pass it to restore() later.
    const std::string *current() const { return current_; }
    // Makes `directory` current. A directory that cannot be entered leaves
    // the process where it was, as the platform's call does.
    void enter(const std::string &directory);
    void restore(const std::string *saved) { enter(*saved); }

private:
    std::string start_;
    const std::string *current_ = &start_;
};

} // namespace pelorn::interp
