// Stands in for "pelorn --check" until the command takes the option.
#include "../../runner/pelorn/check.h"

#include "pelorn.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    SetMessageOutputFn([](const char *text) -> int32_t {
        size_t n = std::strlen(text);
        std::fwrite(text, 1, n, stderr);
        if (n == 0 || text[n - 1] != '\n')
            std::fputc('\n', stderr);
        return 0;
    });
    int first = argc > 1 && std::strcmp(argv[1], "--check") == 0 ? 2 : 1;
    return pelorn::command::checkScripts(std::vector<std::string>(argv + first, argv + argc));
}
