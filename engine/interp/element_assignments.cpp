// Assignment to elements: x[i]...[k] = e and x[i]...[k] op= e, for arrays,
// byte arrays and strings.
#include "interp/array_forms.h"
#include "interp/compound_operators.h"
#include "interp/fast_values.h"
#include "interp/messages.h"
#include "interp/run_support.h"
#include "interp/scratch_values.h"
#include "interp/string_values.h"

#include <cmath>

namespace pelorn::interp {

namespace {

// Where the last index leads: a byte or character of a byte array or
// string, or an array element's value.
struct Destination {
    ScriptValue *holder = nullptr; // the byte array or string
    uint64_t index = 0;
    ScriptValue *element = nullptr; // set instead for an array element
    // The element lies in a chain (a module's variable, an array with a
    // module's hooks): what it receives must take the public form.
    bool inChain = false;
};

Completion evaluateIndexes(RunContext &run, const ValueRecords &records, ScratchValues &values)
{
    for (size_t i = 0; i < records.size(); ++i) {
        Completion c = evaluateInto(run, records[i].expression, values[i]);
        if (c != Completion::Normal)
            return c;
    }
    return Completion::Normal;
}

uint64_t sizeOf(const ScriptValue &v)
{
    switch (v.type) {
    case PELORN_BYTEARRAY:
        return v.u.bytes.length > 0 ? static_cast<uint64_t>(v.u.bytes.length) : 0;
    case PELORN_STRING:
        return v.u.string.length;
    default:
        return value::arrays::length(v);
    }
}

// Follows the indexes from the variable. The compound form has messages
// of its own and tests the variable's flags after each bounds check.
bool walk(const RunContext &run, const VariableExpr &target, ScratchValues &indexes, bool compound, Destination &out)
{
    const char *file = fileOf(&target);
    const char *name = target.name.c_str();
    ScriptValue *current = &target.ref(run);
    // Arrays along the way become vectors, up to the first that must stay
    // a chain (a module's variable holds chains only); a chain holds chains
    // only, so the rest are chains too.
    bool inChain = false;
    for (size_t i = 0; i < indexes.size(); ++i) {
        int32_t type = current->type;
        if (type != PELORN_BYTEARRAY && type != PELORN_ARRAY && type != PELORN_STRING) {
            report(file, target.line, compound ? msg::kElementNotArrayLike : msg::kElementNotArray);
            return false;
        }
        if (indexes[i].type != PELORN_INTEGER) {
            report(file, target.line, msg::kIndexNotInteger);
            return false;
        }
        auto index = static_cast<uint64_t>(indexes[i].u.integer); // negative ones are out of bounds
        uint64_t size = sizeOf(*current);
        if (index >= size) {
            if (compound)
                report(file, target.line, msg::kElementOutOfBoundsDetailed, name,
                                  static_cast<unsigned long long>(index), static_cast<unsigned long long>(size));
            else
                report(file, target.line, msg::kElementOutOfBounds, name);
            return false;
        }
        if (compound && (target.isConstant || target.isReadOnly)) {
            report(file, target.line, target.isConstant ? msg::kElementCompoundConstant : msg::kElementCompoundReadOnly, name);
            return false;
        }
        if (type == PELORN_ARRAY) {
            if (!inChain && !value::arrays::isVector(*current))
                inChain = target.storage == VariableStorage::External ||
                          !(value::arrays::isPlain(*current) && value::arrays::own(*current));
            current = value::arrays::at(*current, index);
            continue;
        }
        if (i + 1 < indexes.size()) {
            report(file, target.line, msg::kTooManyIndexes, name);
            return false;
        }
        out = Destination{current, index, nullptr};
        return true;
    }
    out = Destination{nullptr, 0, current, inChain};
    return true;
}

// The byte an integer or float stores: the low 8 bits, a float first
// truncated to a 32-bit integer (out of range gives the integer
// indefinite value, whose low byte is 0).
bool byteOf(const ScriptValue &v, uint8_t &byte)
{
    if (v.type == PELORN_INTEGER) {
        byte = static_cast<uint8_t>(v.u.integer);
        return true;
    }
    if (v.type == PELORN_FLOAT) {
        double t = std::trunc(v.u.real);
        byte = t >= -2147483648.0 && t <= 2147483647.0 ? static_cast<uint8_t>(static_cast<int32_t>(t)) : 0;
        return true;
    }
    return false;
}

// The byte or character a destination designates; null when a string's
// chain is shorter than its length says.
uint8_t *slotOf(const Destination &d)
{
    if (d.holder->type == PELORN_BYTEARRAY)
        return d.holder->u.bytes.data + d.index;
    return reinterpret_cast<uint8_t *>(characterAt(*d.holder, d.index));
}

// Evaluates the value; re-walks afterwards when that evaluation may have
// changed the variable (a call writing an argument back may even have
// freed what the first walk found).
Completion evaluateValue(RunContext &run, Expression *valueExpression, const VariableExpr &target,
                         ScratchValues &indexes, bool compound, Destination &d, ScriptValue &v)
{
    Completion c = evaluateInto(run, valueExpression, v);
    if (c != Completion::Normal)
        return c;
    if (!valueExpression->pure && !walk(run, target, indexes, compound, d))
        return Completion::Failed;
    return Completion::Normal;
}

// b[i] = n on a byte array, where neither the index nor the value needs
// evaluating: the byte is stored without value records. False, with
// nothing done, when the general path must run (and give its messages).
bool storeByteDirect(const RunContext &run, const ElementAssignStatement &s)
{
    if (s.indexes.size() != 1 || s.target->isConstant || s.target->isReadOnly)
        return false;
    ScriptValue &holder = s.target->ref(run);
    int64_t index, n;
    if (holder.type != PELORN_BYTEARRAY || !peekOperand(run, s.indexes[0].expression, index) || index < 0 ||
        index >= holder.u.bytes.length || !peekOperand(run, s.value, n))
        return false;
    holder.u.bytes.data[index] = static_cast<uint8_t>(n);
    return true;
}

} // namespace

Completion ElementAssignStatement::execute(RunContext &run)
{
    if (storeByteDirect(run, *this))
        return Completion::Normal;
    ScratchValues ix(indexes.size());
    Completion c = evaluateIndexes(run, indexes, ix);
    if (c != Completion::Normal)
        return c;
    if (target->isConstant || target->isReadOnly) {
        report(fileOf(target), target->line, target->isConstant ? msg::kElementConstant : msg::kElementReadOnly, target->name.c_str());
        return Completion::Failed;
    }
    Destination d;
    if (!walk(run, *target, ix, false, d))
        return Completion::Failed;
    ScriptValue v = value::empty();
    c = evaluateValue(run, value, *target, ix, false, d, v);
    if (c != Completion::Normal) {
        drop(v);
        return c;
    }
    if (d.element != nullptr) { // any value, one without type included
        bool ok = handOver(v, *d.element) && (!d.inChain || value::arrays::publish(*d.element));
        return ok ? Completion::Normal : Completion::Failed;
    }
    bool bytes = d.holder->type == PELORN_BYTEARRAY;
    uint8_t byte;
    bool ok = byteOf(v, byte);
    drop(v);
    if (!ok) {
        const Expression *at = bytes ? value : static_cast<const Expression *>(target);
        report(fileOf(at), at->line, msg::kElementValueType);
        return Completion::Failed;
    }
    uint8_t *slot = slotOf(d);
    if (slot == nullptr) {
        report(fileOf(target), target->line, msg::kElementOutOfBounds, target->name.c_str());
        return Completion::Failed;
    }
    *slot = byte; // a string keeps its length
    if (byte == 0 && !bytes)
        forgetPositions();
    return Completion::Normal;
}

Completion ElementCompoundAssignStatement::execute(RunContext &run)
{
    ScratchValues ix(indexes.size());
    Completion c = evaluateIndexes(run, indexes, ix);
    if (c != Completion::Normal)
        return c;
    Destination d;
    if (!walk(run, *target, ix, true, d))
        return Completion::Failed;
    ScriptValue v = value::empty();
    c = evaluateValue(run, value, *target, ix, true, d, v);
    if (c != Completion::Normal) {
        drop(v);
        return c;
    }
    const char *name = target->name.c_str();
    if (d.element != nullptr) {
        if (!compoundCompatible(*d.element, v)) {
            drop(v);
            report(fileOf(value), value->line, msg::kElementCompoundType, compoundName(op), name);
            return Completion::Failed;
        }
        bool ok = applyCompound(op, *d.element, v, d.inChain, name, value);
        ok = (!d.inChain || value::arrays::publish(*d.element)) && ok;
        return ok ? Completion::Normal : Completion::Failed;
    }
    bool bytes = d.holder->type == PELORN_BYTEARRAY;
    uint8_t operand;
    bool ok = byteOf(v, operand);
    drop(v);
    if (!ok) {
        const Expression *at = bytes ? value : static_cast<const Expression *>(target);
        report(fileOf(at), at->line, msg::kElementValueType);
        return Completion::Failed;
    }
    if (operand == 0 && (op == CompoundOperator::Divide || op == CompoundOperator::Modulo)) {
        report(fileOf(value), value->line, op == CompoundOperator::Modulo ? msg::kElementModuloZero : msg::kElementDivideZero);
        return Completion::Failed;
    }
    uint8_t *slot = slotOf(d);
    if (slot == nullptr) {
        report(fileOf(target), target->line, msg::kElementOutOfBoundsDetailed, name,
                          static_cast<unsigned long long>(d.index),
                          static_cast<unsigned long long>(d.holder->u.string.length));
        return Completion::Failed;
    }
    // Byte arrays divide unsigned bytes, strings signed characters.
    int a = bytes ? *slot : static_cast<signed char>(*slot);
    int b = bytes ? operand : static_cast<signed char>(operand);
    int r = 0;
    switch (op) {
    case CompoundOperator::Add:
        r = a + b;
        break;
    case CompoundOperator::Subtract:
        r = a - b;
        break;
    case CompoundOperator::Multiply:
        r = a * b;
        break;
    case CompoundOperator::Divide:
        r = a / b;
        break;
    case CompoundOperator::Modulo:
        r = a % b;
        break;
    }
    *slot = static_cast<uint8_t>(r);
    if (*slot == 0 && !bytes)
        forgetPositions();
    return Completion::Normal;
}

} // namespace pelorn::interp
