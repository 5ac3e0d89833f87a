// Literals and the arithmetic operators: + - * / % ^^ & | ^ << >>, unary
// minus and typeof.
#include "api/exceptions.h"
#include "interp/fast_values.h"
#include "interp/integer_rules.h"
#include "interp/messages.h"
#include "interp/operators.h"
#include "interp/run_support.h"
#include "interp/string_values.h"
#include "value/arrays.h"

#include <cmath>
#include <cstdarg>
#include <cstring>

namespace pelorn::interp {

namespace {

constexpr const char *kOperatorNames[] = {"+", "-", "*", "/", "%", "^^", "&", "|", "^", "<<", ">>"};

const char *nameOf(ArithmeticOperator op) { return kOperatorNames[static_cast<int>(op)]; }

double asDouble(const ScriptValue &v) { return v.type == PELORN_INTEGER ? static_cast<double>(v.u.integer) : v.u.real; }

bool isNumber(const ScriptValue &v) { return v.type == PELORN_INTEGER || v.type == PELORN_FLOAT; }

// An integer power computed in floating point; what does not fit (or is
// not a number) gives the most negative integer.
int64_t integerPower(int64_t base, int64_t exponent)
{
    double d = std::pow(static_cast<double>(base), static_cast<double>(exponent));
    if (std::isnan(d) || d >= 9223372036854775808.0 || d < -9223372036854775808.0)
        return INT64_MIN;
    return static_cast<int64_t>(d);
}

// False when the joined block could not be allocated.
bool joinBytes(const uint8_t *a, int32_t na, const uint8_t *b, int32_t nb, ScriptValue &result)
{
    int32_t n = na + nb;
    auto *block = static_cast<uint8_t *>(zalloc(n));
    if (block == nullptr)
        return false;
    if (na > 0)
        std::memcpy(block, a, static_cast<size_t>(na));
    if (nb > 0)
        std::memcpy(block + na, b, static_cast<size_t>(nb));
    result = value::adoptBytes(block, n);
    return true;
}

// Converts a non-string operand of a mixed addition through its "string"
// property. Every failure, a native throw included, is just "no".
bool convertToString(ScriptValue &operand, ScriptValue &text)
{
    if (operand.getProperty == nullptr)
        return false;
    int32_t code;
    try {
        code = operand.getProperty(&operand, "string", &text);
    } catch (api::NativeThrow &thrown) {
        value::forgetPositions();
        drop(thrown.value);
        drop(text);
        return false;
    }
    if (operand.getProperty != GetField)
        value::forgetPositions();
    if (code == 0 && value::isString(text))
        return true;
    drop(text);
    return false;
}

// The messages are printf formats ("%%" is a percent sign).
__attribute__((format(printf, 1, 3))) Completion fail(const char *format, const Expression *at, ...)
{
    va_list arguments;
    va_start(arguments, at);
    vreport(fileOf(at), at->line, format, arguments);
    va_end(arguments);
    return Completion::Failed;
}

// The element values of both arrays in order, as one new array. Plain
// engine arrays are fresh operands, so their elements change hands as they
// are; arrays with hooks of their own are copied element by element.
Completion joinArrays(ScriptValue &left, ScriptValue &right, ScriptValue &result, const Expression *at)
{
    namespace arrays = value::arrays;
    ScriptValue joined = value::makeEmptyArray();
    ReleasedAtExit unfinished(joined);
    for (ScriptValue *a : {&left, &right}) {
        if (!arrays::isPlain(*a)) {
            if (!arrays::appendCopies(joined, *a))
                return Completion::Failed; // the copy wrote why
        } else if (!arrays::takeAll(joined, *a)) {
            return fail(msg::kJoinNoMemory, at);
        }
    }
    result = joined;
    value::clear(joined);
    return Completion::Normal;
}

// Addition of two typed, non-boolean operands; consumes both.
Completion add(const ArithmeticExpr &node, ScriptValue &l, ScriptValue &r, ScriptValue *result)
{
    ReleasedAtExit consumedLeft(l), consumedRight(r);
    const Expression *at = node.left;
    int32_t lt = l.type, rt = r.type;
    if (!joinedLengthFits(l, r) && (lt == PELORN_STRING || lt == PELORN_BYTEARRAY || rt == PELORN_BYTEARRAY))
        return fail(msg::kJoinTooLong, at);
    if (lt == PELORN_INTEGER && rt == PELORN_INTEGER) {
        setInteger(*result, integers::add(l.u.integer, r.u.integer));
    } else if (isNumber(l) && isNumber(r)) {
        setFloat(*result, asDouble(l) + asDouble(r));
    } else if (lt == PELORN_STRING && rt == PELORN_STRING) {
        concatenate(l, r);
        *result = l;
        value::setDefaultHooks(*result);
        value::clear(l);
    } else if ((lt == PELORN_BYTEARRAY || lt == PELORN_INTEGER) && (rt == PELORN_BYTEARRAY || rt == PELORN_INTEGER)) {
        // One side at least is a byte array; an integer joins as one byte.
        uint8_t leftByte = static_cast<uint8_t>(l.u.integer), rightByte = static_cast<uint8_t>(r.u.integer);
        bool joined = lt == PELORN_BYTEARRAY
                          ? joinBytes(l.u.bytes.data, l.u.bytes.length, rt == PELORN_BYTEARRAY ? r.u.bytes.data : &rightByte,
                                      rt == PELORN_BYTEARRAY ? r.u.bytes.length : 1, *result)
                          : joinBytes(&leftByte, 1, r.u.bytes.data, r.u.bytes.length, *result);
        if (!joined)
            return fail(msg::kJoinNoMemory, at);
    } else if (lt == PELORN_ARRAY && rt == PELORN_ARRAY) {
        return joinArrays(l, r, *result, at);
    } else if (lt == PELORN_STRING || rt == PELORN_STRING) {
        ScriptValue text = value::empty();
        ReleasedAtExit converted(text);
        if (!convertToString(lt == PELORN_STRING ? r : l, text))
            return fail(msg::kAddMismatch, at);
        ScriptValue &head = lt == PELORN_STRING ? l : text;
        ScriptValue &rest = lt == PELORN_STRING ? text : r;
        if (!joinedLengthFits(head, rest))
            return fail(msg::kJoinTooLong, at);
        concatenate(head, rest);
        *result = head;
        value::setDefaultHooks(*result);
        value::clear(head);
    } else {
        return fail(lt == rt ? msg::kAddSameType : msg::kAddMismatch, at);
    }
    return Completion::Normal;
}

Completion integerOnly(const ArithmeticExpr &node, const ScriptValue &l, const ScriptValue &r, ScriptValue *result)
{
    const Expression *at = node.left;
    bool integers = l.type == PELORN_INTEGER && r.type == PELORN_INTEGER;
    int64_t a = l.u.integer, b = r.u.integer;
    switch (node.op) {
    case ArithmeticOperator::Modulo:
        if (!integers)
            return fail(msg::kModuloNonInteger, at);
        if (b == 0)
            return fail(msg::kDivisionByZero, node.right);
        setInteger(*result, integers::remainder(a, b));
        return Completion::Normal;
    case ArithmeticOperator::ShiftLeft:
    case ArithmeticOperator::ShiftRight: {
        bool left = node.op == ArithmeticOperator::ShiftLeft;
        if (!integers)
            return fail(left ? msg::kShiftLeftNonInteger : msg::kShiftRightNonInteger, at);
        setInteger(*result, integers::shift(a, b, left));
        return Completion::Normal;
    }
    default: // & | ^
        if (!integers) {
            report(fileOf(at), at->line, msg::kBitwiseNonInteger, nameOf(node.op));
            return Completion::Failed;
        }
        int64_t n = node.op == ArithmeticOperator::BitAnd  ? (a & b)
                    : node.op == ArithmeticOperator::BitOr ? (a | b)
                                                           : (a ^ b);
        setInteger(*result, n);
        return Completion::Normal;
    }
}

// The operators other than +, on two typed, non-boolean operands.
Completion numeric(const ArithmeticExpr &node, const ScriptValue &l, const ScriptValue &r, ScriptValue *result)
{
    const Expression *at = node.left;
    if (l.type == PELORN_STRING || r.type == PELORN_STRING)
        return fail(msg::kOnlyPlusStrings, at);
    if (l.type == PELORN_BYTEARRAY || r.type == PELORN_BYTEARRAY)
        return fail(msg::kOnlyPlusBytes, at);
    if (!isNumber(l) || !isNumber(r)) {
        report(fileOf(at), at->line, msg::kUnsupportedOperand, nameOf(node.op));
        return Completion::Failed;
    }
    bool integers = l.type == PELORN_INTEGER && r.type == PELORN_INTEGER;
    switch (node.op) {
    case ArithmeticOperator::Subtract:
        if (integers)
            setInteger(*result, integers::subtract(l.u.integer, r.u.integer));
        else
            setFloat(*result, asDouble(l) - asDouble(r));
        return Completion::Normal;
    case ArithmeticOperator::Multiply:
        if (integers)
            setInteger(*result, integers::multiply(l.u.integer, r.u.integer));
        else
            setFloat(*result, asDouble(l) * asDouble(r));
        return Completion::Normal;
    case ArithmeticOperator::Divide:
        if (r.type == PELORN_INTEGER ? r.u.integer == 0 : r.u.real == 0.0)
            return fail(msg::kDivisionByZero, at);
        if (integers)
            setInteger(*result, integers::divide(l.u.integer, r.u.integer));
        else
            setFloat(*result, asDouble(l) / asDouble(r));
        return Completion::Normal;
    case ArithmeticOperator::Power:
        if (r.type != PELORN_INTEGER)
            return fail(msg::kExponentNotInteger, at);
        if (l.type == PELORN_INTEGER)
            setInteger(*result, integerPower(l.u.integer, r.u.integer));
        else
            setFloat(*result, std::pow(l.u.real, static_cast<double>(r.u.integer)));
        return Completion::Normal;
    default:
        return integerOnly(node, l, r, result);
    }
}

} // namespace

namespace {

bool integerShortcut(ArithmeticOperator op, int64_t a, int64_t b, ScriptValue *result)
{
    int64_t n;
    if (!foldIntegers(op, a, b, n))
        return false;
    setInteger(*result, n);
    return true;
}

} // namespace

Completion combine(const ArithmeticExpr &node, ScriptValue &l, ScriptValue &r, ScriptValue *result)
{
    const Expression *at = node.left;
    if (l.type == PELORN_INTEGER && r.type == PELORN_INTEGER && l.release == nullptr && r.release == nullptr) {
        if (integerShortcut(node.op, l.u.integer, r.u.integer, result))
            return Completion::Normal;
        return numeric(node, l, r, result);
    }
    Completion c;
    if (l.type == PELORN_UNDEFINED) {
        report(fileOf(at), at->line, msg::kLeftUntyped, nameOf(node.op));
        c = Completion::Failed;
    } else if (r.type == PELORN_UNDEFINED) {
        report(fileOf(at), at->line, msg::kRightUntyped, nameOf(node.op));
        c = Completion::Failed;
    } else if (l.type == PELORN_BOOLEAN || r.type == PELORN_BOOLEAN) {
        c = fail(msg::kArithmeticBoolean, at);
    } else if (node.op == ArithmeticOperator::Add) {
        return add(node, l, r, result); // consumes both
    } else {
        c = numeric(node, l, r, result);
    }
    drop(l);
    drop(r);
    return c;
}

// Out of line: folds over items read by index are the rarer ones.
bool ArithmeticExpr::peekWithItems(const RunContext &run, int64_t &out) const
{
    int64_t a, b;
    return peekOperand(run, left, a) && peekOperand(run, right, b) && foldIntegers(op, a, b, out);
}

Completion ArithmeticExpr::evaluate(RunContext &run, ScriptValue *result)
{
    // Integer variables, literals and arithmetic over them: read where they are.
    int64_t n;
    if ((foldable && peekIntegerNode(run, n)) || (foldsItems && peekWithItems(run, n))) {
        setInteger(*result, n);
        return Completion::Normal;
    }
    return evaluateOperands(run, result);
}

Completion ArithmeticExpr::evaluateOperands(RunContext &run, ScriptValue *result)
{
    ScriptValue l = value::empty();
    Completion c = evaluateInto(run, left, l);
    if (c != Completion::Normal) {
        drop(l);
        return c;
    }
    ScriptValue r = value::empty();
    c = evaluateInto(run, right, r);
    if (c != Completion::Normal) {
        drop(l);
        drop(r);
        return c;
    }
    return combine(*this, l, r, result);
}

Completion LiteralExpr::evaluate(RunContext &, ScriptValue *result)
{
    return duplicate(value, *result) ? Completion::Normal : Completion::Failed;
}

Completion NegateExpr::evaluate(RunContext &run, ScriptValue *result)
{
    ScriptValue v = value::empty();
    Completion c = evaluateInto(run, operand, v);
    if (c != Completion::Normal) {
        drop(v);
        return c;
    }
    switch (v.type) {
    case PELORN_INTEGER:
        setInteger(*result, integers::negate(v.u.integer));
        break;
    case PELORN_FLOAT:
        setFloat(*result, -v.u.real);
        break;
    case PELORN_UNDEFINED:
        return fail(msg::kNegateUntyped, operand);
    default:
        drop(v);
        return fail(msg::kNegateType, operand);
    }
    drop(v);
    return Completion::Normal;
}

Completion TypeofExpr::evaluate(RunContext &run, ScriptValue *result)
{
    ScriptValue v = value::empty();
    Completion c = evaluateInto(run, operand, v);
    if (c != Completion::Normal) {
        drop(v);
        return c;
    }
    int32_t type = v.type;
    drop(v);
    setInteger(*result, type);
    return Completion::Normal;
}

} // namespace pelorn::interp
