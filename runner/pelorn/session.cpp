// The read-run loop: the engine's script parts (ParseScriptPart,
// RunScriptPart) fed with what is typed.
#include "session.h"

#include "../console_run.h"
#include "line_editor.h"
#include "readers.h"
#include "single_run.h"

#include "pelorn.h"

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <pthread.h>
#include <unistd.h>
#include <vector>

namespace pelorn::command {

namespace {

// The name messages give what is typed, as -e and - name theirs.
constexpr const char *kSessionName = "-i";
constexpr const char *kPrompt = "pelorn> ";
constexpr const char *kMorePrompt = "   ...> "; // inside a block not closed yet
constexpr const char *kHistoryFile = "/.pelorn_history";

struct Session {
    const Options *options;
    int status;
};

volatile std::sig_atomic_t running = 0;

// Ctrl-C: the run stops at its next block; a line being typed is dropped.
void onInterrupt(int)
{
    InterruptScript();
    LineEditor::interruptPending();
    // The terminal has echoed ^C: the run's message goes on a line of its own.
    if (running) {
        ssize_t written = write(STDOUT_FILENO, "\n", 1);
        (void)written;
    }
}

bool runPart(ScriptObject *script)
{
    running = 1;
    bool succeeded = RunScriptPart(script) != 0;
    running = 0;
    std::fflush(stdout);
    return succeeded;
}

// Handled on the session's thread only, without SA_RESTART, so that a read
// from the terminal returns at once.
void catchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
}

std::string historyPath()
{
    const char *home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) + kHistoryFile : std::string();
}

// The script the session starts from: the one given, or an empty one.
ScriptObject *startingScript(const Options &options)
{
    if (!options.hasScript)
        return ParseScriptText("", 0, kSessionName, nullptr, nullptr);
    if (options.source == ScriptSource::Text) {
        std::string text = textScript(options.script);
        return ParseScriptText(text.data(), text.size(), kTextScriptName, nullptr, nullptr);
    }
    return ParseScript(options.script.c_str(), nullptr);
}

// Reads and runs inputs until Ctrl-D.
void readAndRun(ScriptObject *script)
{
    LineEditor editor(historyPath());
    std::string input;
    int32_t inputLine = 1; // the line of the session the input starts on
    int32_t nextLine = 1;
    for (;;) {
        std::string line;
        LineEditor::Read read = editor.read(input.empty() ? kPrompt : kMorePrompt, line);
        if (read == LineEditor::Read::End)
            break;
        if (read == LineEditor::Read::Interrupted) {
            input.clear();
            continue;
        }
        editor.remember(line);
        if (input.empty()) {
            inputLine = nextLine;
            if (line.find_first_not_of(" \t") == std::string::npos) {
                ++nextLine;
                continue;
            }
        }
        ++nextLine;
        input += line;
        input += '\n';
        int32_t status = ParseScriptPart(script, input.data(), input.size(), kSessionName, nullptr, inputLine);
        if (status == PELORN_INCOMPLETE)
            continue;
        input.clear();
        if (status == PELORN_PARSED)
            runPart(script);
    }
    std::fputs("\n", stdout);
}

void *sessionBody(void *argument)
{
    auto *session = static_cast<Session *>(argument);
    const Options &options = *session->options;
    catchInterrupts();
    ScriptObject *script = startingScript(options);
    if (script == nullptr) {
        session->status = kExitNotRun;
        return nullptr;
    }
    if (options.reader) {
        ReaderEntry *reader = findReader(*options.reader);
        if (reader == nullptr) {
            FreeScript(script);
            session->status = kExitNotRun;
            return nullptr;
        }
        SetCurrentReaderEntry(reader);
    }
    // Every command's response shows, unless the session turns it off.
    SetScriptAPDUVerbose(script, 1);
    SetScriptGlobalsPublic(script, 0); // inputs reach them through the script only
    if (options.hasScript)
        runPart(script);
    readAndRun(script);
    DisconnectCards();
    FreeScript(script);
    return nullptr;
}

} // namespace

int runSession(const Options &options)
{
    std::setlocale(LC_CTYPE, ""); // typed text in the terminal's encoding
    if (options.debug)
        SwitchDebugMode(1);
    std::vector<const char *> arguments;
    for (const std::string &a : options.arguments)
        arguments.push_back(a.c_str());
    SetScriptArguments(static_cast<int32_t>(arguments.size()), arguments.data());
    // Ctrl-C must reach the session's thread, where the terminal is read
    // and the script runs: the others keep it blocked.
    sigset_t interrupt, previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
    Session session{&options, kExitSuccess};
    runner::runOnLargeStack(sessionBody, &session);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    std::fflush(stdout);
    return session.status;
}

} // namespace pelorn::command
