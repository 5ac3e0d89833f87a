// Assignments that fail whenever they run: the target is a constant or a
// read-only variable (the predefined ones, a module's).
#include "check/analyses.h"
#include "check/messages.h"

namespace pelorn::check {

void checkAssignments(const Outline &outline, Findings &findings)
{
    forEachBody(outline, [&](const Node &body, const Routine *) {
        forEachNode(body, [&](const Node &n) {
            bool assigns = (n.form == Form::Assign && !n.declaration) || (n.form == Form::Update && n.checksTarget);
            if (!assigns)
                return;
            const Node &target = n.children.front();
            if (target.constant)
                findings.warn(n.where, msg::kConstantAssigned, target.name.c_str());
            else if (target.readOnly)
                findings.warn(n.where, msg::kReadOnlyAssigned, target.name.c_str());
        });
    });
}

} // namespace pelorn::check
