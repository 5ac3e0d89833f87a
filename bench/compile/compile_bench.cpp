// Times ParseScript (and FreeScript) on one script file.
//
//   compile_bench SCRIPT [RUNS]
//
// Prints the fastest, the median and the mean time of each over the runs.
#include "pelorn.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    size_t middle = times.size() / 2;
    return times.size() % 2 != 0 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fputs("usage: compile_bench SCRIPT [RUNS]\n", stderr);
        return 2;
    }
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    std::vector<double> parses, releases;
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
        parses.push_back(parse);
        releases.push_back(release);
    }
    auto report = [](const char *name, const std::vector<double> &times) {
        double total = 0;
        for (double t : times)
            total += t;
        std::printf("%s best %.1f ms, median %.1f ms, mean %.1f ms\n", name,
                    *std::min_element(times.begin(), times.end()), median(times), total / times.size());
    };
    report("ParseScript:", parses);
    report("FreeScript: ", releases);
    return 0;
}
