// The argument slots of one call. A call node owns one array of slots and
// reuses it at every call; when the node is called again while its slots
// are still in use (a recursion through its own arguments), that call gets
// slots of its own, so neither overwrites the other's arguments.
#pragma once

#include "interp/nodes.h"

namespace pelorn::interp {

class ArgumentSet {
public:
    explicit ArgumentSet(Arguments &arguments);
    ~ArgumentSet();
    ArgumentSet(const ArgumentSet &) = delete;
    ArgumentSet &operator=(const ArgumentSet &) = delete;

    // Evaluates every argument into its slot, left to right, releasing what
    // the slot held; stops at the first that does not complete.
    Completion evaluate(RunContext &run);
    // Copies each slot's value back into the variable its argument names,
    // unless BYVAL, a constant or a read-only variable forbids it. The slot
    // is left empty.
    void writeBack();
    // The slots are no longer needed: the node may reuse them.
    void finish();

    uint32_t count() const { return arguments_.count; }
    ArgumentSlot *slots() const { return slots_; }
    Expression *expression(uint32_t i) const { return arguments_.expression(i); }

private:
    Arguments &arguments_;
    ArgumentSlot *slots_;
    bool ownsSlots_;
    bool finished_ = false;
};

// The variable a write-back may store into, or null.
VariableExpr *writableVariable(Expression *argument);

} // namespace pelorn::interp
