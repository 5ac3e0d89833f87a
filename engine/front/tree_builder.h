// Helpers of the rule actions: building a node and settling the pending
// list in one step, binding names, the checks on names.
#pragma once

#include "front/compilation.h"
#include "front/compile_error.h"
#include "front/semantic_value.h"
#include "interp/nodes.h"

#include <initializer_list>
#include <type_traits>
#include <utility>
#include <vector>

namespace pelorn::front::build {

// Trees are attached, run and released by recursion: a chain of operators
// (1 + 1 + ...) or of APDU parts deeper than this is refused like deep
// nesting is, before it can exhaust the native stack.
constexpr uint32_t kMaxTreeDepth = 10000;

inline PendingList &pending() { return *compilation().pending; }

// Records a new node's depth (one more than its deepest child) and raises
// "memory exhausted" past kMaxTreeDepth.
void noteDepth(const void *node, std::initializer_list<const void *> children,
               const ExpressionList *more = nullptr);
// A statement is complete: the depths of its expressions are of no use now.
inline void forgetDepths() { compilation().depths.clear(); }

template <typename Node> constexpr PendingKind pendingKind()
{
    if constexpr (std::is_base_of_v<interp::Statement, Node>)
        return PendingKind::Statement;
    else
        return PendingKind::Expression;
}

// Builds and stamps a node, takes the children it consumed off the pending
// list and puts the node there instead. Should construction fail, the
// children are still pending and freed once.
template <typename Node, typename... Args> Node *node(std::initializer_list<const void *> consumed, Args &&...args)
{
    PendingList &p = pending();
    p.reserveOne();
    Node *built = stamp(new Node(std::forward<Args>(args)...));
    for (const void *child : consumed)
        p.take(child);
    p.add(pendingKind<Node>(), built);
    if constexpr (pendingKind<Node>() == PendingKind::Expression || std::is_same_v<Node, interp::ApduStatement>)
        noteDepth(built, consumed);
    return built;
}

// Takes a pending item that has just become part of something else.
inline void taken(const void *item) { pending().take(item); }

// Frees a token's text that no node keeps.
inline void dropText(char *text)
{
    pending().take(text);
    zfree(text);
}

// The expressions of a list, copied so that the list still owns them
// should the node that takes them fail to be built.
inline std::vector<interp::Expression *> expressions(const ExpressionList *list)
{
    return list != nullptr ? *list : std::vector<interp::Expression *>();
}

// A list whose expressions now belong to a node: only the list goes.
inline void dropList(ExpressionList *list)
{
    if (list == nullptr)
        return;
    pending().take(list);
    delete list;
}

// A name in an expression or as a target: the entry it was scanned with,
// else the variable it resolves to (created when new). Pending.
interp::VariableExpr *bind(IdentifierToken name);

// The name must have been known when it was scanned; else the formatted
// message (the name in place of the first %s) is raised.
void requireKnown(const IdentifierToken &name, size_t limit, const char *format, const char *extra = nullptr);

} // namespace pelorn::front::build
