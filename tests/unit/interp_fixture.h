// Building small syntax trees by hand and running them, with the engine's
// messages captured: the interpreter tested without the front end.
#pragma once

#include "interp/nodes.h"
#include "interp/script.h"
#include "value/chain.h"
#include "value/value.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <unistd.h>
#include <vector>

namespace pelorn::interptest {

using namespace pelorn::interp;

inline std::vector<std::string> &capturedMessages()
{
    static std::vector<std::string> messages;
    return messages;
}

inline int32_t captureMessage(const char *text)
{
    capturedMessages().emplace_back(text);
    return 0;
}

inline std::string textOf(const ScriptValue &s)
{
    char *joined = value::chain::join(s.u.string);
    std::string out(joined);
    zfree(joined);
    return out;
}

class InterpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        capturedMessages().clear();
        SetMessageOutputFn(captureMessage);
        char here[4096];
        directory = getcwd(here, sizeof here) != nullptr ? here : "/";
        script = createScript();
        source = internSource(script, directory + "/main.scr", directory);
    }

    void TearDown() override
    {
        FreeScript(script->object());
        SetMessageOutputFn(nullptr);
    }

    // A new variable entry, not in any list yet.
    static SymbolEntry *entry(const char *name, bool constant = false, bool readOnly = false)
    {
        auto *e = static_cast<SymbolEntry *>(zalloc(sizeof(SymbolEntry)));
        e->kind = PELORN_SYM_VARIABLE;
        e->a.name = zstrdup(name);
        e->isConstant = constant ? 1 : 0;
        e->isReadOnly = readOnly ? 1 : 0;
        return e;
    }

    // A global variable of the script.
    SymbolEntry *global(const char *name, bool constant = false, bool readOnly = false)
    {
        SymbolEntry *e = entry(name, constant, readOnly);
        e->next = script->header.symbols;
        script->header.symbols = e;
        return e;
    }

    template <typename Node> Node *at(Node *node, int32_t line = 1, const SourceFile *file = nullptr)
    {
        node->source = file != nullptr ? file : source;
        node->line = line;
        return node;
    }

    VariableExpr *var(SymbolEntry *e, int32_t line = 1) { return at(new VariableExpr(e->a.name, e, false), line); }
    LiteralExpr *integer(int64_t n, int32_t line = 1) { return at(new LiteralExpr(value::makeInteger(n)), line); }
    LiteralExpr *text(const char *s, int32_t line = 1) { return at(new LiteralExpr(value::makeString(s)), line); }
    static Expression *byval(Expression *e)
    {
        if (e->kind == ExpressionKind::Variable)
            static_cast<VariableExpr *>(e)->byValue = true;
        return e;
    }
    ArithmeticExpr *arith(ArithmeticOperator op, Expression *l, Expression *r, int32_t line = 1)
    {
        return at(new ArithmeticExpr(op, l, r), line);
    }
    ConditionExpr *cond(ConditionOperator op, Expression *l, Expression *r, int32_t line = 1)
    {
        return at(new ConditionExpr(l, r, op), line);
    }
    AssignStatement *assign(SymbolEntry *target, Expression *value, int32_t line = 1)
    {
        return at(new AssignStatement(var(target, line), value, false), line);
    }
    BlockStatement *block(std::initializer_list<Statement *> statements)
    {
        auto *b = at(new BlockStatement());
        for (Statement *s : statements)
            b->append(s);
        return b;
    }
    ReturnStatement *ret(Expression *value, int32_t line = 1) { return at(new ReturnStatement(value), line); }
    ThrowStatement *raise(Expression *value, int32_t line = 1) { return at(new ThrowStatement(value), line); }
    IfStatement *when(Expression *condition, BlockStatement *then, BlockStatement *otherwise = nullptr)
    {
        return at(new IfStatement(condition, then, otherwise));
    }
    TryStatement *attempt(BlockStatement *body, SymbolEntry *caught, BlockStatement *handler)
    {
        return at(new TryStatement(var(caught), body, handler));
    }
    ProcedureCallStatement *callProcedure(const char *name, std::vector<Expression *> arguments, int32_t line = 1)
    {
        return at(new ProcedureCallStatement(name, std::move(arguments)), line);
    }
    FunctionCallExpr *callFunction(const char *name, std::vector<Expression *> arguments, int32_t line = 1)
    {
        return at(new FunctionCallExpr(script, name, std::move(arguments)), line);
    }

    // Declares a routine. `parameters` in declaration order; the routine's
    // symbol list holds them last declared first, then the locals.
    RoutineDefinition *routine(const char *name, bool function, std::vector<SymbolEntry *> parameters,
                               std::vector<SymbolEntry *> locals, BlockStatement *body)
    {
        SymbolEntry *head = nullptr;
        SymbolEntry **tail = &head;
        for (auto p = parameters.rbegin(); p != parameters.rend(); ++p) {
            *tail = *p;
            tail = &(*p)->next;
        }
        for (SymbolEntry *l : locals) {
            *tail = l;
            tail = &l->next;
        }
        auto *r = new RoutineDefinition(name, function, static_cast<uint32_t>(parameters.size()), body, head);
        RoutineDefinition *&list = function ? script->functions : script->procedures;
        r->next = list;
        list = r;
        return r;
    }

    void add(Statement *s) { script->mainBlock->append(s); }
    bool run() { return script->header.run(script->object()) != 0; }

    std::string directory;
    Script *script = nullptr;
    const SourceFile *source = nullptr;
};

} // namespace pelorn::interptest
