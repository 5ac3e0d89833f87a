// if, while and for. Loops are where break ends.
#include "interp/fast_values.h"
#include "interp/integer_rules.h"
#include "interp/messages.h"
#include "interp/run_support.h"

namespace pelorn::interp {

namespace {

// A body's completion as its loop sees it: a pending break ends the loop
// (Break), anything else but Normal ends the loop and travels on.
enum class BodyOutcome { Continue, Break, Leave };

BodyOutcome runBody(RunContext &run, BlockStatement *body, Completion &c)
{
    c = body->execute(run);
    if (c == Completion::Normal)
        return BodyOutcome::Continue;
    if (c == Completion::Transfer && run.transfer.code == TransferCode::Break) {
        dropTransfer(run);
        return BodyOutcome::Break;
    }
    return BodyOutcome::Leave;
}

// Evaluates an expression that must give an integer (for-loop bounds and
// step). False when evaluation did not complete (c says how) or the value
// is not an integer (c is Normal; the caller reports).
bool evaluateInteger(RunContext &run, Expression *e, int64_t &out, Completion &c)
{
    const ScriptValue *leaf = leafOf(run, e); // a variable or literal: read where it is
    if (leaf != nullptr && leaf->type == PELORN_INTEGER && leaf->copy == nullptr) {
        c = Completion::Normal;
        out = leaf->u.integer;
        return true;
    }
    if (leaf == nullptr && peekInteger(run, e, out)) { // say n - 1
        c = Completion::Normal;
        return true;
    }
    ScriptValue v = value::empty();
    c = evaluateInto(run, e, v);
    if (c != Completion::Normal) {
        drop(v);
        return false;
    }
    bool ok = value::isInteger(v);
    out = v.u.integer;
    drop(v);
    return ok;
}

// Stores n into the counter, which the body may have given another type.
void setCounter(ScriptValue &counter, int64_t n)
{
    if (counter.type != PELORN_INTEGER || counter.release != nullptr) {
        drop(counter);
        setInteger(counter, n);
        return;
    }
    counter.u.integer = n;
}

// The truth of a condition that must be evaluated; out of line, so that
// a folded condition runs without this one's stack frame. False when the
// condition did not complete (c says how).
[[gnu::noinline]] bool evaluateIfCondition(RunContext &run, Expression *condition, bool &truth, Completion &c)
{
    ScriptValue v = value::empty();
    c = evaluateInto(run, condition, v);
    if (c != Completion::Normal) {
        drop(v);
        return false;
    }
    switch (v.type) {
    case PELORN_BOOLEAN:
        truth = v.u.boolean == 1; // only the byte 1 counts as true here
        return true;
    case PELORN_INTEGER:
        truth = v.u.integer != 0;
        return true;
    case PELORN_FLOAT:
        truth = !(v.u.real == 0.0);
        return true;
    default:
        drop(v);
        report(fileOf(condition), condition->line, msg::kIfCondition);
        c = Completion::Failed;
        return false;
    }
}

} // namespace

Completion IfStatement::execute(RunContext &run)
{
    bool truth;
    if (!peekTruth(run, condition, truth)) {
        Completion c;
        if (!evaluateIfCondition(run, condition, truth, c))
            return c;
    }
    if (truth)
        return thenBlock->execute(run);
    return elseBlock != nullptr ? elseBlock->execute(run) : Completion::Normal;
}

Completion WhileStatement::execute(RunContext &run)
{
    for (;;) {
        Completion c;
        bool truth;
        if (!peekTruth(run, condition, truth)) {
            ScriptValue v = value::empty();
            c = evaluateInto(run, condition, v);
            if (c != Completion::Normal) {
                drop(v);
                return c;
            }
            switch (v.type) {
            case PELORN_BOOLEAN:
                truth = v.u.boolean != 0;
                break;
            case PELORN_INTEGER:
                truth = v.u.integer != 0;
                break;
            case PELORN_FLOAT:
                truth = !(v.u.real == 0.0);
                break;
            default:
                drop(v);
                report(fileOf(condition), condition->line, msg::kWhileCondition);
                return Completion::Failed;
            }
        }
        if (!truth)
            return Completion::Normal;
        switch (runBody(run, body, c)) {
        case BodyOutcome::Continue:
            break;
        case BodyOutcome::Break:
            return Completion::Normal;
        case BodyOutcome::Leave:
            return c;
        }
    }
}

Completion ForStatement::execute(RunContext &run)
{
    ScriptValue &current = counter->ref(run);
    if (current.type != PELORN_INTEGER && current.type != PELORN_UNDEFINED) {
        report(fileOf(counter), counter->line, msg::kForCounter);
        return Completion::Failed;
    }
    Completion c;
    int64_t stepBy;
    if (!evaluateInteger(run, step, stepBy, c)) {
        if (c == Completion::Normal) {
            report(fileOf(counter), counter->line, msg::kForStepType);
            return Completion::Failed;
        }
        return c;
    }
    if (stepBy == 0) {
        report(fileOf(counter), counter->line, msg::kForStepZero);
        return Completion::Failed;
    }
    setCounter(current, current.type == PELORN_INTEGER ? current.u.integer : 0);
    int64_t first;
    if (!evaluateInteger(run, start, first, c)) {
        if (c == Completion::Normal) {
            report(fileOf(start), start->line, msg::kForStart);
            return Completion::Failed;
        }
        return c;
    }
    setCounter(current, first);
    int64_t last;
    if (!evaluateInteger(run, stop, last, c)) {
        if (c == Completion::Normal) {
            report(fileOf(stop), stop->line, msg::kForStop);
            return Completion::Failed;
        }
        return c;
    }
    // Evaluating the stop may have run code that changed the counter.
    setCounter(current, first);
    // A literal or a variable stop is read where it is; a frame slot does
    // not move while the loop runs.
    const ScriptValue *stopLeaf = leafOf(run, stop);
    for (;;) {
        // The body may have stored something else than an integer.
        if (current.type != PELORN_INTEGER) {
            report(fileOf(counter), counter->line, msg::kForCounter);
            return Completion::Failed;
        }
        if (stepBy > 0 ? current.u.integer > last : current.u.integer < last)
            return Completion::Normal;
        switch (runBody(run, body, c)) {
        case BodyOutcome::Continue:
            break;
        case BodyOutcome::Break:
            return Completion::Normal;
        case BodyOutcome::Leave:
            return c;
        }
        if (current.type != PELORN_INTEGER) {
            report(fileOf(counter), counter->line, msg::kForCounter);
            return Completion::Failed;
        }
        current.u.integer = integers::add(current.u.integer, stepBy);
        if (stopLeaf != nullptr && stopLeaf->type == PELORN_INTEGER && stopLeaf->copy == nullptr) {
            last = stopLeaf->u.integer; // a literal or a variable: read where it is
        } else if (!evaluateInteger(run, stop, last, c)) {
            if (c == Completion::Normal) {
                report(fileOf(stop), stop->line, msg::kForStop);
                return Completion::Failed;
            }
            return c;
        }
    }
}

} // namespace pelorn::interp
