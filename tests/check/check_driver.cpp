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
    SetStandardOutputFn([](const char *) -> int32_t { return 0; });
    std::vector<std::string> scripts;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-d") == 0)
            SwitchDebugMode(1);
        else if (std::strcmp(argv[i], "--check") != 0)
            scripts.push_back(argv[i]);
    }
    return pelorn::command::checkScripts(scripts);
}
