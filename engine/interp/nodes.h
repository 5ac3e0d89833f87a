// The syntax tree: statement and expression nodes of every kind.
//
// The compiler builds each node with its constructor, which attaches the
// children and stamps the source position; the interpreter runs it through
// execute/evaluate. A node owns its children; its destructor is the release.
#pragma once

#include "api/interrupt.h"
#include "api/unattended.h"
#include "interp/completion.h"
#include "pelorn.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pelorn::interp {

struct RoutineDefinition;
class VariableExpr;

// A script file that nodes were compiled from. Owned by the Script; nodes
// point at it instead of each keeping a copy of the names.
struct SourceFile {
    std::string path;      // canonical absolute path
    std::string directory; // path without its last component
    SourceFile *next;
};

// ---------------------------------------------------------------- headers

// What a node is: set by each constructor, read wherever the interpreter
// or the compiler must tell node kinds apart.
enum class StatementKind : uint8_t {
    Block, Assign, CompoundAssign, Increment, ElementAssign, ElementCompoundAssign, PropertyAssign,
    ProcedureCall, BuiltinProcedureCall, If, While, For, Try, Break, Return, Throw, Apdu
};

enum class ExpressionKind : uint8_t {
    Variable, Literal, // the leaves: first, see Expression::place
    ArrayLiteral, SubArray, Index, Property, FunctionCall, BuiltinFunctionCall, Arithmetic,
    Negate, Typeof, Condition
};

class Statement {
public:
    explicit Statement(StatementKind k) : kind(k) {}
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    virtual ~Statement();

    // Normal: completed. Failed: a message was delivered, stop the run.
    // Transfer: a transfer is pending in the context.
    virtual Completion execute(RunContext &run) = 0;
    // Stores the parent; some kinds pass it on to their expressions.
    virtual void attach(Statement *parentStatement) { parent = parentStatement; }

    const StatementKind kind;
    Statement *parent = nullptr;
    // Variables first bound when a compound statement was completed; owned.
    SymbolEntry *symbols = nullptr;
    const SourceFile *source = nullptr;
    int32_t line = 0;
};

class Expression {
public:
    explicit Expression(ExpressionKind k) : kind(k) {}
    Expression(const Expression &) = delete;
    Expression &operator=(const Expression &) = delete;
    virtual ~Expression() = default;

    // Fills result (passed empty, owned by the caller). Only VariableExpr
    // accepts a null result.
    virtual Completion evaluate(RunContext &run, ScriptValue *result) = 0;
    virtual void attach(Statement *ownerStatement) { owner = ownerStatement; }

    const ExpressionKind kind;
    // Whether evaluating this expression can change no variable: it calls
    // no routine (routines write their arguments back). Decided by the
    // constructor from the children.
    bool pure = true;
    // Integer arithmetic (+ - * / %) or an integer comparison whose
    // operands are variables, literals, indexed variables or such
    // arithmetic, or a variable or literal indexed so: it may be folded
    // without value records (peekInteger, peekTruth in fast_values.h).
    // Decided by the constructor.
    bool foldable = false;
    // Variables and literals, the leaves (the two lowest kinds): the record
    // their value is read from, or null for a routine's local, which is
    // slot `slot` of the running call's frame. Null for other kinds.
    ScriptValue *place = nullptr;
    uint32_t slot = 0;
    Statement *owner = nullptr;
    const SourceFile *source = nullptr;
    int32_t line = 0;
};

// An expression together with the value it produced at its last
// evaluation: index lists and array-literal elements.
struct ValueRecord {
    Expression *expression;
    ScriptValue value;
};
using ValueRecords = std::vector<ValueRecord>;

// The argument slots of a call node, allocated once with the node.
struct Arguments {
    ArgumentSlot *slots = nullptr; // slot.expression is an Expression*
    uint32_t count = 0;
    // Set while the slots hold this call's arguments; a recursive call of
    // the same node meanwhile evaluates into slots of its own.
    bool inUse = false;
    // No argument calls a routine: a script call may evaluate them straight
    // into the callee's frame, since no other frame can open meanwhile.
    bool allPure = true;
    // An argument is a module's variable: what is written back into it
    // must take the public form (array_forms.h).
    bool namesModuleVariable = false;
    // An argument is a variable: only then may a call write back.
    bool namesVariable = false;

