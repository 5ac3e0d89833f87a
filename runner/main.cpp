// pelornrun: runs one script file with the pelorn engine.
//
// Engine messages go to standard error (standard output is flushed first so
// that a log holding both streams keeps their order). Exit status: 0 the
// script ran and succeeded, 1 its run failed, 2 it was not compiled, 255
// after the usage line.
#include "pelorn.h"
#include "console_run.h"

#include <cstdio>
#include <strings.h>

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitNotCompiled = 2;
constexpr int kExitUsage = -1;

struct Job {
    const char *path;
    int status;
};

void *runScriptFile(void *argument)
{
    auto *job = static_cast<Job *>(argument);
    ScriptObject *script = ParseScript(job->path, nullptr);
    if (script == nullptr) {
        job->status = kExitNotCompiled;
        return nullptr;
    }
    SetScriptGlobalsPublic(script, 0); // nothing reads them after the run
    bool succeeded = pelorn::runner::runReportingFailure(script);
    FreeScript(script);
    job->status = succeeded ? kExitSuccess : kExitRunFailed;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    SetMessageOutputFn(pelorn::runner::showMessage);
    const char *path = nullptr;
    if (argc == 2) {
        path = argv[1];
    } else if (argc == 3 && strcasecmp(argv[1], "-d") == 0) {
        SwitchDebugMode(1);
        path = argv[2];
    } else {
        // The word "tavik" is the runner's fixed usage text, not a stale name: keep it.
        std::fputs("Usage: tavik [-d] filename\n", stdout);
        return kExitUsage;
    }
    Job job{path, kExitSuccess};
    pelorn::runner::runOnLargeStack(runScriptFile, &job);
    return job.status;
}
