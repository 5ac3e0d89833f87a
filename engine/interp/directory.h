// The process's current directory as calls switch it.
//
// A call runs "in" the directory of the script file that holds it, and the
// directory before the call comes back afterwards. Only native code can
// see the process directory, so the switch is made lazily: the tracker
// keeps the directory the run should be in (`wanted`), and the process
// changes directory (`sync`) only when native code that may use relative
// paths is about to run and the process is somewhere else. A loop of calls
// in one directory therefore costs no system call at all.
#pragma once

#include <string>

namespace pelorn::interp {

class DirectoryTracker {
public:
    // Re-reads the process directory (start of every run).
    void reset();
    // The directory the run should be in; pass it to want() to come back.
    const std::string *wanted() const { return wanted_; }
    void want(const std::string *directory) { wanted_ = directory; }
    // Makes the process directory the wanted one. A directory that cannot
    // be entered leaves the process where it was, as the platform's call does.
    void sync();
    // End of a run: back to the directory the run started in.
    void finish();

private:
    std::string start_;
    const std::string *wanted_ = &start_;
    const std::string *actual_ = &start_; // where the process is
};

} // namespace pelorn::interp
