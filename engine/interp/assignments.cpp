// Assignment to variables: =, the compound forms, ++ and --, and property
// assignment. Element assignment is in element_assignments.cpp.
#include "api/exceptions.h"
#include "interp/array_forms.h"
#include "interp/compound_operators.h"
#include "interp/fast_values.h"
#include "interp/integer_rules.h"
#include "interp/messages.h"
#include "interp/operators.h"
#include "interp/run_support.h"
#include "interp/string_values.h"

namespace pelorn::interp {

namespace {

// A value made by the engine, with no hooks of a module's.
bool isEngineValue(const ScriptValue &v)
{
    return v.getProperty == GetField && v.setProperty == SetField && v.release == nullptr && v.copy == nullptr &&
           v.freeBlock == nullptr;
}

} // namespace

namespace {

// A module's variable receives the value in the public form. Out of line:
// the common path stays free of it.
[[gnu::noinline]] Completion assignExternal(ScriptValue &v, ScriptValue &stored)
{
    moveValue(v, stored);
    return publishExternal(stored) ? Completion::Normal : Completion::Failed;
}

// Every form but the integer one; out of line, so that the integer form
// runs without this one's stack frame.
[[gnu::noinline]] Completion assignEvaluated(AssignStatement &s, RunContext &run, bool foldFailed)
{
    VariableExpr *target = s.target;
    Expression *value = s.value;
    ScriptValue &stored = target->ref(run);
    ScriptValue v = value::empty();
    if (s.selfAppend && (stored.type == PELORN_STRING || stored.type == PELORN_ARRAY) &&
        isEngineValue(stored)) {
        // x = x + e would copy x, link e behind the copy and drop the old
        // x; linking e behind x itself gives the same value.
        auto *sum = static_cast<ArithmeticExpr *>(value);
        const ScriptValue *piece = leafOf(run, sum->right);
        if (stored.type == PELORN_STRING && piece != nullptr && piece != &stored && piece->type == PELORN_STRING &&
            piece->copy == nullptr && piece->release == nullptr && copiedInPlace(*piece)) {
            // A string variable or literal: its text is copied straight
            // from where it is, without a copy of the value.
            if (!joinedLengthFits(stored, *piece)) {
                report(fileOf(sum), sum->line, msg::kJoinTooLong);
                return Completion::Failed;
            }
            if (!appendInPlace(stored, *piece)) {
                report(fileOf(sum->left), sum->left->line, msg::kJoinNoMemory);
                return Completion::Failed;
            }
            return Completion::Normal;
        }
        ScriptValue right = value::empty();
        Completion c = evaluateInto(run, sum->right, right);
        if (c != Completion::Normal) {
            drop(right);
            return c;
        }
        if (right.type == stored.type && stored.type == PELORN_STRING) {
            if (!joinedLengthFits(stored, right)) {
                drop(right);
                report(fileOf(sum), sum->line, msg::kJoinTooLong);
                return Completion::Failed;
            }
            if (!copiedInPlace(right)) {
                concatenate(stored, right);
                return Completion::Normal;
            }
            bool appended = appendInPlace(stored, right);
            drop(right);
            if (!appended) {
                report(fileOf(sum->left), sum->left->line, msg::kJoinNoMemory);
                return Completion::Failed;
            }
            return Completion::Normal;
        }
        if (right.type == stored.type && value::arrays::isPlain(right)) {
            bool appended = value::arrays::takeAll(stored, right);
            drop(right);
            if (!appended) {
                report(fileOf(sum->left), sum->left->line, msg::kJoinNoMemory);
                return Completion::Failed;
            }
            return publishIfExternal(*target, stored) ? Completion::Normal : Completion::Failed;
        }
        ScriptValue left = value::empty();
        if (!value::copy(stored, left)) {
            drop(right);
            return Completion::Failed;
        }
        c = combine(*sum, left, right, &v);
        if (c != Completion::Normal)
            return c;
    } else {
        Completion c = foldFailed ? evaluateUnfolded(run, value, v) : evaluateInto(run, value, v);
        if (c != Completion::Normal) {
            drop(v);
            return c;
        }
    }
    if (v.type == PELORN_UNDEFINED) {
        report(fileOf(value), value->line, msg::kAssignUntyped, target->name.c_str());
        return Completion::Failed;
    }
    if (target->isConstant && !s.declaration) {
        drop(v);
        report(fileOf(target), target->line, msg::kAssignConstant, target->name.c_str());
        return Completion::Failed;
    }
    if (target->isReadOnly) {
        drop(v);
        report(fileOf(target), target->line, msg::kAssignReadOnly, target->name.c_str());
        return Completion::Failed;
    }
    if (v.type == PELORN_ARRAY && target->storage == VariableStorage::External) [[unlikely]]
        return assignExternal(v, stored);
    moveValue(v, stored);
    return Completion::Normal;
}

} // namespace

Completion AssignStatement::execute(RunContext &run)
{
    ScriptValue &stored = target->ref(run);
    int64_t n;
    if (!target->isConstant && !target->isReadOnly && stored.release == nullptr && isScalar(stored.type)) {
        if (!peekOperand(run, value, n))
            return assignEvaluated(*this, run, true);
        // Integer arithmetic over integers straight into a scalar variable.
        setInteger(stored, n);
        return Completion::Normal;
    }
    return assignEvaluated(*this, run, false);
}

Completion CompoundAssignStatement::execute(RunContext &run)
{
    const char *name = target->name.c_str();
    const char *opName = compoundName(op);
    ScriptValue right = value::empty();
    Completion c = evaluateInto(run, value, right);
    if (c != Completion::Normal) {
        drop(right);
        return c;
    }
    const char *problem = nullptr;
    const Expression *at = target;
    if (right.type == PELORN_UNDEFINED) {
        problem = msg::kCompoundUntyped;
        at = value;
    } else if (target->isConstant) {
        problem = msg::kCompoundConstant;
    } else if (target->isReadOnly) {
        problem = msg::kCompoundReadOnly;
    } else if (!compoundCompatible(target->ref(run), right)) {
        problem = msg::kCompoundTypeDiffers;
        at = value;
    }
    if (problem != nullptr) {
        drop(right);
        report(fileOf(at), at->line, problem, opName, name);
        return Completion::Failed;
    }
    ScriptValue &stored = target->ref(run);
    bool ok = applyCompound(op, stored, right, target->storage == VariableStorage::External, name, value);
    ok = publishIfExternal(*target, stored) && ok;
    return ok ? Completion::Normal : Completion::Failed;
}

Completion IncrementStatement::execute(RunContext &run)
{
    // Neither the constant nor the read-only flag is tested here.
    ScriptValue &stored = target->ref(run);
    const char *opName = increment ? "++" : "--";
    if (stored.type != PELORN_INTEGER) {
        report(fileOf(target), target->line, stored.type == PELORN_UNDEFINED ? msg::kIncrementUntyped : msg::kIncrementNotInteger, target->name.c_str(), opName);
        return Completion::Failed;
    }
    stored.u.integer = increment ? integers::add(stored.u.integer, 1) : integers::subtract(stored.u.integer, 1);
    return Completion::Normal;
}

Completion PropertyAssignStatement::execute(RunContext &run)
{
    ScriptValue v = value::empty();
    Completion c = evaluateInto(run, value, v);
    if (c != Completion::Normal) {
        drop(v);
        return c;
    }
    const char *file = fileOf(target);
    const char *name = target->name.c_str();
    const char *propertyName = property.c_str();
    ScriptValue &stored = target->ref(run);
    const char *problem = target->isConstant       ? msg::kCompoundConstant
                          : target->isReadOnly     ? msg::kCompoundReadOnly
                          : v.type == PELORN_UNDEFINED ? msg::kCompoundUntyped
                                                       : nullptr;
    if (problem != nullptr) {
        drop(v);
        report(file, target->line, problem, "=", name);
        return Completion::Failed;
    }
    if (stored.setProperty == nullptr) {
        drop(v);
        report(file, target->line, msg::kPropertyNoHook, propertyName, name);
        return Completion::Failed;
    }
    if (stored.setProperty != SetField) // a module's hook runs in the directory of the run
        run.directory.sync();
    int32_t code;
    // A module's hook reads the new value in the public form.
    if (stored.setProperty != SetField && !value::arrays::publish(v)) {
        drop(v);
        return Completion::Failed;
    }
    try {
        code = stored.setProperty(&stored, propertyName, &v);
    } catch (api::NativeThrow &thrown) {
        value::forgetPositions();
        std::string text;
        if (!textOf(thrown.value, text))
            text = msg::kUnknownText;
        drop(thrown.value);
        drop(v);
        report(file, target->line, msg::kPropertySetThrew, propertyName, name, text.c_str());
        return Completion::Failed;
    }
    if (stored.setProperty != SetField)
        value::forgetPositions();
    drop(v);
    switch (code) {
    case 0:
        return Completion::Normal;
    case 1:
        report(file, target->line, msg::kPropertyUnknown, propertyName, name);
        break;
    case 2:
        report(file, target->line, msg::kPropertyReadOnly, propertyName, name);
        break;
    default:
        report(file, target->line, msg::kPropertyIncompatible, propertyName, name);
        break;
    }
    return Completion::Failed;
}

} // namespace pelorn::interp
