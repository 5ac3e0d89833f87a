// libedit, or plain lines when the input is no terminal.
#include "line_editor.h"

#include <histedit.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cwchar>
#include <unistd.h>

namespace pelorn::command {

namespace {

// How many lines the history keeps.
constexpr int kHistoryLines = 1000;

volatile std::sig_atomic_t interruptedWhileReading = 0;

} // namespace

void LineEditor::interruptPending() { interruptedWhileReading = 1; }

LineEditor::LineEditor(std::string historyPath) : historyPath_(std::move(historyPath))
{
    if (!isatty(STDIN_FILENO))
        return;
    editor_ = el_init("pelorn", stdin, stdout, stderr);
    if (editor_ == nullptr)
        return;
    history_ = ::history_init();
    HistEvent event;
    if (history_ != nullptr) {
        ::history(history_, &event, H_SETSIZE, kHistoryLines);
        ::history(history_, &event, H_SETUNIQUE, 1);
        if (!historyPath_.empty())
            ::history(history_, &event, H_LOAD, historyPath_.c_str());
        el_set(editor_, EL_HIST, ::history, history_);
    }
    el_set(editor_, EL_EDITOR, "emacs");
    el_set(editor_, EL_CLIENTDATA, this);
    el_set(editor_, EL_PROMPT, promptOf);
    // Our own reading, so that Ctrl-C gives the line up at once.
    el_set(editor_, EL_GETCFN, readCharacter);
    el_source(editor_, nullptr); // the user's ~/.editrc
}

LineEditor::~LineEditor()
{
    if (editor_ != nullptr)
        el_end(editor_);
    if (history_ != nullptr)
        ::history_end(history_);
}

char *LineEditor::promptOf(editline *editor)
{
    void *self = nullptr;
    el_get(editor, EL_CLIENTDATA, &self);
    return const_cast<char *>(static_cast<LineEditor *>(self)->prompt_);
}

// One character from the terminal, multibyte text decoded; -1 once Ctrl-C
// was pressed (the signal interrupts the read), 0 at the end of input.
int LineEditor::readCharacter(editline *, wchar_t *out)
{
    char bytes[MB_LEN_MAX];
    size_t count = 0;
    std::mbstate_t state{};
    for (;;) {
        if (interruptedWhileReading)
            return -1;
        char c;
        ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return static_cast<int>(n);
        bytes[count++] = c;
        wchar_t wide;
        size_t used = std::mbrtowc(&wide, bytes, count, &state);
        if (used == static_cast<size_t>(-2) && count < sizeof bytes)
            continue; // more bytes of the same character
        // A byte that is no character of the locale goes as it is.
        *out = used <= count ? wide : static_cast<wchar_t>(static_cast<unsigned char>(bytes[0]));
        return 1;
    }
}

LineEditor::Read LineEditor::read(const char *prompt, std::string &line)
{
    interruptedWhileReading = 0;
    std::fflush(stdout);
    if (editor_ == nullptr) {
        // No terminal: plain lines, no prompt.
        line.clear();
        int c;
        while ((c = std::getchar()) != EOF && c != '\n')
            line += static_cast<char>(c);
        return c == EOF && line.empty() ? Read::End : Read::Line;
    }
    prompt_ = prompt;
    int count = 0;
    const char *text = el_gets(editor_, &count);
    if (interruptedWhileReading) {
        interruptedWhileReading = 0;
        el_reset(editor_);
        std::fputs("\n", stdout);
        return Read::Interrupted;
    }
    if (text == nullptr || count <= 0)
        return Read::End;
    line.assign(text, static_cast<size_t>(count));
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    return Read::Line;
}

void LineEditor::remember(const std::string &line)
{
    if (history_ == nullptr || line.empty())
        return;
    HistEvent event;
    ::history(history_, &event, H_ENTER, line.c_str());
    if (!historyPath_.empty())
        ::history(history_, &event, H_SAVE, historyPath_.c_str());
}

} // namespace pelorn::command
