// Argument slots of a recursive call through its own arguments, the
// write-back shared by every kind of call, and the built-ins' test for an
// argument written as a variable.
#include "interp/arguments.h"

#include "builtins/arguments.h"
#include "interp/array_forms.h"
#include "interp/run_support.h"

namespace pelorn::interp {

void ArgumentSet::takeOwnSlots()
{
    ownsSlots_ = true;
    slots_ = new ArgumentSlot[arguments_.count];
    for (uint32_t i = 0; i < arguments_.count; ++i) {
        slots_[i].expression = arguments_.slots[i].expression;
        value::clear(slots_[i].value);
    }
}

void ArgumentSet::releaseOwnSlots()
{
    for (uint32_t i = 0; i < arguments_.count; ++i)
        drop(slots_[i].value);
    delete[] slots_;
    slots_ = nullptr;
}

void ArgumentSet::writeBack(const RunContext &run)
{
    // In order: a variable passed twice ends with its last slot's value.
    for (uint32_t i = 0; i < arguments_.count; ++i)
        if (VariableExpr *variable = writableVariable(expression(i)))
            handOver(slots_[i].value, variable->ref(run));
    if (arguments_.namesModuleVariable) [[unlikely]]
        publishModuleArguments(run, arguments_);
}

} // namespace pelorn::interp

namespace pelorn::builtins {

bool isVariableReference(const ArgumentSlot &slot)
{
    auto *expression = static_cast<const interp::Expression *>(slot.expression);
    return expression != nullptr && expression->kind == interp::ExpressionKind::Variable;
}

} // namespace pelorn::builtins
