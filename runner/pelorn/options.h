// The command line of pelorn: options, the script and its arguments.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace pelorn::command {

// Exit statuses of pelorn: 0 success (or the status the script asked
// for), 1 the run failed, 2 it did not run (usage, compile error, unknown
// reader, no card).
constexpr int kExitSuccess = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitNotRun = 2;

enum class ScriptSource { File, Text, StandardInput };

// A script --check looks at.
struct CheckedScript {
    ScriptSource source;
    std::string script; // the path, or the text of -e
};

struct Options {
    bool help = false;
    bool version = false;
    bool debug = false;
    bool trace = false;
    bool eachReader = false;
    std::optional<std::string> reader; // --reader: a name or an index
    ScriptSource source = ScriptSource::File;
    std::string script;                // the path, or the text of -e
    std::vector<std::string> arguments;
    bool check = false;                // --check: the scripts are checked, none runs
    std::vector<CheckedScript> checked;
    bool interactive = false;          // -i: a session; the script, if any, runs first
    bool hasScript = false;            // a script was given (-i may go without)
};

// The options, or the problem with the command line (error not empty).
struct ParsedCommandLine {
    Options options;
    std::string error;
};

ParsedCommandLine parseCommandLine(int argc, char **argv);

// The names messages give scripts that have no file.
constexpr const char *kTextScriptName = "-e";
constexpr const char *kStandardInputName = "-";

void printHelp(FILE *out);
void printVersion(FILE *out);
// The problem and the usage lines on standard error; returns kExitNotRun.
int usageError(const std::string &problem);

} // namespace pelorn::command
