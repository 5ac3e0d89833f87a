// Comparisons, and, or, not.
#include "interp/fast_values.h"
#include "interp/messages.h"
#include "interp/operators.h"
#include "interp/run_support.h"

#include <cstring>

namespace pelorn::interp {

namespace {

constexpr const char *kConditionNames[] = {"=", "!=", ">", "<", ">=", "<=", "AND", "OR", "NOT"};

const char *nameOf(ConditionOperator op) { return kConditionNames[static_cast<int>(op)]; }

// Walks the characters of a string chain, crossing segment ends.
class CharacterWalk {
public:
    explicit CharacterWalk(const ScriptValue &s) : segment_(&s.u.string.first), at_(segment_->text) { settle(); }
    bool ended() const { return at_ == nullptr; }
    signed char current() const { return static_cast<signed char>(*at_); }
    void advance()
    {
        ++at_;
        settle();
    }

private:
    void settle()
    {
        while (segment_ != nullptr && (at_ == nullptr || *at_ == '\0')) {
            segment_ = segment_->next;
            at_ = segment_ != nullptr ? segment_->text : nullptr;
        }
    }

    const StringChunk *segment_;
    const char *at_;
};

bool truthOf(const ScriptValue &v)
{
    switch (v.type) {
    case PELORN_BOOLEAN:
        return v.u.boolean != 0;
    case PELORN_INTEGER:
        return v.u.integer != 0;
    default:
        return !(v.u.real == 0.0); // not a number counts as true
    }
}

bool hasTruth(const ScriptValue &v)
{
    return v.type == PELORN_BOOLEAN || v.type == PELORN_INTEGER || v.type == PELORN_FLOAT;
}

template <typename T> bool order(ConditionOperator op, T a, T b)
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

bool isEquality(ConditionOperator op) { return op == ConditionOperator::Equal || op == ConditionOperator::NotEqual; }

// Compares two typed operands of a comparison operator (not and/or).
// False after a message.
bool compare(ConditionOperator op, const ScriptValue &l, const ScriptValue &r, const Expression *at, bool &truth)
{
    if (l.type != r.type) {
        bool numbers = (l.type == PELORN_INTEGER || l.type == PELORN_FLOAT) &&
                       (r.type == PELORN_INTEGER || r.type == PELORN_FLOAT);
        if (!numbers) {
            report(fileOf(at), at->line, msg::kCompareMixedTypes);
            return false;
        }
        double a = l.type == PELORN_INTEGER ? static_cast<double>(l.u.integer) : l.u.real;
        double b = r.type == PELORN_INTEGER ? static_cast<double>(r.u.integer) : r.u.real;
        truth = order(op, a, b);
        return true;
    }
    switch (l.type) {
    case PELORN_INTEGER:
        truth = order(op, l.u.integer, r.u.integer);
        return true;
    case PELORN_FLOAT:
        truth = order(op, l.u.real, r.u.real);
        return true;
    case PELORN_STRING:
        truth = order(op, compareStrings(l, r), 0);
        return true;
    case PELORN_BOOLEAN:
        if (!isEquality(op)) {
            report(fileOf(at), at->line, msg::kBooleanOrder, nameOf(op));
            return false;
        }
        truth = order(op, l.u.boolean, r.u.boolean);
        return true;
    case PELORN_BYTEARRAY: {
        if (!isEquality(op)) {
            report(fileOf(at), at->line, msg::kBytesOrder, nameOf(op));
            return false;
        }
        int32_t n = l.u.bytes.length;
        bool same = n == r.u.bytes.length &&
                    (n <= 0 || std::memcmp(l.u.bytes.data, r.u.bytes.data, static_cast<size_t>(n)) == 0);
        truth = (op == ConditionOperator::Equal) == same;
        return true;
    }
    default:
        report(fileOf(at), at->line, msg::kCompareUnsupported);
        return false;
    }
}

} // namespace

int compareStrings(const ScriptValue &left, const ScriptValue &right)
{
    CharacterWalk l(left), r(right);
    if (l.ended())
        return r.ended() ? 0 : -1;
    if (r.ended())
        return 1;
    for (;;) {
        if (l.ended()) {
            if (r.ended())
                return 0;
            // A prefix orders before the longer string only when the byte
            // that follows it is positive.
            return r.current() > 0 ? -1 : 1;
        }
        if (r.ended())
            return 1;
        if (l.current() != r.current())
            return l.current() < r.current() ? -1 : 1;
        l.advance();
        r.advance();
    }
}

Completion ConditionExpr::evaluate(RunContext &run, ScriptValue *result)
{
    bool known;
    if (foldable && peekTruth(run, known)) {
        setBoolean(*result, known);
        return Completion::Normal;
    }
    ScriptValue l = value::empty();
    Completion c = evaluateInto(run, left, l);
    if (c != Completion::Normal) {
        drop(l);
        return c;
    }
    const ScriptValue *rightLeaf = op <= ConditionOperator::LessEqual ? leafOf(run, right) : nullptr;
    if (l.type == PELORN_INTEGER && rightLeaf != nullptr && rightLeaf->type == PELORN_INTEGER &&
        rightLeaf->copy == nullptr) {
        // Comparing with an integer variable or literal: nothing to release.
        setBoolean(*result, order(op, l.u.integer, rightLeaf->u.integer));
        drop(l);
        return Completion::Normal;
    }
    if (op == ConditionOperator::Not) {
        if (!hasTruth(l)) {
            drop(l);
            report(fileOf(left), left->line, msg::kNotType);
            return Completion::Failed;
        }
        bool truth = truthOf(l);
        drop(l);
        setBoolean(*result, !truth);
        return Completion::Normal;
    }
    if (l.type == PELORN_UNDEFINED) {
        report(fileOf(left), left->line, msg::kConditionUntyped);
        return Completion::Failed;
    }
    bool logic = op == ConditionOperator::And || op == ConditionOperator::Or;
    if (logic && hasTruth(l)) {
        bool truth = truthOf(l);
        if (truth == (op == ConditionOperator::Or)) { // decided without the right operand
            drop(l);
            setBoolean(*result, truth);
            return Completion::Normal;
        }
    }
    ScriptValue r = value::empty();
    c = evaluateInto(run, right, r);
    if (c != Completion::Normal) {
        drop(l);
        drop(r);
        return c;
    }
    bool truth = false;
    bool ok = true;
    if (r.type == PELORN_UNDEFINED) {
        report(fileOf(left), left->line, msg::kConditionUntyped);
        ok = false;
    } else if (logic) {
        if (l.type != PELORN_BOOLEAN || r.type != PELORN_BOOLEAN) {
            report(fileOf(left), left->line, msg::kLogicNonBoolean, nameOf(op));
            ok = false;
        } else {
            bool a = l.u.boolean != 0, b = r.u.boolean != 0;
            truth = op == ConditionOperator::And ? (a && b) : (a || b);
        }
    } else {
        ok = compare(op, l, r, left, truth);
    }
    drop(l);
    drop(r);
    if (!ok)
        return Completion::Failed;
    setBoolean(*result, truth);
    return Completion::Normal;
}

} // namespace pelorn::interp
