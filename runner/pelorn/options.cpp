// Reading pelorn's command line. Options come first; the first word that
// is not an option is the script, and every word after it belongs to the
// script, whatever it looks like. `-e TEXT` and `-` stand for the script,
// so the words after them are the script's too.
#include "options.h"

#include "messages.h"

#include "pelorn.h"

#include <PCSC/pcsclite.h>
#include <openssl/crypto.h>

namespace pelorn::command {

namespace {

constexpr const char kUsage[] = "Usage: pelorn [options] script [argument...]\n"
                                "       pelorn [options] -e text [argument...]\n"
                                "       pelorn [options] - [argument...]\n"
                                "       pelorn --check [-d] script...\n"
                                "       pelorn -i [options] [script [argument...]]\n";

constexpr const char kHelp[] =
    "Runs a pelorn script. The words after the script are its arguments\n"
    "(GetArgs() of the \"sys\" module).\n"
    "\n"
    "Options:\n"
    "  -e TEXT          run TEXT as the script; relative paths start from the\n"
    "                   current folder; messages name it \"-e\"\n"
    "  -                as the script: read it from standard input (\"-\" in\n"
    "                   messages)\n"
    "  -d               debug mode: the text after '#' is read as code\n"
    "  --trace          trace every APDU from the start, as SetAPDUVerbose(TRUE)\n"
    "  --reader READER  make READER current before the run: a reader's name,\n"
    "                   or its index in the reader list (GetReaders())\n"
    "  --each-reader    run the script once for every reader holding a card, in\n"
    "                   parallel; each output line starts with \"[reader name] \"\n"
    "  --check          run nothing: check each script (files, or -e TEXT, or -)\n"
    "                   and report what would fail when it runs, as\n"
    "                   FILE:LINE: warning: TEXT\n"
    "  -i               an interactive session: each line or block typed runs at\n"
    "                   once; a script given runs first and what it defines stays\n"
    "  --               end of the options: the next word is the script\n"
    "  -h, --help       show this help\n"
    "  --version        show the versions of pelorn, OpenSSL and pcsc-lite\n"
    "\n"
    "Exit status: 0 the script succeeded (or the status it asked for with\n"
    "SetExitStatus), 1 its run failed, 2 it did not run (a wrong command line,\n"
    "a compile error, an unknown reader, no reader holding a card).\n"
    "With --check: 0 nothing found, 1 warnings only, 2 a script did not compile.\n";

std::string formatted(const char *format, const std::string &word)
{
    std::string text = format;
    text.replace(text.find("%s"), 2, word);
    return text;
}

// The rest of the command line after the script.
void takeArguments(Options &options, int next, int argc, char **argv)
{
    options.hasScript = true;
    for (int i = next; i < argc; ++i)
        options.arguments.emplace_back(argv[i]);
}

// After --check every word is a script to check, but -d, and -e TEXT or
// - for a script that is no file; after -- only files follow.
void takeCheckedScripts(ParsedCommandLine &parsed, int next, int argc, char **argv)
{
    Options &options = parsed.options;
    bool onlyFiles = false;
    for (int i = next; i < argc; ++i) {
        std::string word = argv[i];
        if (onlyFiles || word.empty() || word[0] != '-') {
            options.checked.push_back(CheckedScript{ScriptSource::File, word});
        } else if (word == "--") {
            onlyFiles = true;
        } else if (word == "-d") {
            options.debug = true;
        } else if (word == "-") {
            options.checked.push_back(CheckedScript{ScriptSource::StandardInput, word});
        } else if (word == "-e") {
            if (i + 1 == argc) {
                parsed.error = text::kTextNeedsValue;
                return;
            }
            options.checked.push_back(CheckedScript{ScriptSource::Text, argv[++i]});
        } else if (word == "--trace" || word == "--each-reader" || word == "-i" || word == "--reader" ||
                   word.starts_with("--reader=")) {
            parsed.error = formatted(text::kCheckExcludes, word);
            return;
        } else {
            parsed.error = formatted(text::kUnknownOption, word);
            return;
        }
    }
    if (options.checked.empty())
        parsed.error = text::kNoScript;
}

// What the options given before --check or -i cannot go with.
std::string modeConflict(const Options &options)
{
    if (options.check) {
        if (options.trace)
            return formatted(text::kCheckExcludes, "--trace");
        if (options.eachReader)
            return formatted(text::kCheckExcludes, "--each-reader");
        if (options.reader)
            return formatted(text::kCheckExcludes, "--reader");
        if (options.interactive)
            return formatted(text::kCheckExcludes, "-i");
    }
    if (options.interactive) {
        if (options.eachReader)
            return formatted(text::kSessionExcludes, "--each-reader");
        if (options.source == ScriptSource::StandardInput)
            return formatted(text::kSessionExcludes, "-");
    }
    return {};
}

} // namespace

ParsedCommandLine parseCommandLine(int argc, char **argv)
{
    ParsedCommandLine parsed;
    Options &options = parsed.options;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "-h" || word == "--help") {
            options.help = true;
            return parsed;
        }
        if (word == "--version") {
            options.version = true;
            return parsed;
        }
        if (word == "--check") {
            options.check = true;
            if (std::string conflict = modeConflict(options); !conflict.empty())
                parsed.error = conflict;
            else
                takeCheckedScripts(parsed, i + 1, argc, argv);
            return parsed;
        }
        if (word == "-d") {
            options.debug = true;
        } else if (word == "-i") {
            options.interactive = true;
        } else if (word == "--trace") {
            options.trace = true;
        } else if (word == "--each-reader") {
            options.eachReader = true;
        } else if (word == "--reader" || word.starts_with("--reader=")) {
            if (word == "--reader") {
                if (i + 1 == argc) {
                    parsed.error = text::kReaderNeedsValue;
                    return parsed;
                }
                options.reader = argv[++i];
            } else {
                options.reader = word.substr(std::string("--reader=").size());
            }
        } else if (word == "-e") {
            if (i + 1 == argc) {
                parsed.error = text::kTextNeedsValue;
                return parsed;
            }
            options.source = ScriptSource::Text;
            options.script = argv[i + 1];
            takeArguments(options, i + 2, argc, argv);
            break;
        } else if (word == "-") {
            options.source = ScriptSource::StandardInput;
            takeArguments(options, i + 1, argc, argv);
            break;
        } else if (word == "--" || word.empty() || word[0] != '-') {
            if (word == "--" && ++i == argc) {
                parsed.error = text::kNoScript;
                return parsed;
            }
            options.script = argv[i];
            takeArguments(options, i + 1, argc, argv);
            break;
        } else {
            parsed.error = formatted(text::kUnknownOption, word);
            return parsed;
        }
        if (i + 1 == argc && !options.interactive) {
            parsed.error = text::kNoScript;
            return parsed;
        }
    }
    if (argc < 2)
        parsed.error = text::kNoScript;
    if (parsed.error.empty() && options.reader && options.eachReader)
        parsed.error = text::kReaderOptionsExclusive;
    if (parsed.error.empty())
        parsed.error = modeConflict(options);
    return parsed;
}

void printHelp(FILE *out)
{
    std::fputs(kUsage, out);
    std::fputs(kHelp, out);
}

void printVersion(FILE *out)
{
    std::fprintf(out, "pelorn %s\n", PELORN_COMMAND_VERSION);
    std::fprintf(out, "%s\n", OpenSSL_version(OPENSSL_VERSION));
    std::fprintf(out, "pcsc-lite %s\n", PCSCLITE_VERSION_NUMBER);
}

int usageError(const std::string &problem)
{
    std::fprintf(stderr, text::kUsageError, problem.c_str(), kUsage);
    return kExitNotRun;
}

} // namespace pelorn::command
