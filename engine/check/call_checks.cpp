// Calls that fail whenever they run: a routine nothing defines, or the
// wrong number of arguments. A script routine's failure ends the run; a
// built-in's bad arguments are an exception, which a try may catch on
// purpose: those calls are left alone wherever a try may be around them.
#include "builtins/argument_counts.h"
#include "builtins/registry.h"
#include "check/analyses.h"
#include "check/messages.h"

#include <set>
#include <strings.h>

namespace pelorn::check {

namespace {

// The routine a call by that name reaches: the newest of the name.
const Routine *findRoutine(const std::vector<Routine> &routines, const std::string &name)
{
    for (const Routine &r : routines)
        if (strcasecmp(r.name.c_str(), name.c_str()) == 0)
            return &r;
    return nullptr;
}

// A built-in (not a module's routine of the same name, which modules may
// not shadow anyway): the entry point is the registered one.
bool isBuiltin(const Node &call)
{
    for (const SymbolEntry *e = builtins::globalList(); e != nullptr; e = e->next)
        if (e->kind == PELORN_SYM_ROUTINE && e->c.entry == call.entry)
            return true;
    return false;
}

std::string countsText(const builtins::ArgumentCounts &counts)
{
    if (counts.most == builtins::kNoMostCount)
        return format(msg::kAtLeast, counts.least, counts.least == 1 ? "" : "s");
    if (counts.least == counts.most) {
        if (counts.least == 0)
            return msg::kNoArguments;
        return counts.least == 1 ? std::string(msg::kOneArgument) : format(msg::kArguments, counts.least);
    }
    if (counts.most == counts.least + 1)
        return format(msg::kTwoCounts, counts.least, counts.most);
    return format(msg::kCountRange, counts.least, counts.most);
}

void checkScriptCall(const Outline &outline, const Node &call, Findings &findings)
{
    bool function = call.callee == Callee::Function;
    const Routine *routine = findRoutine(function ? outline.functions : outline.procedures, call.name);
    if (routine == nullptr) {
        bool otherKind = findRoutine(function ? outline.procedures : outline.functions, call.name) != nullptr;
        const char *text = function ? (otherKind ? msg::kProcedureCalledAsFunction : msg::kNoSuchFunction)
                                    : (otherKind ? msg::kFunctionCalledAsProcedure : msg::kNoSuchProcedure);
        findings.warn(call.where, text, call.name.c_str());
        return;
    }
    auto given = static_cast<uint32_t>(call.children.size());
    auto expected = static_cast<uint32_t>(routine->parameters.size());
    if (given == expected)
        return;
    builtins::ArgumentCounts exactly{expected, expected};
    Warning &w = findings.warn(call.where, function ? msg::kFunctionArguments : msg::kProcedureArguments,
                               routine->name.c_str(), countsText(exactly).c_str(), given);
    if (routine->declared.source != nullptr)
        Findings::note(w, routine->declared, msg::kDefinedHere, routine->name.c_str());
}

void checkBuiltinCall(const Node &call, Findings &findings)
{
    const builtins::ArgumentCounts *counts = builtins::argumentCountsOf(call.name.c_str());
    auto given = static_cast<uint32_t>(call.children.size());
    if (counts == nullptr || counts->accepts(given) || !isBuiltin(call))
        return;
    findings.warn(call.where, msg::kBuiltinArguments, call.name.c_str(), countsText(*counts).c_str(), given);
}

// Calls visit(node, guarded) on every node; guarded: inside a try block.
template <typename Visit> void walk(const Node &n, bool guarded, Visit &visit)
{
    visit(n, guarded);
    for (size_t i = 0; i < n.children.size(); ++i)
        walk(n.children[i], guarded || (n.form == Form::Try && i == 0), visit);
}

const Routine *callee(const Outline &outline, const Node &call)
{
    if (call.callee == Callee::Routine)
        return nullptr;
    return findRoutine(call.callee == Callee::Function ? outline.functions : outline.procedures, call.name);
}

// The routines whose every statement may run under a try: called from a
// try block, or from such a routine. A built-in's bad arguments there are
// an exception the try may catch on purpose.
std::set<const Routine *> guardedRoutines(const Outline &outline)
{
    std::set<const Routine *> guarded;
    std::vector<const Routine *> pending;
    auto mark = [&](const Routine *r) {
        if (r != nullptr && guarded.insert(r).second)
            pending.push_back(r);
    };
    forEachBody(outline, [&](const Node &body, const Routine *) {
        auto visit = [&](const Node &n, bool underTry) {
            if (underTry && n.form == Form::Call)
                mark(callee(outline, n));
        };
        walk(body, false, visit);
    });
    while (!pending.empty()) {
        const Routine *r = pending.back();
        pending.pop_back();
        forEachNode(r->body, [&](const Node &n) {
            if (n.form == Form::Call)
                mark(callee(outline, n));
        });
    }
    return guarded;
}

} // namespace

void checkCalls(const Outline &outline, Findings &findings)
{
    std::set<const Routine *> guarded = guardedRoutines(outline);
    forEachBody(outline, [&](const Node &body, const Routine *routine) {
        bool routineGuarded = guarded.count(routine) != 0;
        auto visit = [&](const Node &n, bool underTry) {
            if (n.form != Form::Call)
                return;
            if (n.callee != Callee::Routine)
                checkScriptCall(outline, n, findings);
            else if (!underTry && !routineGuarded)
                checkBuiltinCall(n, findings);
        };
        walk(body, false, visit);
    });
}

} // namespace pelorn::check
