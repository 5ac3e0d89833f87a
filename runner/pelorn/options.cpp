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
                                "       pelorn [options] - [argument...]\n";

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
    "  --               end of the options: the next word is the script\n"
    "  -h, --help       show this help\n"
    "  --version        show the versions of pelorn, OpenSSL and pcsc-lite\n"
    "\n"
    "Exit status: 0 the script succeeded (or the status it asked for with\n"
    "SetExitStatus), 1 its run failed, 2 it did not run (a wrong command line,\n"
    "a compile error, an unknown reader, no reader holding a card).\n";

std::string formatted(const char *format, const std::string &word)
{
    std::string text = format;
    text.replace(text.find("%s"), 2, word);
    return text;
}

// The rest of the command line after the script.
void takeArguments(Options &options, int next, int argc, char **argv)
{
    for (int i = next; i < argc; ++i)
        options.arguments.emplace_back(argv[i]);
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
        if (word == "-d") {
            options.debug = true;
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
        if (i + 1 == argc) {
            parsed.error = text::kNoScript;
            return parsed;
        }
    }
    if (argc < 2)
        parsed.error = text::kNoScript;
    if (parsed.error.empty() && options.reader && options.eachReader)
        parsed.error = text::kReaderOptionsExclusive;
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
