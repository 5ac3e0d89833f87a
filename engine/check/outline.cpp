// From the interpreter's nodes to the check's outline. The only file of
// the check that knows the node classes: a change of them is made here.
#include "check/outline.h"

#include "check/compile_watch.h"
#include "interp/script.h"


namespace pelorn::check {

namespace {

using namespace interp;

// The symbol entry a variable node was bound to.
const SymbolEntry *entryOf(const VariableExpr &variable) { return variable.entry; }

std::vector<const SymbolEntry *> entriesOf(const SymbolEntry *head)
{
    std::vector<const SymbolEntry *> entries;
    for (const SymbolEntry *e = head; e != nullptr; e = e->next)
        entries.push_back(e);
    return entries;
}

class Builder {
public:
    explicit Builder(const CompileWatch &watch) : watch_(watch) {}

    // Variables first bound by compound statements, as they are met.
    std::vector<const SymbolEntry *> statementVariables;

    Node statement(const Statement *s)
    {
        Node n = make(s, Position{s->source, s->line});
        if (s->symbols != nullptr)
            for (const SymbolEntry *e : entriesOf(s->symbols))
                statementVariables.push_back(e);

        if (auto *block = dynamic_cast<const BlockStatement *>(s)) {
            n.form = Form::Block;
            for (const Statement *inner : block->statements)
                n.children.push_back(statement(inner));
        } else if (auto *assign = dynamic_cast<const AssignStatement *>(s)) {
            n.form = Form::Assign;
            n.declaration = assign->declaration;
            n.children = {expression(assign->target), expression(assign->value)};
        } else if (auto *compound = dynamic_cast<const CompoundAssignStatement *>(s)) {
            n.form = Form::Update;
            n.children = {expression(compound->target), expression(compound->value)};
        } else if (auto *increment = dynamic_cast<const IncrementStatement *>(s)) {
            n.form = Form::Update;
            n.checksTarget = false;
            n.children = {expression(increment->target)};
        } else if (auto *element = dynamic_cast<const ElementAssignStatement *>(s)) {
            n.form = Form::Update;
            n.children.push_back(expression(element->target));
            for (const ValueRecord &index : element->indexes)
                n.children.push_back(expression(index.expression));
            n.children.push_back(expression(element->value));
        } else if (auto *elementCompound = dynamic_cast<const ElementCompoundAssignStatement *>(s)) {
            n.form = Form::Update;
            n.children.push_back(expression(elementCompound->target));
            for (const ValueRecord &index : elementCompound->indexes)
                n.children.push_back(expression(index.expression));
            n.children.push_back(expression(elementCompound->value));
        } else if (auto *property = dynamic_cast<const PropertyAssignStatement *>(s)) {
            n.form = Form::Update;
            n.children = {expression(property->target), expression(property->value)};
        } else if (auto *call = dynamic_cast<const ProcedureCallStatement *>(s)) {
            callOf(n, Callee::Procedure, call->name, nullptr, call->arguments);
        } else if (auto *builtin = dynamic_cast<const BuiltinProcedureCallStatement *>(s)) {
            callOf(n, Callee::Routine, builtin->name, reinterpret_cast<const void *>(builtin->entry),
                   builtin->arguments);
        } else if (auto *branch = dynamic_cast<const IfStatement *>(s)) {
            n.form = Form::If;
            n.children = {expression(branch->condition), statement(branch->thenBlock)};
            if (branch->elseBlock != nullptr)
                n.children.push_back(statement(branch->elseBlock));
        } else if (auto *loop = dynamic_cast<const WhileStatement *>(s)) {
            n.form = Form::While;
            n.children = {expression(loop->condition), statement(loop->body)};
        } else if (auto *counted = dynamic_cast<const ForStatement *>(s)) {
            n.form = Form::For;
            n.children = {expression(counted->counter), expression(counted->step), expression(counted->start),
                          expression(counted->stop), statement(counted->body)};
        } else if (auto *guarded = dynamic_cast<const TryStatement *>(s)) {
            n.form = Form::Try;
            n.children = {statement(guarded->tryBlock), expression(guarded->catchVariable),
                          statement(guarded->catchBlock)};
        } else if (dynamic_cast<const BreakStatement *>(s) != nullptr) {
            n.form = Form::Jump;
            n.jump = Jump::Break;
        } else if (auto *leave = dynamic_cast<const ReturnStatement *>(s)) {
            n.form = Form::Jump;
            n.jump = leave->value != nullptr ? Jump::Return : Jump::Exit;
            if (leave->value != nullptr)
                n.children.push_back(expression(leave->value));
        } else if (auto *raise = dynamic_cast<const ThrowStatement *>(s)) {
            n.form = Form::Jump;
            n.jump = Jump::Throw;
            n.children.push_back(expression(raise->value));
        } else if (auto *apdu = dynamic_cast<const ApduStatement *>(s)) {
            n.form = Form::Apdu;
            // The chain runs from the last part back to the first.
            for (const ApduStatement *part = apdu; part != nullptr; part = part->previous)
                n.children.insert(n.children.begin(), expression(part->part));
        }
        return n;
    }

