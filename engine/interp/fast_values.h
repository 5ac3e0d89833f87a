// Inline forms of the value operations for the scalar types (no type,
// integer, float, boolean), which own no payload blocks: the interpreter
// copies and releases such values at almost every node.
#pragma once

#include "interp/integer_rules.h"
#include "interp/nodes.h"
#include "value/value.h"

namespace pelorn::interp {

// No type, integer, float or boolean: a bit test over the codes from
// integer on (1000, 1001, 1003 set; 1002 is string), or no type at all.
inline bool isScalar(int32_t type)
{
    uint32_t fromInteger = static_cast<uint32_t>(type) - PELORN_INTEGER;
    constexpr uint32_t kScalarCodes = 0b1011; // integer, float, -, boolean
    return fromInteger < 4 ? ((kScalarCodes >> fromInteger) & 1) != 0 : type == PELORN_UNDEFINED;
}

// value::release.
inline void drop(ScriptValue &v)
{
    if (v.release == nullptr && isScalar(v.type)) {
        v.type = PELORN_UNDEFINED;
        return;
    }
    value::release(v);
}

// value::copy: a scalar without a copy hook is copied as the whole record.
inline bool duplicate(const ScriptValue &source, ScriptValue &destination)
{
    if (source.copy == nullptr && isScalar(source.type) && destination.release == nullptr &&
        isScalar(destination.type)) {
        destination = source;
        return true;
    }
    return value::copy(source, destination);
}

// Fills a record known to hold no payload (type 0, or a scalar) in place,
// with the default hooks: cheaper than building a value and copying it.
inline void setHooks(ScriptValue &r)
{
    r.getProperty = GetField;
    r.setProperty = SetField;
    r.release = nullptr;
    r.copy = nullptr;
    r.freeBlock = nullptr;
}

inline void setInteger(ScriptValue &r, int64_t n)
{
    r.type = PELORN_INTEGER;
    r.u.integer = n;
    setHooks(r);
}

inline void setFloat(ScriptValue &r, double d)
{
    r.type = PELORN_FLOAT;
    r.u.real = d;
    setHooks(r);
}

inline void setBoolean(ScriptValue &r, bool b)
{
    r.type = PELORN_BOOLEAN;
    r.u.integer = 0;
    r.u.boolean = b ? 1 : 0;
    setHooks(r);
}

inline ScriptValue integerValue(int64_t n)
{
    ScriptValue v;
    setInteger(v, n);
    v.reserved = 0;
    return v;
}

// value::move: destination takes source's value (what it held is
// released) and source is left empty. A scalar's record goes over whole;
// marking the type and the release hook is enough to make it empty, as it
// owns no payload.
inline void moveValue(ScriptValue &source, ScriptValue &destination)
{
    drop(destination);
    destination = source;
    if (isScalar(source.type)) {
        source.type = PELORN_UNDEFINED;
        source.release = nullptr;
        return;
    }
    value::clear(source);
}

// Owns a value record for the rest of a scope: releases it at every exit.
// A record moved on meanwhile (left empty) releases nothing. For operands
// that a function consumes, instead of a release on each of its exits.
class ReleasedAtExit {
public:
    explicit ReleasedAtExit(ScriptValue &v) : v_(v) {}
    ~ReleasedAtExit() { drop(v_); }
    ReleasedAtExit(const ReleasedAtExit &) = delete;
    ReleasedAtExit &operator=(const ReleasedAtExit &) = delete;

private:
    ScriptValue &v_;
};

// A plain integer: no hooks that could make reading it run anything.
inline bool isPlainInteger(const ScriptValue &v)
{
    return v.type == PELORN_INTEGER && v.copy == nullptr && v.release == nullptr;
}

// The value a variable or a literal stands for, read where it is without
// a call; null for every other kind of node.
inline const ScriptValue *leafOf(const RunContext &run, const Expression *e)
{
    if (e->kind > ExpressionKind::Literal)
        return nullptr;
    return e->place != nullptr ? e->place : run.frame + e->slot;
}

// + - * / % of two integers, the common case, without the checks that
// cannot apply. False when the operator needs the general path (for its
// messages).
inline bool foldIntegers(ArithmeticOperator op, int64_t a, int64_t b, int64_t &out)
{
    switch (op) {
    case ArithmeticOperator::Add:
        out = integers::add(a, b);
        return true;
    case ArithmeticOperator::Subtract:
        out = integers::subtract(a, b);
        return true;
    case ArithmeticOperator::Multiply:
        out = integers::multiply(a, b);
        return true;
    case ArithmeticOperator::Divide:
        if (b == 0)
            return false;
        out = integers::divide(a, b);
        return true;
    case ArithmeticOperator::Modulo:
        if (b == 0)
            return false;
        out = integers::remainder(a, b);
        return true;
    default:
        return false;
    }
}

// A comparison operator (= != > < >= <=) applied to two numbers of one type.
template <typename T> inline bool compareOrdered(ConditionOperator op, T a, T b)
{
    switch (op) {
    case ConditionOperator::Equal:
        return a == b;
    case ConditionOperator::NotEqual:
        return a != b;
    case ConditionOperator::Greater:
        return a > b;
    case ConditionOperator::Less:
        return a < b;
    case ConditionOperator::GreaterEqual:
        return a >= b;
    default:
        return a <= b;
    }
}

inline bool compareIntegers(ConditionOperator op, int64_t a, int64_t b) { return compareOrdered(op, a, b); }

// The integer an expression stands for when it can be had without
// evaluating it: integer hot paths then need no 72-byte value record.
// False (nothing done) when the expression must be evaluated.
inline bool peekInteger(const RunContext &run, const Expression *e, int64_t &out)
{
    if (const ScriptValue *leaf = leafOf(run, e)) {
        if (!isPlainInteger(*leaf))
            return false;
        out = leaf->u.integer;
        return true;
    }
    return e->foldable && e->kind == ExpressionKind::Arithmetic &&
           static_cast<const ArithmeticExpr *>(e)->peekIntegerNode(run, out);
}

// peekInteger, and also an item read by index (a byte, an integer
// element) and arithmetic over such items (see ArithmeticExpr::foldsItems):
// kept apart so that peekInteger stays as small as it is on every other
// integer path.
inline bool peekOperand(const RunContext &run, const Expression *e, int64_t &out)
{
    if (e->kind == ExpressionKind::Index)
        return e->foldable && static_cast<const IndexExpr *>(e)->peekItemNode(run, out);
    if (e->kind == ExpressionKind::Arithmetic && static_cast<const ArithmeticExpr *>(e)->foldsItems)
        return static_cast<const ArithmeticExpr *>(e)->peekWithItems(run, out);
    return peekInteger(run, e, out);
}

// The truth of a comparison when it can be had without evaluating it.
inline bool peekTruth(const RunContext &run, const Expression *e, bool &out)
{
    return e->foldable && e->kind == ExpressionKind::Condition &&
           static_cast<const ConditionExpr *>(e)->peekTruth(run, out);
}

// Evaluates an expression into `out` (empty on entry). A variable or a
// literal holding a scalar is copied straight from where it is, and
// integer arithmetic over such leaves is folded, without the call through
// the node's evaluate.
inline Completion evaluateInto(RunContext &run, Expression *e, ScriptValue &out)
{
    const ScriptValue *leaf = leafOf(run, e);
    if (leaf != nullptr && leaf->copy == nullptr && isScalar(leaf->type)) {
        out = *leaf;
        return Completion::Normal;
    }
    if (e->foldable && e->kind == ExpressionKind::Arithmetic) {
        auto *arithmetic = static_cast<ArithmeticExpr *>(e);
        int64_t n;
        if (!arithmetic->peekIntegerNode(run, n))
            return arithmetic->evaluateOperands(run, &out);
        setInteger(out, n);
        return Completion::Normal;
    }
    return e->evaluate(run, &out);
}

// evaluateInto for an expression whose integer fold has just failed: a
// failed fold is not tried again.
inline Completion evaluateUnfolded(RunContext &run, Expression *e, ScriptValue &out)
{
    const ScriptValue *leaf = leafOf(run, e);
    if (leaf != nullptr && leaf->copy == nullptr && isScalar(leaf->type)) {
        out = *leaf;
        return Completion::Normal;
    }
    if (e->kind == ExpressionKind::Arithmetic &&
        (e->foldable || static_cast<const ArithmeticExpr *>(e)->foldsItems))
        return static_cast<ArithmeticExpr *>(e)->evaluateOperands(run, &out);
    return e->evaluate(run, &out);
}

// Every integer hot path folds through these two: inline, so that a loop
// or an assignment reads its operands without a call.
inline bool ArithmeticExpr::peekIntegerNode(const RunContext &run, int64_t &out) const
{
    int64_t a, b;
    return peekInteger(run, left, a) && peekInteger(run, right, b) && foldIntegers(op, a, b, out);
}

inline bool ConditionExpr::peekTruth(const RunContext &run, bool &out) const
{
    int64_t a, b;
    if (!peekInteger(run, left, a) || !peekInteger(run, right, b))
        return false;
    out = compareIntegers(op, a, b);
    return true;
}

} // namespace pelorn::interp
