// What the static check learns while the script compiles: where each
// node's construct starts (a node's own line is where the parser stood,
// often the next line), where each routine is declared, and the blocks
// still open when the main file ends.
#pragma once

#include "check/position.h"
#include "front/compile_observer.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace pelorn::check {

class CompileWatch final : public front::CompileObserver {
public:
    struct OpenBlock {
        std::string keyword;
        std::string path; // the file's canonical path (the sources go with a failed script)
        bool inMainFile;
        int32_t line;
    };

    void nodeBuilt(const void *node, front::TokenPosition where) override;
    void blockOpened(const char *keyword, front::TokenPosition where, bool inMainFile) override;
    void blockClosed(front::TokenPosition where) override;
    void inputEnded() override { ended_ = true; }

    // Where the node's construct starts; `fallback` for nodes the compiler
    // made without a rule of their own (the main block).
    Position positionOf(const void *node, Position fallback) const;
    // Where the n-th "procedure" (or "function") declaration of the
    // compilation stands, counting from 0 in the order they were read.
    Position declaration(bool function, size_t n) const;
    // The innermost block left open at the end of the main file, if the
    // compilation got that far; null otherwise.
    const OpenBlock *unclosedBlock() const;

private:
    std::unordered_map<const void *, Position> nodes_;
    std::vector<OpenBlock> open_;
    std::vector<Position> procedures_;
    std::vector<Position> functions_;
    bool ended_ = false;
};

} // namespace pelorn::check
