// Argument evaluation and write-back, shared by every kind of call.
#include "interp/arguments.h"

#include "interp/fast_values.h"
#include "interp/run_support.h"

namespace pelorn::interp {

ArgumentSet::ArgumentSet(Arguments &arguments) : arguments_(arguments), slots_(arguments.slots), ownsSlots_(false)
{
    if (!arguments.inUse) {
        arguments.inUse = true;
        return;
    }
    ownsSlots_ = true;
    slots_ = new ArgumentSlot[arguments.count];
    for (uint32_t i = 0; i < arguments.count; ++i) {
        slots_[i].expression = arguments.slots[i].expression;
        value::clear(slots_[i].value);
    }
}

ArgumentSet::~ArgumentSet() { finish(); }

void ArgumentSet::finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (!ownsSlots_) {
        arguments_.inUse = false;
        return;
    }
    for (uint32_t i = 0; i < arguments_.count; ++i)
        drop(slots_[i].value);
    delete[] slots_;
    slots_ = nullptr;
}

Completion ArgumentSet::evaluate(RunContext &run)
{
    for (uint32_t i = 0; i < arguments_.count; ++i) {
        drop(slots_[i].value);
        Completion c = evaluateInto(run, expression(i), slots_[i].value);
        if (c != Completion::Normal)
            return c;
    }
    return Completion::Normal;
}

VariableExpr *writableVariable(Expression *argument)
{
    if (!argument->assignable) // not a plain variable, or BYVAL
        return nullptr;
    auto *variable = static_cast<VariableExpr *>(argument);
    return variable->isConstant || variable->isReadOnly ? nullptr : variable;
}

void ArgumentSet::writeBack()
{
    // In order: a variable passed twice ends with its last slot's value.
    for (uint32_t i = 0; i < arguments_.count; ++i)
        if (VariableExpr *variable = writableVariable(expression(i)))
            handOver(slots_[i].value, *variable->binding);
}

} // namespace pelorn::interp