    Expression *expression(uint32_t i) const { return static_cast<Expression *>(slots[i].expression); }
};

// Releases the values and deletes the expressions of records and slots.
void releaseRecords(ValueRecords &records);
void releaseArguments(Arguments &arguments);

// ------------------------------------------------------------- statements

class BlockStatement final : public Statement {
public:
    BlockStatement();
    ~BlockStatement() override;
    Completion execute(RunContext &run) override;
    // Appends a statement and attaches it with this block as parent.
    void append(Statement *statement);

    std::vector<Statement *> statements;
    RoutineDefinition *routine = nullptr; // set when this is a routine body
};

class AssignStatement final : public Statement {
public:
    AssignStatement(VariableExpr *target, Expression *value, bool declaration);
    ~AssignStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    VariableExpr *target;
    Expression *value;
    bool declaration; // a constant's declaration may store into it
    // x = x + e where e cannot change x: a string or array may grow in place.
    bool selfAppend;
};

enum class CompoundOperator : int32_t { Add = 0, Subtract, Multiply, Divide, Modulo };

class CompoundAssignStatement final : public Statement {
public:
    CompoundAssignStatement(VariableExpr *target, Expression *value, CompoundOperator op);
    ~CompoundAssignStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    VariableExpr *target;
    Expression *value;
    CompoundOperator op;
};

class IncrementStatement final : public Statement {
public:
    IncrementStatement(VariableExpr *target, bool increment);
    ~IncrementStatement() override;
    Completion execute(RunContext &run) override;

    VariableExpr *target;
    bool increment; // false: decrement
};

class ElementAssignStatement final : public Statement {
public:
    ElementAssignStatement(VariableExpr *target, std::vector<Expression *> indexes, Expression *value);
    ~ElementAssignStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    VariableExpr *target;
    ValueRecords indexes;
    Expression *value;
};

class ElementCompoundAssignStatement final : public Statement {
public:
    ElementCompoundAssignStatement(VariableExpr *target, std::vector<Expression *> indexes, Expression *value,
                                   CompoundOperator op);
    ~ElementCompoundAssignStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    VariableExpr *target;
    ValueRecords indexes;
    Expression *value;
    CompoundOperator op;
};

class PropertyAssignStatement final : public Statement {
public:
    PropertyAssignStatement(VariableExpr *target, Expression *value, std::string property);
    ~PropertyAssignStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    VariableExpr *target;
    Expression *value;
    std::string property;
};

class ProcedureCallStatement final : public Statement {
public:
    ProcedureCallStatement(std::string name, std::vector<Expression *> arguments);
    ~ProcedureCallStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    std::string name;
    RoutineDefinition *resolved = nullptr; // found at the first call
    Arguments arguments;
};

class BuiltinProcedureCallStatement final : public Statement {
public:
    BuiltinProcedureCallStatement(ProcedureEntry entry, const char *name, std::vector<Expression *> arguments);
    ~BuiltinProcedureCallStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    ProcedureEntry entry;
    const char *name; // the routine's SymbolEntry name, not owned
    bool fromModule = false; // a module's routine: may reshape any value it reaches
    Arguments arguments;
};

class IfStatement final : public Statement {
public:
    IfStatement(Expression *condition, BlockStatement *thenBlock, BlockStatement *elseBlock);
    ~IfStatement() override;
    Completion execute(RunContext &run) override;

    Expression *condition;
    BlockStatement *thenBlock;
    BlockStatement *elseBlock; // null without else
};

class WhileStatement final : public Statement {
public:
    WhileStatement(Expression *condition, BlockStatement *body);
    ~WhileStatement() override;
    Completion execute(RunContext &run) override;

    Expression *condition;
    BlockStatement *body;
};

class ForStatement final : public Statement {
public:
    ForStatement(VariableExpr *counter, Expression *start, Expression *stop, Expression *step, BlockStatement *body);
    ~ForStatement() override;
    Completion execute(RunContext &run) override;

    VariableExpr *counter;
    Expression *start;
    Expression *stop;
    Expression *step; // an integer literal 1 when the script writes none
    BlockStatement *body;
};

class TryStatement final : public Statement {
public:
    TryStatement(VariableExpr *catchVariable, BlockStatement *tryBlock, BlockStatement *catchBlock);
    ~TryStatement() override;
    Completion execute(RunContext &run) override;

