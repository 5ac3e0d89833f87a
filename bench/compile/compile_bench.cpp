// Times ParseScript (and FreeScript) on one script file.
//
//   compile_bench SCRIPT [RUNS]
//
// Prints the fastest and the mean time of each over the runs.
#include "pelorn.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fputs("usage: compile_bench SCRIPT [RUNS]\n", stderr);
        return 2;
    }
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    double bestParse = 1e300, totalParse = 0, bestFree = 1e300, totalFree = 0;
    for (int i = 0; i < runs; ++i) {
        int32_t status = 0;
        Clock::time_point start = Clock::now();
        ScriptObject *script = ParseScript(argv[1], &status);
        double parse = millisecondsSince(start);
        if (script == nullptr) {
            std::fprintf(stderr, "compilation failed with status %d\n", status);
            return 1;
        }
        start = Clock::now();
        FreeScript(script);
        double release = millisecondsSince(start);
        bestParse = std::min(bestParse, parse);
        totalParse += parse;
        bestFree = std::min(bestFree, release);
        totalFree += release;
    }
    std::printf("ParseScript: best %.1f ms, mean %.1f ms\n", bestParse, totalParse / runs);
    std::printf("FreeScript:  best %.1f ms, mean %.1f ms\n", bestFree, totalFree / runs);
    return 0;
}
