// Scoping: which entry each name reaches, and which list owns it.
#include "builtins/registry.h"
#include "front/symbols.h"
#include "front_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pelorn;

namespace {

class Scope : public fixture::ScriptTest {
protected:
    // The names of a list, in list order.
    static std::string names(const SymbolEntry *head)
    {
        std::string out;
        for (const SymbolEntry *e = head; e != nullptr; e = e->next) {
            if (!out.empty())
                out += ' ';
            out += front::entryName(*e);
        }
        return out;
    }
    static const SymbolEntry *entry(const SymbolEntry *head, const std::string &name)
    {
        for (const SymbolEntry *e = head; e != nullptr; e = e->next)
            if (name == front::entryName(*e))
                return e;
        return nullptr;
    }
    // Where the assignment at the top level binds its target.
    const ScriptValue *targetOf(size_t statement) const
    {
        auto *assign = dynamic_cast<interp::AssignStatement *>(result.script->mainBlock->statements.at(statement));
        return assign != nullptr ? assign->target->place : nullptr;
    }
    const SymbolEntry *globals() const { return result.script->header.symbols; }
};

TEST_F(Scope, RoutineVariablesAreTheirOwn)
{
    compile("procedure P(a, b)\n  t = a\n  b = t\nend\nt = 1\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    const interp::RoutineDefinition *p = result.script->procedures;
    // Parameters (last declared first), then the locals.
    EXPECT_EQ(names(p->symbols), "b a t");
    EXPECT_EQ(p->symbolCount, 3u);
    EXPECT_EQ(names(globals()), "t");
    EXPECT_EQ(targetOf(0), &entry(globals(), "t")->c.value);
    auto *inner = dynamic_cast<interp::AssignStatement *>(p->body->statements.at(0));
    ASSERT_NE(inner, nullptr);
    // t is a slot of P's frames, third after the parameters.
    EXPECT_EQ(inner->target->storage, interp::VariableStorage::Local);
    EXPECT_EQ(inner->target->routine, p);
    EXPECT_EQ(inner->target->slot, 2u);
    EXPECT_EQ(inner->target->entry, entry(p->symbols, "t"));
}

TEST_F(Scope, ANameLeftBehindByARoutineIsNewAgain)
{
    // "x" after the routine is scanned while P's x is still visible; once
    // P is complete, that entry is P's own and the top-level x is another.
    compile("procedure P()\n  x = 1\nend\nx = 2\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(names(result.script->procedures->symbols), "x");
    EXPECT_EQ(names(globals()), "x");
    EXPECT_EQ(targetOf(0), &entry(globals(), "x")->c.value);
}

TEST_F(Scope, ConstantsAreVisibleOnlyAfterTheirDeclaration)
{
    compile("const K = 3\nprocedure A()\n  x = K\nend\nprocedure B()\n  y = L\nend\nconst L = 4\nz = K + L\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    const interp::RoutineDefinition *b = result.script->procedures;
    const interp::RoutineDefinition *a = b->next;
    EXPECT_EQ(names(a->symbols), "x");
    EXPECT_EQ(names(b->symbols), "y L");
    EXPECT_EQ(names(globals()), "L K z");
    EXPECT_TRUE(entry(globals(), "K")->isConstant && entry(globals(), "L")->isConstant);
    EXPECT_FALSE(entry(b->symbols, "L")->isConstant);
}

TEST_F(Scope, ForCounterBelongsToTheLoopUnlessTheBodyNamesIt)
{
    compile("for i = 1 to 3\n  Println(\"x\")\nend\nPrintln(i)\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    auto *loop = dynamic_cast<interp::ForStatement *>(result.script->mainBlock->statements.at(0));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(names(loop->symbols), "i");
    EXPECT_EQ(loop->counter->place, &loop->symbols->c.value);
    EXPECT_EQ(names(globals()), "i");
    EXPECT_NE(&entry(globals(), "i")->c.value, loop->counter->place);

    compile("for i = 1 to 3\n  Println(i)\nend\nPrintln(i)\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    loop = dynamic_cast<interp::ForStatement *>(result.script->mainBlock->statements.at(0));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->symbols, nullptr);
    EXPECT_EQ(names(globals()), "i");
    EXPECT_EQ(loop->counter->place, &globals()->c.value);
}

TEST_F(Scope, CatchVariableNamedInTheHandlerIsGlobal)
{
    compile("try\n  throw \"boom\"\ncatch (err)\n  Println(err)\nend\nPrintln(err)\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    auto *t = dynamic_cast<interp::TryStatement *>(result.script->mainBlock->statements.at(0));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->symbols, nullptr);
    EXPECT_EQ(t->catchVariable->place, &entry(globals(), "err")->c.value);
}

TEST_F(Scope, VariablesAreCaseSensitiveAndPredefinedNamesWin)
{
    compile("pi = 3\ncount = 1\nCount = 2\nErr = 5\nx = Pi\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(names(globals()), "pi count Count x");
    // Err is the predefined variable, read-only; Pi the predefined constant.
    auto *err = dynamic_cast<interp::AssignStatement *>(result.script->mainBlock->statements.at(3));
    ASSERT_NE(err, nullptr);
    EXPECT_TRUE(err->target->isReadOnly);
    const SymbolEntry *predefined = nullptr;
    for (const SymbolEntry *e = builtins::globalList(); e != nullptr; e = e->next)
        if (std::string(front::entryName(*e)) == "Err")
            predefined = e;
    ASSERT_NE(predefined, nullptr);
    EXPECT_EQ(err->target->place, &predefined->c.value);
}

TEST_F(Scope, ConstantExpressionsOfADeclarationsOnlyScriptKeepTheirVariables)
{
    // y is made by the constant's expression and no statement ever takes
    // it into a scope: it must still live as long as the script.
    compile("const X = y\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(names(globals()), "X y");
    auto *assign = dynamic_cast<interp::AssignStatement *>(result.script->mainBlock->statements.at(0));
    ASSERT_NE(assign, nullptr);
    EXPECT_EQ(static_cast<interp::VariableExpr *>(assign->value)->place, &entry(globals(), "y")->c.value);
}

TEST_F(Scope, CompoundStatementsOwnTheNamesTheyFirstBind)
{
    // z first appears inside the if, in a simple statement: it joins the
    // scope at once, the if owns nothing.
    compile("if 1 then\n  z = 1\nend\nwhile 0\n  w = z\nend\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(names(globals()), "z w");
    EXPECT_EQ(result.script->mainBlock->statements.at(0)->symbols, nullptr);
}

} // namespace
