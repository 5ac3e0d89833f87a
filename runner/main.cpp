// pelornrun: runs one script file with the pelorn engine.
//
// Engine messages go to standard error (standard output is flushed first so
// that a log holding both streams keeps their order). Exit status: 0 the
// script ran and succeeded, 1 its run failed, 2 it was not compiled, 255
// after the usage line.
#include "pelorn.h"

#include <cstdio>
#include <cstring>
#include <pthread.h>
#include <strings.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitNotCompiled = 2;
constexpr int kExitUsage = -1;

// Deep recursion in a script needs a deep native stack; the engine checks
// what is left and stops the run with its depth message before it runs out.
constexpr size_t kScriptStackSize = size_t{2} << 30;

int32_t showMessage(const char *text)
{
    std::fflush(stdout);
    size_t n = std::strlen(text);
    std::fwrite(text, 1, n, stderr);
    if (n == 0 || text[n - 1] != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
    return 0;
}

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
    bool succeeded = script->run(script) != 0;
    if (!succeeded)
        std::fputs("\nScript1 execution failed.\n", stdout);
    std::fflush(stdout);
    FreeScript(script);
    job->status = succeeded ? kExitSuccess : kExitRunFailed;
    return nullptr;
}

// The script thread's stack, mapped here rather than by pthread_create:
// mapped readable and writable at once with MAP_NORESERVE, 2 GiB cost no
// more than the pages a run touches, where the library's own stacks are
// mapped inaccessible and then opened with mprotect, which costs start-up
// time (and seconds under valgrind). The lowest page is the guard.
struct ScriptStack {
    void *base = MAP_FAILED;
    size_t guard = static_cast<size_t>(sysconf(_SC_PAGESIZE));

    bool map()
    {
        base = mmap(nullptr, kScriptStackSize, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
        return base != MAP_FAILED && mprotect(base, guard, PROT_NONE) == 0;
    }
    void *usable() const { return static_cast<char *>(base) + guard; }
    size_t usableSize() const { return kScriptStackSize - guard; }
    ~ScriptStack()
    {
        if (base != MAP_FAILED)
            munmap(base, kScriptStackSize);
    }
};

int runOnLargeStack(Job &job)
{
    ScriptStack stack;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_t thread;
    bool started = stack.map() && pthread_attr_setstack(&attributes, stack.usable(), stack.usableSize()) == 0 &&
                   pthread_create(&thread, &attributes, runScriptFile, &job) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) {
        runScriptFile(&job); // no large stack: the engine's own check still holds
        return job.status;
    }
    pthread_join(thread, nullptr);
    return job.status;
}

} // namespace

int main(int argc, char **argv)
{
    SetMessageOutputFn(showMessage);
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
    return runOnLargeStack(job);
}
