// Variables read where no path has assigned them: the read fails (or
// yields nothing) whenever it runs.
//
// Each body (the main block, each routine) is followed once, statement by
// statement, with the set of its variables that some path may have
// assigned so far. Nothing ever unassigns a variable, so a loop's head
// sees whatever its body assigns anywhere, and a catch block whatever its
// try block assigns anywhere; a break or an exception thrown by a called
// routine then reaches nothing that these sets do not already hold.
// Warnings are only given where the set lacks the variable: silence is
// the answer whenever a path might assign it.
#include "check/analyses.h"
#include "check/messages.h"

#include <unordered_map>
#include <unordered_set>

namespace pelorn::check {

namespace {

using Bits = std::vector<bool>;

struct State {
    bool reachable = true;
    Bits assigned;
};

void join(State &into, const State &other)
{
    if (!other.reachable)
        return;
    if (!into.reachable) {
        into = other;
        return;
    }
    for (size_t i = 0; i < into.assigned.size(); ++i)
        if (other.assigned[i])
            into.assigned[i] = true;
}

class BodyFlow {
public:
    BodyFlow(std::unordered_map<const SymbolEntry *, size_t> tracked, Findings &findings)
        : tracked_(std::move(tracked)), findings_(findings)
    {
    }

    void run(const Node &body)
    {
        State start;
        start.assigned.assign(tracked_.size(), false);
        statement(body, start);
    }

private:
    // The variable's index among those this body tracks; -1 for the others.
    long indexOf(const Node &variable) const
    {
        if (variable.form != Form::Variable)
            return -1;
        auto found = tracked_.find(variable.variable);
        return found != tracked_.end() ? static_cast<long>(found->second) : -1;
    }

    void assign(Bits &bits, const Node &variable) const
    {
        long i = indexOf(variable);
        if (i >= 0)
            bits[static_cast<size_t>(i)] = true;
    }

    // Arguments written as plain variables get the call's value back.
    void writeBacks(const Node &e, Bits &bits) const
    {
        forEachNode(e, [&](const Node &n) {
            if (n.form == Form::Call)
                for (const Node &argument : n.children)
                    if (argument.writtenBack())
                        assign(bits, argument);
        });
    }

    // Every variable a statement may assign, anywhere inside it.
    Bits assignedWithin(const Node &s) const
    {
        Bits bits(tracked_.size(), false);
        forEachNode(s, [&](const Node &n) {
            switch (n.form) {
            case Form::Assign:
            case Form::Update:
            case Form::For:
                assign(bits, n.children[0]);
                break;
            case Form::Try:
                assign(bits, n.children[1]);
                break;
            case Form::Call:
                for (const Node &argument : n.children)
                    if (argument.writtenBack())
                        assign(bits, argument);
                break;
            default:
                break;
            }
        });
        return bits;
    }

    static void add(Bits &into, const Bits &more)
    {
        for (size_t i = 0; i < into.size(); ++i)
            if (more[i])
                into[i] = true;
    }

    // The variables an expression surely reads. An argument written as a
    // plain variable may be there to receive a value; typeof asks whether
    // there is one.
    template <typename Visit> void reads(const Node &e, Visit &&visit) const
    {
        if (e.form == Form::Variable) {
            if (!e.bareArgument)
                visit(e);
            return;
        }
        if (e.form == Form::Typeof && e.children.front().form == Form::Variable)
            return;
        // The second operand of and/or may never run: a script may rely on it.
        size_t runs = e.shortCircuit ? 1 : e.children.size();
        for (size_t i = 0; i < runs; ++i)
            reads(e.children[i], visit);
    }

    // Expressions that run together: their reads are judged with every
    // value their calls give back already in (the order of evaluation
    // inside them is not followed).
    void evaluate(const std::vector<const Node *> &expressions, State &s)
    {
        if (!s.reachable)
            return;
        Bits after = s.assigned;
        for (const Node *e : expressions)
            writeBacks(*e, after);
        for (const Node *e : expressions)
            reads(*e, [&](const Node &variable) {
                long i = indexOf(variable);
                if (i >= 0 && !after[static_cast<size_t>(i)])
                    report(variable, static_cast<size_t>(i));
            });
        s.assigned = std::move(after);
    }

