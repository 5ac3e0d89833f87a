// --check: the engine's static check, one script after the other.
#include "check.h"

#include "pelorn.h"

#include <algorithm>
#include <cstdio>

namespace pelorn::command {

namespace {

void printFinding(void *, const char *file, int32_t line, int32_t kind, const char *text)
{
    std::fprintf(stderr, "%s:%d: %s: %s\n", file, line, kind == PELORN_CHECK_NOTE ? "note" : "warning", text);
}

} // namespace

int checkScripts(const std::vector<std::string> &paths)
{
    int status = PELORN_CHECK_CLEAN;
    for (const std::string &path : paths)
        status = std::max(status, static_cast<int>(CheckScript(path.c_str(), printFinding, nullptr)));
    std::fflush(stderr);
    return status;
}

} // namespace pelorn::command