    VariableExpr *catchVariable;
    BlockStatement *tryBlock;
    BlockStatement *catchBlock;
};

class BreakStatement final : public Statement {
public:
    BreakStatement() : Statement(StatementKind::Break) {}
    Completion execute(RunContext &run) override;
};

class ReturnStatement final : public Statement {
public:
    explicit ReturnStatement(Expression *value);
    ~ReturnStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    Expression *value; // null for exit
};

class ThrowStatement final : public Statement {
public:
    explicit ThrowStatement(Expression *value);
    ~ThrowStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    Expression *value;
};

// One part of an APDU command line; a line of n parts is a chain of n
// nodes, and only the last one is placed in the block.
class ApduStatement final : public Statement {
public:
    ApduStatement(ApduStatement *previous, Expression *part);
    ~ApduStatement() override;
    Completion execute(RunContext &run) override;
    void attach(Statement *parentStatement) override;

    ApduStatement *previous; // parts before this one, or null
    Expression *part;
    std::string mask; // alternatives run together, 4 characters each; empty: no mask
    bool hasMask = false;
};

// ------------------------------------------------------------ expressions

// Where a variable lives, decided when the tree is built.
enum class VariableStorage : uint8_t {
    Global,   // a script global, a constant, or a variable first bound in a compound statement
    External, // a module's variable, read and written in place in its entry
    Local,    // a parameter or local of a routine: a slot of the running call's frame
};

class VariableExpr final : public Expression {
public:
    // Bound to the value inside the variable's SymbolEntry; a routine's
    // definition turns its own variables into frame slots (makeLocal).
    VariableExpr(std::string name, SymbolEntry *entry, bool external);
    // A null result only resolves the binding (nothing is copied).
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void makeLocal(const RoutineDefinition *owningRoutine, uint32_t frameSlot);

    // The variable's value record in this run.
    ScriptValue &ref(const RunContext &run) const { return place != nullptr ? *place : run.frame[slot]; }

    std::string name;
    SymbolEntry *entry;               // the symbol the name was bound to
    // place: Global and External, the entry's value; Local, null (slot:
    // the index in the frame).
    const RoutineDefinition *routine = nullptr; // Local: the routine whose frame holds it
    VariableStorage storage;
    bool isConstant;
    bool isReadOnly;
    bool byValue = false;             // BYVAL: a call does not write its argument back
};

class LiteralExpr final : public Expression {
public:
    explicit LiteralExpr(ScriptValue value); // takes the value over
    ~LiteralExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;

    ScriptValue value;
};

class ArrayLiteralExpr final : public Expression {
public:
    explicit ArrayLiteralExpr(std::vector<Expression *> elements);
    ~ArrayLiteralExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;

    ValueRecords elements;
};

class SubArrayExpr final : public Expression {
public:
    SubArrayExpr(Expression *sourceExpression, Expression *low, Expression *high);
    ~SubArrayExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;

    Expression *sourceExpression;
    Expression *low;
    Expression *high; // null for e[lo:]
};

class IndexExpr final : public Expression {
public:
    IndexExpr(Expression *sourceExpression, Expression *index);
    ~IndexExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;
    // A byte of a byte array, or an integer element of an array, that a
    // variable or literal holds, at an index that needs no evaluation
    // (reads.cpp); false, with nothing done, otherwise. Only asked of
    // foldable nodes.
    bool peekItemNode(const RunContext &run, int64_t &out) const;

    Expression *sourceExpression;
    Expression *index;
};

class PropertyExpr final : public Expression {
public:
    PropertyExpr(Expression *sourceExpression, std::string property);
    ~PropertyExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;

    Expression *sourceExpression;
    std::string property;
};

class FunctionCallExpr final : public Expression {
public:
    FunctionCallExpr(Script *script, std::string name, std::vector<Expression *> arguments);
    ~FunctionCallExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;

    Script *script;
    std::string name;
    RoutineDefinition *resolved = nullptr; // found at the first call
    Arguments arguments;
};

class BuiltinFunctionCallExpr final : public Expression {
public:
    BuiltinFunctionCallExpr(FunctionEntry entry, const char *name, std::vector<Expression *> arguments);
    ~BuiltinFunctionCallExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;

