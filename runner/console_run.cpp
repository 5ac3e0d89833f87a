// The message callback and the script thread of the commands.
#include "console_run.h"

#include <cstdio>
#include <cstring>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

namespace pelorn::runner {

namespace {

// Deep recursion in a script needs a deep native stack; the engine checks
// what is left and stops the run with its depth message before it runs out.
constexpr size_t kScriptStackSize = size_t{2} << 30;

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

} // namespace

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

bool runReportingFailure(ScriptObject *script)
{
    bool succeeded = script->run(script) != 0;
    if (!succeeded)
        std::fputs("\nScript1 execution failed.\n", stdout);
    std::fflush(stdout);
    return succeeded;
}

void runOnLargeStack(void *(*body)(void *), void *argument)
{
    ScriptStack stack;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_t thread;
    bool started = stack.map() && pthread_attr_setstack(&attributes, stack.usable(), stack.usableSize()) == 0 &&
                   pthread_create(&thread, &attributes, body, argument) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) {
        body(argument);
        return;
    }
    pthread_join(thread, nullptr);
}

} // namespace pelorn::runner