    void report(const Node &variable, size_t index)
    {
        // Once per variable: the first read tells the story.
        if (!reported_.insert(index).second)
            return;
        findings_.warn(variable.where, msg::kNeverAssigned, variable.name.c_str());
    }

    void statement(const Node &s, State &state)
    {
        if (!state.reachable)
            return;
        switch (s.form) {
        case Form::Block:
            for (const Node &inner : s.children)
                statement(inner, state);
            break;
        case Form::Assign:
            evaluate({&s.children[1]}, state);
            assign(state.assigned, s.children[0]);
            break;
        case Form::Update:
            // The target is read too: an unassigned one fails the statement.
            evaluate(childrenOf(s), state);
            assign(state.assigned, s.children[0]);
            break;
        case Form::Call:
            evaluate({&s}, state);
            break;
        case Form::Apdu:
            evaluate(childrenOf(s), state);
            break;
        case Form::If: {
            evaluate({&s.children[0]}, state);
            State otherwise = state;
            statement(s.children[1], state);
            if (s.children.size() > 2)
                statement(s.children[2], otherwise);
            join(state, otherwise);
            break;
        }
        case Form::While: {
            add(state.assigned, assignedWithin(s));
            evaluate({&s.children[0]}, state);
            State body = state;
            statement(s.children[1], body);
            break;
        }
        case Form::For: {
            evaluate({&s.children[1]}, state); // the step
            assign(state.assigned, s.children[0]);
            evaluate({&s.children[2]}, state); // the start
            add(state.assigned, assignedWithin(s));
            evaluate({&s.children[3]}, state); // the stop, at every turn
            State body = state;
            statement(s.children[4], body);
            break;
        }
        case Form::Try: {
            State handler = state;
            add(handler.assigned, assignedWithin(s.children[0]));
            assign(handler.assigned, s.children[1]);
            statement(s.children[0], state);
            statement(s.children[2], handler);
            join(state, handler);
            break;
        }
        case Form::Jump:
            if (!s.children.empty())
                evaluate({&s.children[0]}, state);
            state.reachable = false;
            break;
        default:
            break;
        }
    }

    static std::vector<const Node *> childrenOf(const Node &s)
    {
        std::vector<const Node *> children;
        for (const Node &child : s.children)
            children.push_back(&child);
        return children;
    }

    std::unordered_map<const SymbolEntry *, size_t> tracked_;
    Findings &findings_;
    std::unordered_set<size_t> reported_;
};

bool trackable(const SymbolEntry *e)
{
    return e->kind == PELORN_SYM_VARIABLE && e->isConstant == 0 && e->isReadOnly == 0;
}

} // namespace

void checkUnassignedReads(const Outline &outline, Findings &findings)
{
    // A variable that more than one body names is left alone: what one
    // body assigns another may read.
    std::unordered_map<const SymbolEntry *, const Node *> bodyOf;
    std::unordered_set<const SymbolEntry *> shared;
    forEachBody(outline, [&](const Node &body, const Routine *) {
        forEachNode(body, [&](const Node &n) {
            if (n.form != Form::Variable || n.variable == nullptr)
                return;
            auto [it, added] = bodyOf.emplace(n.variable, &body);
            if (!added && it->second != &body)
                shared.insert(n.variable);
        });
    });
    auto trackedOf = [&](std::initializer_list<const std::vector<const SymbolEntry *> *> lists) {
        std::unordered_map<const SymbolEntry *, size_t> tracked;
        for (const auto *list : lists)
            for (const SymbolEntry *e : *list)
                if (trackable(e) && shared.count(e) == 0)
                    tracked.emplace(e, tracked.size());
        return tracked;
    };
    forEachBody(outline, [&](const Node &body, const Routine *routine) {
        // A routine's parameters always hold the arguments; its locals
        // start without a value at every call.
        auto tracked = routine != nullptr ? trackedOf({&routine->locals})
                                          : trackedOf({&outline.globals, &outline.statementVariables});
        BodyFlow(std::move(tracked), findings).run(body);
    });
}

} // namespace pelorn::check