    FunctionEntry entry;
    const char *name; // the routine's SymbolEntry name, not owned
    bool fromModule = false; // a module's routine: may reshape any value it reaches
    Arguments arguments;
};

enum class ArithmeticOperator : int32_t {
    Add = 0, Subtract, Multiply, Divide, Modulo, Power, BitAnd, BitOr, BitXor, ShiftLeft, ShiftRight
};

class ArithmeticExpr final : public Expression {
public:
    ArithmeticExpr(ArithmeticOperator op, Expression *left, Expression *right);
    ~ArithmeticExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;
    // The integer this node stands for when its operands can be read
    // without running anything and no failure is possible; false
    // otherwise, with nothing done. Only asked of foldable nodes.
    bool peekIntegerNode(const RunContext &run, int64_t &out) const;
    bool peekWithItems(const RunContext &run, int64_t &out) const;
    // evaluate without the fold, for callers that have tried it already.
    Completion evaluateOperands(RunContext &run, ScriptValue *result);

    ArithmeticOperator op;
    // Not foldable only because an operand (or an operand's operand) is an
    // item read by index (IndexExpr::peekItemNode): evaluate and byte
    // stores still fold it, through peekWithItems.
    bool foldsItems = false;
    Expression *left;
    Expression *right;
};

class NegateExpr final : public Expression {
public:
    explicit NegateExpr(Expression *operand);
    ~NegateExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;

    Expression *operand;
};

class TypeofExpr final : public Expression {
public:
    explicit TypeofExpr(Expression *operand);
    ~TypeofExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;

    Expression *operand;
};

enum class ConditionOperator : int32_t { Equal = 0, NotEqual, Greater, Less, GreaterEqual, LessEqual, And, Or, Not };

class ConditionExpr final : public Expression {
public:
    ConditionExpr(Expression *left, Expression *right, ConditionOperator op);
    ~ConditionExpr() override;
    Completion evaluate(RunContext &run, ScriptValue *result) override;
    void attach(Statement *ownerStatement) override;
    // Likewise the truth of an integer comparison.
    bool peekTruth(const RunContext &run, bool &out) const;

    Expression *left;
    Expression *right; // null for not
    ConditionOperator op;
};

// ------------------------------------------------------- routine records

// A declared procedure or function. Each call gets a frame of its own in
// the call-stack area with one value slot per symbol: the parameters
// (slot k - 1 - i holds parameter i of k), then the locals, in the order
// of the symbol list. The symbol entries themselves hold no values.
struct RoutineDefinition {
    RoutineDefinition(std::string routineName, bool function, uint32_t parameters, BlockStatement *routineBody,
                      SymbolEntry *routineSymbols);
    ~RoutineDefinition();
    RoutineDefinition(const RoutineDefinition &) = delete;
    RoutineDefinition &operator=(const RoutineDefinition &) = delete;

    std::string name;
    bool isFunction;
    uint32_t parameterCount;
    BlockStatement *body;
    SymbolEntry *symbols;     // parameters (last declared first), then locals
    uint32_t symbolCount;     // entries in symbols, and slots in a call's frame
    // The body writes only its own locals (no parameter) and runs no code
    // but its own (no call, no property, no APDU): a call's arguments keep
    // the values they had, and writing them back would change nothing.
    bool leavesArgumentsAlone = false;

    uint32_t parameterSlot(uint32_t k) const { return parameterCount - 1 - k; }
    RoutineDefinition *next = nullptr; // procedure or function list, newest first
};

// The host asked the run to stop (InterruptScript): the message, at the
// statement about to run (a block's first), and the run fails.
Completion stopInterrupted(const Statement &at);
Completion stopInterrupted(const BlockStatement &block);

// Loops, ifs and calls run a block at every turn: inline, so that its
// statements run without a call for the block itself. Every turn of a
// loop and every call enters one: where an interrupt is seen.
inline Completion BlockStatement::execute(RunContext &run)
{
#ifdef PELORN_FUZZING
    if (!api::chargeRunBudget())
        return Completion::Failed;
#endif
    if (api::interrupted()) [[unlikely]]
        return stopInterrupted(*this);
    for (Statement *statement : statements) {
        Completion c = statement->execute(run);
        if (c != Completion::Normal)
            return c;
    }
    return Completion::Normal;
}

} // namespace pelorn::interp
