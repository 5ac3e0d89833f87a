// The compiled script as the static check sees it: a small tree of its own
// built from the interpreter's nodes (outline.cpp is the one place that
// knows their classes), with each construct's real starting line, the
// children in the order they run, and what each analysis needs to know.
#pragma once

#include "check/position.h"
#include "pelorn.h"

#include <string>
#include <vector>

namespace pelorn::interp {
struct Script;
}

namespace pelorn::check {

class CompileWatch;

enum class Form : uint8_t {
    // Statements; children in the order they run:
    Block,     // the statements
    Assign,    // target, value
    Update,    // target, then the operands (indexes, value): x += e, x++, x[i] = e, x.p = e
    Call,      // the arguments (also an expression: a function call)
    If,        // condition, then-block, else-block when there is one
    While,     // condition, body
    For,       // counter, step, start, stop, body (the order the loop evaluates them)
    Try,       // body, catch variable, handler
    Jump,      // the value of return and throw
    Apdu,      // the parts of the command line
    // Expressions:
    Variable,
    Typeof,    // the operand
    Operation, // any other expression: its operands (none for a literal)
};

enum class Jump : uint8_t { Break, Exit, Return, Throw };
enum class Callee : uint8_t { Procedure, Function, Routine }; // Routine: a built-in's or a module's

struct Node {
    Form form = Form::Operation;
    Position where;
    std::vector<Node> children;

    std::string name;                      // Variable: as written; Call: the routine's name
    const SymbolEntry *variable = nullptr; // Variable: what the name is bound to
    bool constant = false;                 // Variable
    bool readOnly = false;                 // Variable
    bool bareArgument = false;             // Variable: an argument written as a plain variable
    bool byValue = false;                  // Variable: such an argument marked BYVAL
    Callee callee = Callee::Procedure;     // Call
    const void *entry = nullptr;           // Call of a built-in or module routine: its entry point
    bool declaration = false;              // Assign: a constant's declaration
    bool checksTarget = true;              // Update: false for ++ and --, which change read-only variables too
    bool shortCircuit = false;             // Operation: and, or: the second operand runs only when needed
    Jump jump = Jump::Break;               // Jump

    // A call writes the argument's final value back into this variable.
    bool writtenBack() const { return form == Form::Variable && bareArgument && !byValue && !constant && !readOnly; }
};

struct Routine {
    std::string name;
    bool function = false;
    Position declared;
    std::vector<const SymbolEntry *> parameters;
    std::vector<const SymbolEntry *> locals;
    Node body;
};

struct Outline {
    Node main;
    // The script's global variables and constants, and the variables first
    // bound by a compound statement of the main block.
    std::vector<const SymbolEntry *> globals;
    std::vector<const SymbolEntry *> statementVariables;
    // Newest first, as calls find them.
    std::vector<Routine> procedures;
    std::vector<Routine> functions;
    // The files the script was compiled from, the main file first.
    std::vector<const interp::SourceFile *> sources;
};

Outline outlineOf(const interp::Script &script, const CompileWatch &watch);

} // namespace pelorn::check

namespace pelorn::check {

// Calls visit on the node and every node below it, parents first.
template <typename Visit> void forEachNode(const Node &node, Visit &&visit)
{
    visit(node);
    for (const Node &child : node.children)
        forEachNode(child, visit);
}

// The main block and each routine's body, with the routine (null for the
// main block).
template <typename Visit> void forEachBody(const Outline &outline, Visit &&visit)
{
    visit(outline.main, static_cast<const Routine *>(nullptr));
    for (const Routine &r : outline.procedures)
        visit(r.body, &r);
    for (const Routine &r : outline.functions)
        visit(r.body, &r);
}

} // namespace pelorn::check
