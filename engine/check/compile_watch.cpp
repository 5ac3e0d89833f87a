// Recording positions and open blocks as the compiler reports them.
#include "check/compile_watch.h"

#include "interp/nodes.h"

#include <cstring>

namespace pelorn::check {

namespace {

Position fromToken(front::TokenPosition where) { return Position{where.source, where.line}; }

} // namespace

void CompileWatch::nodeBuilt(const void *node, front::TokenPosition where)
{
    // A node freed during the compilation may leave its address to a new one.
    if (where.source != nullptr)
        nodes_[node] = fromToken(where);
    else
        nodes_.erase(node);
}

void CompileWatch::blockOpened(const char *keyword, front::TokenPosition where, bool inMainFile)
{
    if (std::strcmp(keyword, "procedure") == 0)
        procedures_.push_back(fromToken(where));
    else if (std::strcmp(keyword, "function") == 0)
        functions_.push_back(fromToken(where));
    open_.push_back(OpenBlock{keyword, where.source != nullptr ? where.source->path : std::string(),
                              inMainFile, where.line});
}

void CompileWatch::blockClosed(front::TokenPosition)
{
    // An "end" too many is the parser's to report.
    if (!open_.empty())
        open_.pop_back();
}

Position CompileWatch::positionOf(const void *node, Position fallback) const
{
    auto found = nodes_.find(node);
    return found != nodes_.end() ? found->second : fallback;
}

Position CompileWatch::declaration(bool function, size_t n) const
{
    const std::vector<Position> &list = function ? functions_ : procedures_;
    return n < list.size() ? list[n] : Position{};
}

const CompileWatch::OpenBlock *CompileWatch::unclosedBlock() const
{
    return ended_ && !open_.empty() ? &open_.back() : nullptr;
}

} // namespace pelorn::check
