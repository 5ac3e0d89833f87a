// pelorn: the everyday command. Runs a script like pelornrun, with its
// arguments, from a file, a text or standard input, and with the reader
// and trace options (see docs/command.md).
#include "../console_run.h"
#include "check.h"
#include "each_reader.h"
#include "options.h"
#include "session.h"
#include "single_run.h"

int main(int argc, char **argv)
{
    using namespace pelorn::command;
    ParsedCommandLine parsed = parseCommandLine(argc, argv);
    if (!parsed.error.empty())
        return usageError(parsed.error);
    const Options &options = parsed.options;
    if (options.help) {
        printHelp(stdout);
        return kExitSuccess;
    }
    if (options.version) {
        printVersion(stdout);
        return kExitSuccess;
    }
    if (options.eachReader)
        return runOnEachReader(options);
    SetMessageOutputFn(pelorn::runner::showMessage);
    if (options.check)
        return checkScripts(options);
    if (options.interactive)
        return runSession(options);
    return runOnce(options);
}
