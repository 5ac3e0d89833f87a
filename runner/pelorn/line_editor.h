// The lines of a session: editing and history with libedit on a terminal,
// plain lines from anything else. The one file that knows libedit.
#pragma once

#include <string>

struct editline;
struct history;

namespace pelorn::command {

class LineEditor {
public:
    enum class Read { Line, Interrupted, End };

    // History is kept in historyPath (none when empty).
    explicit LineEditor(std::string historyPath);
    ~LineEditor();
    LineEditor(const LineEditor &) = delete;
    LineEditor &operator=(const LineEditor &) = delete;

    // The next line, without its line break. Interrupted: Ctrl-C was
    // pressed (interruptPending() told so). End: Ctrl-D or end of input.
    Read read(const char *prompt, std::string &line);
    // Adds a line to the history (saved at once).
    void remember(const std::string &line);
    // Reading from a terminal, with prompts.
    bool onTerminal() const { return editor_ != nullptr; }

    // Set by the SIGINT handler: a line being typed is given up.
    static void interruptPending();

private:
    editline *editor_ = nullptr; // null when the input is no terminal
    history *history_ = nullptr;
    std::string historyPath_;
    const char *prompt_ = "";

    static char *promptOf(editline *editor);
    static int readCharacter(editline *editor, wchar_t *out);
};

} // namespace pelorn::command
