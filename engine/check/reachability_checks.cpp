// Statements that can never run: after exit or return in the same block.
// An exit in the main block itself ends the script where it stands, and
// what follows it there is taken as kept on purpose.
#include "check/analyses.h"
#include "check/messages.h"

namespace pelorn::check {

namespace {

void checkBlocks(const Node &node, const Node *exempt, Findings &findings)
{
    forEachNode(node, [&](const Node &n) {
        if (n.form != Form::Block)
            return;
        for (size_t i = 0; i + 1 < n.children.size(); ++i) {
            const Node &s = n.children[i];
            if (s.form != Form::Jump || (s.jump != Jump::Exit && s.jump != Jump::Return))
                continue;
            if (&n != exempt || s.jump != Jump::Exit)
                findings.warn(n.children[i + 1].where, msg::kUnreachable, s.jump == Jump::Exit ? "exit" : "return");
            break;
        }
    });
}

} // namespace

void checkReachability(const Outline &outline, Findings &findings)
{
    forEachBody(outline, [&](const Node &body, const Routine *routine) {
        checkBlocks(body, routine == nullptr ? &body : nullptr, findings);
    });
}

} // namespace pelorn::check
