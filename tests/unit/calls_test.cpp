// Calls: script routines (value-result arguments, frames, transfers leaving
// a routine) and built-in routines (calling convention, copy-back, result
// codes and native throws turned into the built-in exception).
#include "interp/call_stack.h"
#include "interp_fixture.h"
#include "value/arrays.h"

#include <climits>

using namespace pelorn;
using namespace pelorn::interptest;

namespace {

std::string lastDirectory;

// Test built-ins.
int32_t Twice(uint32_t, ArgumentSlot *a)
{
    a[0].value.u.integer *= 2;
    return 0;
}
int32_t Numbered(uint32_t count, ArgumentSlot *a) // slot i becomes i
{
    for (uint32_t i = 0; i < count; ++i) {
        value::release(a[i].value);
        a[i].value = value::makeInteger(i);
    }
    return 0;
}
int32_t MinusOne(uint32_t, ArgumentSlot *) { return -1; }
int32_t BadArguments(uint32_t, ArgumentSlot *) { return PELORN_BAD_ARGUMENTS; }
int32_t Throws(uint32_t, ArgumentSlot *a)
{
    a[0].value.u.integer = 99; // not copied back: the call failed
    ThrowStringException("boom");
    return 0;
}
int32_t Where(uint32_t, ArgumentSlot *, ScriptValue *result)
{
    char here[4096];
    lastDirectory = getcwd(here, sizeof here) != nullptr ? here : "";
    *result = value::makeInteger(1);
    return 0;
}
int32_t WhereProcedure(uint32_t, ArgumentSlot *)
{
    ScriptValue ignored = value::empty();
    return Where(0, nullptr, &ignored);
}

class CallsTest : public InterpTest {
protected:
    BuiltinProcedureCallStatement *builtin(ProcedureEntry e, const char *name, std::vector<Expression *> args,
                                           int32_t line = 1)
    {
        return at(new BuiltinProcedureCallStatement(e, name, std::move(args)), line);
    }
};

TEST_F(CallsTest, RecursiveFunctionGetsFreshVariablesAtEachCall)
{
    // function Fact(n) t = n; if n < 2 then return 1 end; return t * Fact(n - 1) end
    SymbolEntry *n = entry("n");
    SymbolEntry *t = entry("t");
    routine("Fact", true, {n}, {t},
            block({assign(t, var(n)),
                   when(cond(ConditionOperator::Less, var(n), integer(2)), block({ret(integer(1))})),
                   ret(arith(ArithmeticOperator::Multiply, var(t),
                             callFunction("fact", {arith(ArithmeticOperator::Subtract, var(n), integer(1))})))}));
    SymbolEntry *x = global("x");
    add(assign(x, callFunction("FACT", {integer(10)})));
    ASSERT_TRUE(run()) << capturedMessages().front();
    EXPECT_EQ(x->c.value.u.integer, 3628800);
    EXPECT_EQ(script->callStack.fill, 0u);
    EXPECT_EQ(n->c.value.type, PELORN_UNDEFINED) << "outside any call the variables hold what they held before";
}

// The value-result rule: a variable argument receives the parameter's final
// value, unless BYVAL, a constant or a read-only variable forbids it.
TEST_F(CallsTest, WriteBackOnlyIntoPlainWritableVariables)
{
    SymbolEntry *p = entry("p");
    routine("Bump", false, {p}, {}, block({assign(p, arith(ArithmeticOperator::Add, var(p), integer(1)))}));
    struct Case {
        const char *name;
        bool constant, readOnly, byValue;
        int64_t expected;
    } cases[] = {
        {"plain", false, false, false, 11},
        {"byval", false, false, true, 10},
        {"constant", true, false, false, 10},
        {"readonly", false, true, false, 10},
    };
    std::vector<SymbolEntry *> variables;
    for (const Case &c : cases) {
        SymbolEntry *v = global(c.name, c.constant, c.readOnly);
        v->c.value = value::makeInteger(10);
        Expression *argument = var(v);
        add(callProcedure("Bump", {c.byValue ? byval(argument) : argument}));
        variables.push_back(v);
    }
    ASSERT_TRUE(run());
    for (size_t i = 0; i < variables.size(); ++i)
        EXPECT_EQ(variables[i]->c.value.u.integer, cases[i].expected) << cases[i].name;
}

// Passing one of the routine's own variables: the inner call's write-back
// reaches the shared symbol, which the restore sets back.
TEST_F(CallsTest, RecursiveCallWithOwnVariableKeepsCallersValue)
{
    // procedure R(a) if a > 0 then a = a - 1; R(a) end end
    SymbolEntry *a = entry("a");
    routine("R", false, {a}, {},
            block({when(cond(ConditionOperator::Greater, var(a), integer(0)),
                        block({assign(a, arith(ArithmeticOperator::Subtract, var(a), integer(1))),
                               callProcedure("R", {var(a)})}))}));
    SymbolEntry *x = global("x");
    x->c.value = value::makeInteger(3);
    add(callProcedure("R", {var(x)}));
    ASSERT_TRUE(run());
    EXPECT_EQ(x->c.value.u.integer, 2) << "only the outermost call's own change comes back";
}

TEST_F(CallsTest, ExceptionLeavingARoutineClosesItsFrameWithoutWriteBack)
{
    // procedure Spoil(a) a = 99; throw "spoiled" end
    SymbolEntry *a = entry("a");
    routine("Spoil", false, {a}, {}, block({assign(a, integer(99)), raise(text("spoiled"))}));
    SymbolEntry *x = global("x");
    SymbolEntry *e = global("e");
    x->c.value = value::makeInteger(1);
    add(attempt(block({callProcedure("Spoil", {var(x)})}), e, block({})));
    ASSERT_TRUE(run());
    EXPECT_EQ(x->c.value.u.integer, 1);
    EXPECT_EQ(textOf(e->c.value), "spoiled");
    EXPECT_EQ(script->callStack.fill, 0u);
    EXPECT_EQ(a->c.value.type, PELORN_UNDEFINED);
}

TEST_F(CallsTest, FailedRunLeavesFramesOpenAndTheScriptReleasesThem)
{
    // procedure Deep(n) s = "held"; if n = 0 then s = 1 / 0 end; Deep(n - 1) end
    SymbolEntry *n = entry("n");
    SymbolEntry *s = entry("s");
    routine("Deep", false, {n}, {s},
            block({assign(s, text("held")),
                   when(cond(ConditionOperator::Equal, var(n), integer(0)),
                        block({assign(s, arith(ArithmeticOperator::Divide, integer(1, 4), integer(0)))})),
                   callProcedure("Deep", {arith(ArithmeticOperator::Subtract, var(n), integer(1))})}));
    add(callProcedure("Deep", {integer(3)}));
    EXPECT_FALSE(run());
    ASSERT_EQ(capturedMessages().size(), 1u);
    EXPECT_EQ(capturedMessages()[0], directory + "/main.scr(4) : Devision by zero");
    EXPECT_EQ(script->callStack.fill, 4 * (80u * 2 + 8)) << "the four frames stay open";
    // TearDown frees the script; the sanitizer build checks nothing leaks.
}

TEST_F(CallsTest, CallFailuresReportTheirMessages)
{
    SymbolEntry *a = entry("a");
    SymbolEntry *b = entry("b");
    routine("Two", false, {a, b}, {}, block({}));
    routine("Nothing", true, {}, {}, block({}));
    routine("Leave", true, {}, {}, block({at(new ReturnStatement(nullptr), 5)}));
    routine("Proc", false, {}, {}, block({ret(integer(5, 6), 6)}));
    // A procedure called from a function may not return into the function's result.
    routine("Wrap", true, {}, {}, block({callProcedure("Proc", {}), ret(integer(1))}));
    SymbolEntry *unset = entry("unset");
    routine("Blank", true, {}, {unset}, block({ret(at(var(unset), 8), 8)}));
    SymbolEntry *x = global("x");
    struct Case {
        Statement *statement;
        std::string message;
    } cases[] = {
        {callProcedure("Missing", {}, 2), "(2) : Runtime error : Procedure \"Missing\" not found."},
        {assign(x, callFunction("Missing", {}, 2), 2), "(2) : Runtime error : Function \"Missing\" not found."},
        {callProcedure("two", {integer(1)}, 3), "(3) : Runtime error : Expecting 2 argument(s) for procedure \"Two\""},
        {assign(x, callFunction("Nothing", {}, 7), 7),
         "(7) : Error on operator \"=\" for variable x : Right expression has no type."},
        {assign(x, callFunction("Leave", {})), "(5) : You must return a value from function Leave"},
        {callProcedure("Proc", {}), "(6) : Can't return a value from a procedure. Use a function instead."},
        {assign(x, callFunction("Wrap", {})), "(6) : Can't return a value from a procedure. Use a function instead."},
        {assign(x, callFunction("Blank", {})), "(8) : Returned value from function Blank has no type."},
    };
    for (Case &c : cases) {
        delete script->mainBlock;
        script->mainBlock = new BlockStatement();
        add(c.statement);
        capturedMessages().clear();
        EXPECT_FALSE(run());
        ASSERT_EQ(capturedMessages().size(), 1u);
        EXPECT_EQ(capturedMessages()[0], directory + "/main.scr" + c.message);
    }
}

TEST_F(CallsTest, RunawayRecursionEndsWithTheDepthMessage)
{
    // procedure Down() Down() end: no symbols, so only the native stack
    // bounds it.
    routine("Down", false, {}, {}, block({callProcedure("Down", {}, 2)}));
    add(callProcedure("Down", {}));
    EXPECT_FALSE(run());
    ASSERT_EQ(capturedMessages().size(), 1u);
    EXPECT_EQ(capturedMessages()[0],
              directory + "/main.scr(2) : Runtime error : maximum call depth reached for procedure \"Down\"");
}

// A call node evaluated again while its own arguments are being evaluated
// (a recursion through an argument) must not overwrite them.
TEST_F(CallsTest, RecursionThroughAnArgumentKeepsEachCallsArguments)
{
    // function Add(a, b) return a + b end
    // function Sum(n) if n = 0 then return 0 end return Add(n, Sum(n - 1)) end
    SymbolEntry *a = entry("a");
    SymbolEntry *b = entry("b");
    routine("Add", true, {a, b}, {}, block({ret(arith(ArithmeticOperator::Add, var(a), var(b)))}));
    SymbolEntry *n = entry("n");
    routine("Sum", true, {n}, {},
            block({when(cond(ConditionOperator::Equal, var(n), integer(0)), block({ret(integer(0))})),
                   ret(callFunction("Add", {var(n), callFunction("Sum", {arith(ArithmeticOperator::Subtract,
                                                                                  var(n), integer(1))})}))}));
    SymbolEntry *x = global("x");
    add(assign(x, callFunction("Sum", {integer(4)})));
    ASSERT_TRUE(run());
    EXPECT_EQ(x->c.value.u.integer, 10);
}

TEST_F(CallsTest, RecursionThroughAnArrayLiteralKeepsEachElement)
{
    // function Build(n) if n = 0 then return [] end return [n; Build(n - 1)] end
    SymbolEntry *n = entry("n");
    routine("Build", true, {n}, {},
            block({when(cond(ConditionOperator::Equal, var(n), integer(0)),
                        block({ret(at(new ArrayLiteralExpr({})))})),
                   ret(at(new ArrayLiteralExpr(
                       {var(n), callFunction("Build", {arith(ArithmeticOperator::Subtract, var(n), integer(1))})})))}));
    SymbolEntry *x = global("x");
    add(assign(x, callFunction("Build", {integer(3)})));
    ASSERT_TRUE(run());
    const ScriptValue *level = &x->c.value;
    for (int64_t expected = 3; expected > 0; --expected) {
        ASSERT_EQ(level->type, PELORN_ARRAY);
        ASSERT_EQ(value::arrays::length(*level), 2u);
        EXPECT_EQ(value::arrays::at(*level, 0)->u.integer, expected);
        level = value::arrays::at(*level, 1);
    }
    EXPECT_EQ(value::arrays::length(*level), 0u);
}

TEST_F(CallsTest, BuiltinArgumentsAreCopiedBackAfterSuccessOnly)
{
    SymbolEntry *x = global("x");
    SymbolEntry *y = global("y");
    SymbolEntry *z = global("z");
    SymbolEntry *k = global("k", true, true);
    SymbolEntry *e = global("e");
    for (SymbolEntry *v : {x, y, z, k})
        v->c.value = value::makeInteger(5);
    add(builtin(Twice, "Twice", {var(x)}));
    add(builtin(Twice, "Twice", {byval(var(y))}));
    add(builtin(Twice, "Twice", {var(k)}));
    add(builtin(Numbered, "Numbered", {var(z), integer(0), var(z)})); // the last position wins
    add(attempt(block({builtin(Throws, "Throws", {var(y)})}), e, block({})));
    ASSERT_TRUE(run());
    EXPECT_EQ(x->c.value.u.integer, 10);
    EXPECT_EQ(y->c.value.u.integer, 5);
    EXPECT_EQ(k->c.value.u.integer, 5);
    EXPECT_EQ(z->c.value.u.integer, 2);
    EXPECT_EQ(textOf(e->c.value), "boom");
}

TEST_F(CallsTest, BuiltinResultCodesBecomeExceptions)
{
    SymbolEntry *e = global("e");
    add(attempt(block({builtin(MinusOne, "MinusOne", {})}), e, block({})));
    ASSERT_TRUE(run());
    EXPECT_EQ(e->c.value.type, PELORN_INTEGER);
    EXPECT_EQ(e->c.value.u.integer, 4294967295);

    struct Case {
        ProcedureEntry entry;
        const char *name;
        std::string message;
    } cases[] = {
        {BadArguments, "Bad", "(3) : Exception (Bad Arguments) thrown by Function \"Bad\""},
        {MinusOne, "MinusOne", "(3) : Uncaught exception (0xFFFFFFFF) from Function \"MinusOne\""},
        {Throws, "Throws", "(3) : Uncaught exception (boom) from Function \"Throws\""},
    };
    for (Case &c : cases) {
        delete script->mainBlock;
        script->mainBlock = new BlockStatement();
        // Reported at the first argument's line, not the call's.
        add(builtin(c.entry, c.name, {integer(1, 3)}, 2));
        capturedMessages().clear();
        EXPECT_FALSE(run());
        ASSERT_EQ(capturedMessages().size(), 1u);
        EXPECT_EQ(capturedMessages()[0], directory + "/main.scr" + c.message);
    }
}

// Built-ins run in the directory of the file that holds the call, the
// function form included; the directory is restored afterwards.
TEST_F(CallsTest, BuiltinsRunInTheDirectoryOfTheCallingFile)
{
    const SourceFile *included = internSource(script, "/tmp/included.scr", "/tmp");
    SymbolEntry *x = global("x");
    auto *call = at(new BuiltinFunctionCallExpr(Where, "Where", {}), 1, included);
    add(at(new AssignStatement(var(x), call, false)));
    ASSERT_TRUE(run());
    EXPECT_EQ(lastDirectory, "/tmp");

    delete script->mainBlock;
    script->mainBlock = new BlockStatement();
    add(at(new BuiltinProcedureCallStatement(WhereProcedure, "Where", {}), 1, included));
    lastDirectory.clear();
    ASSERT_TRUE(run());
    EXPECT_EQ(lastDirectory, "/tmp");
    char here[4096];
    EXPECT_EQ(std::string(getcwd(here, sizeof here)), directory);
}

} // namespace
