// Construction, attachment and release of syntax-tree nodes.
#include "interp/nodes.h"

#include "value/symbol_entries.h"
#include "interp/tree_walk.h"
#include "value/value.h"

#include <unordered_map>
#include <utility>

namespace pelorn::interp {

namespace {

ValueRecords makeRecords(std::vector<Expression *> &&expressions)
{
    ValueRecords records;
    records.reserve(expressions.size());
    for (Expression *e : expressions)
        records.push_back(ValueRecord{e, value::empty()});
    return records;
}

Arguments makeArguments(std::vector<Expression *> &&expressions)
{
    Arguments a;
    a.count = static_cast<uint32_t>(expressions.size());
    if (a.count == 0)
        return a;
    a.slots = new ArgumentSlot[a.count];
    for (uint32_t i = 0; i < a.count; ++i) {
        a.slots[i].expression = expressions[i];
        a.slots[i].value = value::empty();
        a.allPure = a.allPure && expressions[i]->pure;
        if (expressions[i]->kind != ExpressionKind::Variable)
            continue;
        a.namesVariable = true;
        if (static_cast<VariableExpr *>(expressions[i])->storage == VariableStorage::External)
            a.namesModuleVariable = true;
    }
    return a;
}

void attachAll(ValueRecords &records, Statement *owner)
{
    for (auto &r : records)
        r.expression->attach(owner);
}

void attachAll(Arguments &arguments, Statement *owner)
{
    for (uint32_t i = 0; i < arguments.count; ++i)
        arguments.expression(i)->attach(owner);
}

void attachIf(Expression *e, Statement *owner)
{
    if (e != nullptr)
        e->attach(owner);
}

} // namespace

void releaseRecords(ValueRecords &records)
{
    for (auto &r : records) {
        value::release(r.value);
        delete r.expression;
    }
    records.clear();
}

void releaseArguments(Arguments &arguments)
{
    for (uint32_t i = 0; i < arguments.count; ++i) {
        value::release(arguments.slots[i].value);
        delete arguments.expression(i);
    }
    delete[] arguments.slots;
    arguments.slots = nullptr;
    arguments.count = 0;
}

Statement::~Statement()
{
    value::releaseSymbolList(symbols);
}

// ------------------------------------------------------------- statements

BlockStatement::BlockStatement() : Statement(StatementKind::Block) {}

BlockStatement::~BlockStatement()
{
    for (Statement *s : statements)
        delete s;
}

void BlockStatement::append(Statement *statement)
{
    statements.push_back(statement);
    statement->attach(this);
}

namespace {

bool isSelfAppend(const VariableExpr *target, const Expression *value)
{
    if (target->isConstant || target->isReadOnly || value->kind != ExpressionKind::Arithmetic)
        return false;
    auto *sum = static_cast<const ArithmeticExpr *>(value);
    return sum->op == ArithmeticOperator::Add && sum->left->kind == ExpressionKind::Variable &&
           static_cast<const VariableExpr *>(sum->left)->entry == target->entry && sum->right->pure;
}

} // namespace

AssignStatement::AssignStatement(VariableExpr *t, Expression *v, bool d)
    : Statement(StatementKind::Assign), target(t), value(v), declaration(d), selfAppend(isSelfAppend(t, v))
{
    target->attach(this);
    value->attach(this);
}

AssignStatement::~AssignStatement()
{
    delete target;
    delete value;
}

void AssignStatement::attach(Statement *p)
{
    parent = p;
    target->attach(p);
    value->attach(p);
}

CompoundAssignStatement::CompoundAssignStatement(VariableExpr *t, Expression *v, CompoundOperator o)
    : Statement(StatementKind::CompoundAssign), target(t), value(v), op(o)
{
    target->attach(this);
    value->attach(this);
}

CompoundAssignStatement::~CompoundAssignStatement()
{
    delete target;
    delete value;
}

void CompoundAssignStatement::attach(Statement *p)
{
    parent = p;
    target->attach(p);
    value->attach(p);
}

IncrementStatement::IncrementStatement(VariableExpr *t, bool inc)
    : Statement(StatementKind::Increment), target(t), increment(inc)
{
    target->attach(this);
}

IncrementStatement::~IncrementStatement() { delete target; }

ElementAssignStatement::ElementAssignStatement(VariableExpr *t, std::vector<Expression *> i, Expression *v)
    : Statement(StatementKind::ElementAssign), target(t), indexes(makeRecords(std::move(i))), value(v)
{
    ElementAssignStatement::attach(this);
    parent = nullptr;
}

ElementAssignStatement::~ElementAssignStatement()
{
    delete target;
    releaseRecords(indexes);
    delete value;
}

void ElementAssignStatement::attach(Statement *p)
{
    parent = p;
    value->attach(p);
    attachAll(indexes, p);
    target->attach(p);
}

ElementCompoundAssignStatement::ElementCompoundAssignStatement(VariableExpr *t, std::vector<Expression *> i,
                                                               Expression *v, CompoundOperator o)
    : Statement(StatementKind::ElementCompoundAssign), target(t), indexes(makeRecords(std::move(i))), value(v), op(o)
{
    ElementCompoundAssignStatement::attach(this);
    parent = nullptr;
}

ElementCompoundAssignStatement::~ElementCompoundAssignStatement()
{
    delete target;
    releaseRecords(indexes);
    delete value;
}

void ElementCompoundAssignStatement::attach(Statement *p)
{
    parent = p;
    value->attach(p);
    attachAll(indexes, p);
    target->attach(p);
}

PropertyAssignStatement::PropertyAssignStatement(VariableExpr *t, Expression *v, std::string p)
    : Statement(StatementKind::PropertyAssign), target(t), value(v), property(std::move(p))
{
    target->attach(this);
    value->attach(this);
}

PropertyAssignStatement::~PropertyAssignStatement()
{
    delete target;
    delete value;
}

void PropertyAssignStatement::attach(Statement *p)
{
    parent = p;
    target->attach(p);
    value->attach(p);
}

ProcedureCallStatement::ProcedureCallStatement(std::string n, std::vector<Expression *> a)
    : Statement(StatementKind::ProcedureCall), name(std::move(n)), arguments(makeArguments(std::move(a)))
{
    attachAll(arguments, this);
}

ProcedureCallStatement::~ProcedureCallStatement() { releaseArguments(arguments); }

void ProcedureCallStatement::attach(Statement *p)
{
    parent = p;
    attachAll(arguments, p);
}

BuiltinProcedureCallStatement::BuiltinProcedureCallStatement(ProcedureEntry e, const char *n,
                                                             std::vector<Expression *> a)
    : Statement(StatementKind::BuiltinProcedureCall), entry(e), name(n), arguments(makeArguments(std::move(a)))
{
    attachAll(arguments, this);
}

BuiltinProcedureCallStatement::~BuiltinProcedureCallStatement() { releaseArguments(arguments); }

void BuiltinProcedureCallStatement::attach(Statement *p)
{
    parent = p;
    attachAll(arguments, p);
}

IfStatement::IfStatement(Expression *c, BlockStatement *t, BlockStatement *e)
    : Statement(StatementKind::If), condition(c), thenBlock(t), elseBlock(e)
{
    condition->attach(this);
    thenBlock->attach(this);
    if (elseBlock != nullptr)
        elseBlock->attach(this);
}

IfStatement::~IfStatement()
{
    delete condition;
    delete thenBlock;
    delete elseBlock;
}

WhileStatement::WhileStatement(Expression *c, BlockStatement *b) : Statement(StatementKind::While), condition(c), body(b)
{
    condition->attach(this);
    body->attach(this);
}

WhileStatement::~WhileStatement()
{
    delete condition;
    delete body;
}

ForStatement::ForStatement(VariableExpr *c, Expression *a, Expression *b, Expression *s, BlockStatement *bd)
    : Statement(StatementKind::For), counter(c), start(a), stop(b), step(s), body(bd)
{
    counter->attach(this);
    start->attach(this);
    stop->attach(this);
    step->attach(this);
    body->attach(this);
}

ForStatement::~ForStatement()
{
    delete counter;
    delete start;
    delete stop;
    delete step;
    delete body;
}

TryStatement::TryStatement(VariableExpr *v, BlockStatement *t, BlockStatement *c)
    : Statement(StatementKind::Try), catchVariable(v), tryBlock(t), catchBlock(c)
{
    catchVariable->attach(this);
    tryBlock->attach(this);
    catchBlock->attach(this);
}

TryStatement::~TryStatement()
{
    delete catchVariable;
    delete tryBlock;
    delete catchBlock;
}

ReturnStatement::ReturnStatement(Expression *v) : Statement(StatementKind::Return), value(v) { attachIf(value, this); }

ReturnStatement::~ReturnStatement() { delete value; }

void ReturnStatement::attach(Statement *p)
{
    parent = p;
    attachIf(value, p);
}

ThrowStatement::ThrowStatement(Expression *v) : Statement(StatementKind::Throw), value(v) { value->attach(this); }

ThrowStatement::~ThrowStatement() { delete value; }

void ThrowStatement::attach(Statement *p)
{
    parent = p;
    value->attach(p);
}

ApduStatement::ApduStatement(ApduStatement *prev, Expression *p)
    : Statement(StatementKind::Apdu), previous(prev), part(p)
{
    part->attach(this);
    if (previous != nullptr)
        previous->attach(this);
}

ApduStatement::~ApduStatement()
{
    delete previous;
    delete part;
}

void ApduStatement::attach(Statement *p)
{
    parent = p;
    if (previous != nullptr)
        previous->attach(p);
}

// ------------------------------------------------------------ expressions

VariableExpr::VariableExpr(std::string n, SymbolEntry *e, bool external)
    : Expression(ExpressionKind::Variable), name(std::move(n)), entry(e),
      storage(external ? VariableStorage::External : VariableStorage::Global), isConstant(e->isConstant != 0),
      isReadOnly(e->isReadOnly != 0)
{
    place = &e->c.value;
}

void VariableExpr::makeLocal(const RoutineDefinition *owningRoutine, uint32_t frameSlot)
{
    storage = VariableStorage::Local;
    place = nullptr;
    routine = owningRoutine;
    slot = frameSlot;
}

LiteralExpr::LiteralExpr(ScriptValue v) : Expression(ExpressionKind::Literal), value(v) { place = &value; }

LiteralExpr::~LiteralExpr() { value::release(value); }

namespace {

bool allPure(const ValueRecords &records)
{
    for (const ValueRecord &r : records)
        if (!r.expression->pure)
            return false;
    return true;
}

bool isPureOrAbsent(const Expression *e) { return e == nullptr || e->pure; }

} // namespace

ArrayLiteralExpr::ArrayLiteralExpr(std::vector<Expression *> e)
    : Expression(ExpressionKind::ArrayLiteral), elements(makeRecords(std::move(e)))
{
    pure = allPure(elements);
}

ArrayLiteralExpr::~ArrayLiteralExpr() { releaseRecords(elements); }

void ArrayLiteralExpr::attach(Statement *o)
{
    owner = o;
    attachAll(elements, o);
}

SubArrayExpr::SubArrayExpr(Expression *s, Expression *l, Expression *h)
    : Expression(ExpressionKind::SubArray), sourceExpression(s), low(l), high(h)
{
    pure = s->pure && l->pure && isPureOrAbsent(h);
}

SubArrayExpr::~SubArrayExpr()
{
    delete sourceExpression;
    delete low;
    delete high;
}

void SubArrayExpr::attach(Statement *o)
{
    owner = o;
    sourceExpression->attach(o);
    low->attach(o);
    attachIf(high, o);
}


IndexExpr::~IndexExpr()
{
    delete sourceExpression;
    delete index;
}

void IndexExpr::attach(Statement *o)
{
    owner = o;
    sourceExpression->attach(o);
    index->attach(o);
}

PropertyExpr::PropertyExpr(Expression *s, std::string p)
    : Expression(ExpressionKind::Property), sourceExpression(s), property(std::move(p))
{
    pure = s->pure; // hooks see a copy
}

PropertyExpr::~PropertyExpr() { delete sourceExpression; }

void PropertyExpr::attach(Statement *o)
{
    owner = o;
    sourceExpression->attach(o);
}

// Calls are never pure: routines write their arguments back.

FunctionCallExpr::FunctionCallExpr(Script *s, std::string n, std::vector<Expression *> a)
    : Expression(ExpressionKind::FunctionCall), script(s), name(std::move(n)), arguments(makeArguments(std::move(a)))
{
    pure = false;
}

FunctionCallExpr::~FunctionCallExpr() { releaseArguments(arguments); }

void FunctionCallExpr::attach(Statement *o)
{
    owner = o;
    attachAll(arguments, o);
}

BuiltinFunctionCallExpr::BuiltinFunctionCallExpr(FunctionEntry e, const char *n, std::vector<Expression *> a)
    : Expression(ExpressionKind::BuiltinFunctionCall), entry(e), name(n), arguments(makeArguments(std::move(a)))
{
    pure = false;
}

BuiltinFunctionCallExpr::~BuiltinFunctionCallExpr() { releaseArguments(arguments); }

void BuiltinFunctionCallExpr::attach(Statement *o)
{
    owner = o;
    attachAll(arguments, o);
}

namespace {

// A variable, a literal, or integer arithmetic that may fold.
bool integerOperand(const Expression *e)
{
    return e->kind == ExpressionKind::Variable || e->kind == ExpressionKind::Literal ||
           (e->kind == ExpressionKind::Arithmetic && e->foldable);
}

// The same, or a byte array's byte or arithmetic over such bytes that may
// fold (peekOperand).
bool integerOrItemOperand(const Expression *e)
{
    return integerOperand(e) || (e->kind == ExpressionKind::Index && e->foldable) ||
           (e->kind == ExpressionKind::Arithmetic && static_cast<const ArithmeticExpr *>(e)->foldsItems);
}

} // namespace

IndexExpr::IndexExpr(Expression *s, Expression *i) : Expression(ExpressionKind::Index), sourceExpression(s), index(i)
{
    pure = s->pure && i->pure;
    foldable = s->kind <= ExpressionKind::Literal && integerOrItemOperand(index);
}

ArithmeticExpr::ArithmeticExpr(ArithmeticOperator o, Expression *l, Expression *r)
    : Expression(ExpressionKind::Arithmetic), op(o), left(l), right(r)
{
    pure = l->pure && r->pure;
    foldable = op <= ArithmeticOperator::Modulo && integerOperand(left) && integerOperand(right);
    foldsItems = !foldable && op <= ArithmeticOperator::Modulo && integerOrItemOperand(left) &&
                 integerOrItemOperand(right);
}

ArithmeticExpr::~ArithmeticExpr()
{
    delete left;
    delete right;
}

void ArithmeticExpr::attach(Statement *o)
{
    owner = o;
    left->attach(o);
    right->attach(o);
}

NegateExpr::NegateExpr(Expression *o) : Expression(ExpressionKind::Negate), operand(o) { pure = o->pure; }

NegateExpr::~NegateExpr() { delete operand; }

void NegateExpr::attach(Statement *o)
{
    owner = o;
    operand->attach(o);
}

TypeofExpr::TypeofExpr(Expression *o) : Expression(ExpressionKind::Typeof), operand(o) { pure = o->pure; }

TypeofExpr::~TypeofExpr() { delete operand; }

void TypeofExpr::attach(Statement *o)
{
    owner = o;
    operand->attach(o);
}

ConditionExpr::ConditionExpr(Expression *l, Expression *r, ConditionOperator o)
    : Expression(ExpressionKind::Condition), left(l), right(r), op(o)
{
    pure = l->pure && isPureOrAbsent(r);
    foldable = op <= ConditionOperator::LessEqual && integerOperand(left) && integerOperand(right);
}

ConditionExpr::~ConditionExpr()
{
    delete left;
    delete right;
}

void ConditionExpr::attach(Statement *o)
{
    owner = o;
    left->attach(o);
    attachIf(right, o);
}

// ------------------------------------------------------- routine records

namespace {

bool isOwnLocal(const RoutineDefinition &routine, const VariableExpr &variable)
{
    return variable.routine == &routine && variable.slot >= routine.parameterCount;
}

// The variable a statement assigns, or null.
const VariableExpr *assignedVariable(const Statement &s)
{
    switch (s.kind) {
    case StatementKind::Assign:
        return static_cast<const AssignStatement &>(s).target;
    case StatementKind::CompoundAssign:
        return static_cast<const CompoundAssignStatement &>(s).target;
    case StatementKind::Increment:
        return static_cast<const IncrementStatement &>(s).target;
    case StatementKind::ElementAssign:
        return static_cast<const ElementAssignStatement &>(s).target;
    case StatementKind::ElementCompoundAssign:
        return static_cast<const ElementCompoundAssignStatement &>(s).target;
    case StatementKind::For:
        return static_cast<const ForStatement &>(s).counter;
    case StatementKind::Try:
        return static_cast<const TryStatement &>(s).catchVariable;
    default:
        return nullptr;
    }
}

// Statements that run code other than the script's own nodes (a routine,
// a property hook) or write predefined variables (an APDU's __SW).
bool runsOtherCode(const Statement &s)
{
    return s.kind == StatementKind::PropertyAssign || s.kind == StatementKind::ProcedureCall ||
           s.kind == StatementKind::BuiltinProcedureCall || s.kind == StatementKind::Apdu;
}

bool runsOtherCode(const Expression &e)
{
    return e.kind == ExpressionKind::Property || e.kind == ExpressionKind::FunctionCall ||
           e.kind == ExpressionKind::BuiltinFunctionCall;
}

// Whether running the routine's body can change anything but its own
// locals: see RoutineDefinition::leavesArgumentsAlone.
bool writesOnlyOwnLocals(RoutineDefinition &routine)
{
    bool alone = true;
    forEachNode(
        routine.body,
        [&routine, &alone](Statement &s) {
            const VariableExpr *assigned = assignedVariable(s);
            if (runsOtherCode(s) || (assigned != nullptr && !isOwnLocal(routine, *assigned)))
                alone = false;
        },
        [&alone](Expression &e) {
            if (runsOtherCode(e))
                alone = false;
        });
    return alone;
}

} // namespace

RoutineDefinition::RoutineDefinition(std::string n, bool function, uint32_t parameters, BlockStatement *b,
                                     SymbolEntry *s)
    : name(std::move(n)), isFunction(function), parameterCount(parameters), body(b), symbols(s), symbolCount(0)
{
    // The routine's own variables become slots of its calls' frames, in
    // the order of the symbol list.
    std::unordered_map<const SymbolEntry *, uint32_t> slots;
    for (SymbolEntry *e = symbols; e != nullptr; e = e->next)
        slots.emplace(e, symbolCount++);
    forEachVariable(body, [this, &slots](VariableExpr &variable) {
        auto found = slots.find(variable.entry);
        if (found != slots.end())
            variable.makeLocal(this, found->second);
    });
    body->routine = this;
    leavesArgumentsAlone = writesOnlyOwnLocals(*this);
}

} // namespace pelorn::interp
