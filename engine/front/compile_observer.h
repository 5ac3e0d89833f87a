// Watching a compilation from outside. A node's stamped line is where the
// parser stood when it built the node, often the next line; an observer
// learns where each construct really starts and which blocks are open,
// without the compiler building anything differently.
#pragma once

#include "front/token_position.h"

namespace pelorn::front {

class CompileObserver {
public:
    virtual ~CompileObserver() = default;

    // A node was built for the construct that starts at `where`.
    virtual void nodeBuilt(const void *node, TokenPosition where) = 0;
    // "if", "while", "for", "try", "procedure NAME" or "function NAME"
    // begins a block that an "end" closes; in the main file or an included one.
    virtual void blockOpened(const char *keyword, TokenPosition where, bool inMainFile) = 0;
    virtual void blockClosed(TokenPosition where) = 0;
    // The parser has read the end of the main file.
    virtual void inputEnded() = 0;
};

// The next compilation that starts reports to the observer, until it ends.
void observeNextCompilation(CompileObserver *observer);
// Called by every compilation as it starts: the observer it reports to.
CompileObserver *takeNextObserver();

// The scanner's and the parser's hooks (front/observation.cpp).
// A token is about to be matched: remember where it starts.
void noteTokenStart();
TokenPosition tokenStart();
// The parser reduces a rule whose first symbol starts at `where`: nodes
// built by its action start there.
void noteReduction(TokenPosition where);
// The parser read a token: follows routine definitions, tells the
// observer about blocks.
void observeToken(int token, TokenPosition where);
// A syntax error at the end of the input: more text could complete it.
void noteIncompleteInput();

} // namespace pelorn::front