    Node expression(const Expression *e)
    {
        Node n = make(e, Position{e->source, e->line});
        if (auto *variable = dynamic_cast<const VariableExpr *>(e)) {
            n.form = Form::Variable;
            n.name = variable->name;
            n.variable = entryOf(*variable);
            n.constant = variable->isConstant;
            n.readOnly = variable->isReadOnly;
        } else if (auto *call = dynamic_cast<const FunctionCallExpr *>(e)) {
            callOf(n, Callee::Function, call->name, nullptr, call->arguments);
        } else if (auto *builtin = dynamic_cast<const BuiltinFunctionCallExpr *>(e)) {
            callOf(n, Callee::Routine, builtin->name, reinterpret_cast<const void *>(builtin->entry),
                   builtin->arguments);
        } else if (auto *type = dynamic_cast<const TypeofExpr *>(e)) {
            n.form = Form::Typeof;
            n.children.push_back(expression(type->operand));
        } else if (auto *array = dynamic_cast<const ArrayLiteralExpr *>(e)) {
            for (const ValueRecord &element : array->elements)
                n.children.push_back(expression(element.expression));
        } else if (auto *sub = dynamic_cast<const SubArrayExpr *>(e)) {
            n.children = {expression(sub->sourceExpression), expression(sub->low)};
            if (sub->high != nullptr)
                n.children.push_back(expression(sub->high));
        } else if (auto *index = dynamic_cast<const IndexExpr *>(e)) {
            n.children = {expression(index->sourceExpression), expression(index->index)};
        } else if (auto *property = dynamic_cast<const PropertyExpr *>(e)) {
            n.children = {expression(property->sourceExpression)};
        } else if (auto *arithmetic = dynamic_cast<const ArithmeticExpr *>(e)) {
            n.children = {expression(arithmetic->left), expression(arithmetic->right)};
        } else if (auto *negate = dynamic_cast<const NegateExpr *>(e)) {
            n.children = {expression(negate->operand)};
        } else if (auto *condition = dynamic_cast<const ConditionExpr *>(e)) {
            n.shortCircuit = condition->op == ConditionOperator::And || condition->op == ConditionOperator::Or;
            n.children.push_back(expression(condition->left));
            if (condition->right != nullptr)
                n.children.push_back(expression(condition->right));
        }
        // A literal has no operands.
        return n;
    }

private:
    Node make(const void *node, Position stamped)
    {
        Node n;
        n.where = watch_.positionOf(node, stamped);
        return n;
    }

    void callOf(Node &n, Callee callee, const std::string &name, const void *entry, const Arguments &arguments)
    {
        n.form = Form::Call;
        n.callee = callee;
        n.name = name;
        n.entry = entry;
        for (uint32_t i = 0; i < arguments.count; ++i) {
            const Expression *argument = arguments.expression(i);
            Node a = expression(argument);
            a.bareArgument = a.form == Form::Variable;
            a.byValue = a.bareArgument && static_cast<const VariableExpr *>(argument)->byValue;
            n.children.push_back(std::move(a));
        }
    }

    const CompileWatch &watch_;
};

std::vector<Routine> routinesOf(const RoutineDefinition *head, const CompileWatch &watch)
{
    std::vector<const RoutineDefinition *> definitions;
    for (const RoutineDefinition *r = head; r != nullptr; r = r->next)
        definitions.push_back(r);
    std::vector<Routine> routines;
    for (size_t i = 0; i < definitions.size(); ++i) {
        const RoutineDefinition &d = *definitions[i];
        Routine r;
        r.name = d.name;
        r.function = d.isFunction;
        // The list is newest first; declarations were noted in reading order.
        r.declared = watch.declaration(d.isFunction, definitions.size() - 1 - i);
        // Parameters come first in the routine's symbols.
        std::vector<const SymbolEntry *> symbols = entriesOf(d.symbols);
        for (size_t k = 0; k < symbols.size(); ++k)
            (k < d.parameterCount ? r.parameters : r.locals).push_back(symbols[k]);
        // Variables a compound statement of the routine binds are left out:
        // they keep their values from one call to the next.
        Builder builder(watch);
        r.body = builder.statement(d.body);
        routines.push_back(std::move(r));
    }
    return routines;
}

} // namespace

Outline outlineOf(const interp::Script &script, const CompileWatch &watch)
{
    Outline outline;
    Builder builder(watch);
    outline.main = builder.statement(script.mainBlock);
    outline.globals = entriesOf(script.header.symbols);
    outline.statementVariables = std::move(builder.statementVariables);
    outline.procedures = routinesOf(script.procedures, watch);
    outline.functions = routinesOf(script.functions, watch);
    for (const SourceFile *s = script.sources; s != nullptr; s = s->next)
        outline.sources.insert(outline.sources.begin(), s);
    return outline;
}

} // namespace pelorn::check
