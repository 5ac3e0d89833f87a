// Where tokens and constructs start, and what an observer of the
// compilation is told about blocks.
#include "front/compilation.h"
#include "front/compile_observer.h"
#include "grammar.h"

namespace pelorn::front {

namespace {

CompileObserver *nextObserver = nullptr;

const char *blockKeyword(int token)
{
    switch (token) {
    case TOKEN_IF:
        return "if";
    case TOKEN_WHILE:
        return "while";
    case TOKEN_FOR:
        return "for";
    case TOKEN_TRY:
        return "try";
    case TOKEN_PROC_NAME:
        return "procedure";
    case TOKEN_FUNC_NAME:
        return "function";
    default:
        return nullptr;
    }
}

// Follows routine definitions: "procedure NAME" or "function NAME" opens
// one, and its "end" is the one that brings the count of the blocks in
// its body back to zero.
void trackRoutine(Compilation &c, int token)
{
    if (c.routineDepth == 0) {
        if (token != TOKEN_PROC_NAME && token != TOKEN_FUNC_NAME)
            return;
        c.routineDepth = 1;
    } else if (token == TOKEN_END) {
        --c.routineDepth;
    } else if (token == TOKEN_IF || token == TOKEN_WHILE || token == TOKEN_FOR || token == TOKEN_TRY) {
        ++c.routineDepth;
    } else {
        return;
    }
    c.symbols.setInRoutine(c.routineDepth > 0);
}

} // namespace

void observeNextCompilation(CompileObserver *observer) { nextObserver = observer; }

CompileObserver *takeNextObserver()
{
    CompileObserver *observer = nextObserver;
    nextObserver = nullptr;
    return observer;
}

void noteTokenStart()
{
    Compilation &c = compilation();
    c.tokenStart = TokenPosition{c.current.source, c.current.line + 1};
}

TokenPosition tokenStart() { return compilation().tokenStart; }

void noteReduction(TokenPosition where) { compilation().reduction = where; }

void noteIncompleteInput() { compilation().incomplete = true; }

void observeToken(int token, TokenPosition where)
{
    Compilation &c = compilation();
    trackRoutine(c, token);
    CompileObserver *observer = c.observer;
    if (observer == nullptr)
        return;
    if (token == 0)
        observer->inputEnded();
    else if (token == TOKEN_END)
        observer->blockClosed(where);
    else if (const char *keyword = blockKeyword(token))
        observer->blockOpened(keyword, where, c.includeStack.empty());
}

} // namespace pelorn::front
