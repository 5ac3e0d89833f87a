// The argument slots of one call. A call node owns one array of slots and
// reuses it at every call; when the node is called again while its slots
// are still in use (a recursion through its own arguments), that call gets
// slots of its own, so neither overwrites the other's arguments.
//
// Every call passes through here, so the common path (the node's own
// slots) is inline; slots of its own are the rare case, out of line.
#pragma once

#include "interp/fast_values.h"
#include "interp/nodes.h"

namespace pelorn::interp {

class ArgumentSet {
public:
    explicit ArgumentSet(Arguments &arguments) : arguments_(arguments), slots_(arguments.slots)
    {
        if (!arguments.inUse)
            arguments.inUse = true;
        else
            takeOwnSlots();
    }
    ~ArgumentSet() { finish(); }
    ArgumentSet(const ArgumentSet &) = delete;
    ArgumentSet &operator=(const ArgumentSet &) = delete;

    // Evaluates every argument into its slot, left to right, releasing what
    // the slot held; stops at the first that does not complete.
    Completion evaluate(RunContext &run)
    {
        for (uint32_t i = 0; i < arguments_.count; ++i) {
            ScriptValue &slot = slots_[i].value;
            drop(slot);
            Completion c = evaluateInto(run, expression(i), slot);
            if (c != Completion::Normal)
                return c;
        }
        return Completion::Normal;
    }
    // Copies each slot's value back into the variable its argument names,
    // unless BYVAL, a constant or a read-only variable forbids it. The slot
    // is left empty.
    void writeBack(const RunContext &run);
    // The slots are no longer needed: the node may reuse them.
    void finish()
    {
        if (finished_)
            return;
        finished_ = true;
        if (!ownsSlots_)
            arguments_.inUse = false;
        else
            releaseOwnSlots();
    }

    uint32_t count() const { return arguments_.count; }
    ArgumentSlot *slots() const { return slots_; }
    Expression *expression(uint32_t i) const { return arguments_.expression(i); }

private:
    void takeOwnSlots();
    void releaseOwnSlots();

    Arguments &arguments_;
    ArgumentSlot *slots_;
    bool ownsSlots_ = false;
    bool finished_ = false;
};

// The variable a write-back may store into, or null.
inline VariableExpr *writableVariable(Expression *argument)
{
    if (argument->kind != ExpressionKind::Variable)
        return nullptr;
    auto *variable = static_cast<VariableExpr *>(argument);
    return variable->byValue || variable->isConstant || variable->isReadOnly ? nullptr : variable;
}

} // namespace pelorn::interp
