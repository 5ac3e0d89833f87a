// The call-stack area: frames that save and restore a routine's variables.
#include "interp/call_stack.h"
#include "interp_fixture.h"

using namespace pelorn;
using namespace pelorn::interptest;

namespace {

class CallStackTest : public InterpTest {
protected:
    // A procedure with parameter a and local s, holding 1 and "outer".
    RoutineDefinition *makeRoutine()
    {
        a = entry("a");
        s = entry("s");
        RoutineDefinition *r = routine("P", false, {a}, {s}, block({}));
        a->c.value = value::makeInteger(1);
        s->c.value = value::makeString("outer");
        return r;
    }

    SymbolEntry *a = nullptr;
    SymbolEntry *s = nullptr;
};

TEST_F(CallStackTest, NestedFramesRestoreEachCallersValues)
{
    RoutineDefinition *r = makeRoutine();
    CallStackArea &area = script->callStack;

    ASSERT_TRUE(openFrame(area, *r));
    EXPECT_EQ(area.fill, 80u * 2 + 8);
    EXPECT_EQ(a->c.value.type, PELORN_UNDEFINED) << "a call starts with empty variables";
    EXPECT_EQ(s->c.value.type, PELORN_UNDEFINED);
    a->c.value = value::makeInteger(2);
    s->c.value = value::makeString("inner");

    ASSERT_TRUE(openFrame(area, *r));
    EXPECT_EQ(area.fill, 2 * (80u * 2 + 8));
    s->c.value = value::makeString("innermost"); // released by the restore

    closeFrame(area, *r);
    EXPECT_EQ(a->c.value.u.integer, 2);
    EXPECT_EQ(textOf(s->c.value), "inner");
    closeFrame(area, *r);
    EXPECT_EQ(a->c.value.u.integer, 1);
    EXPECT_EQ(textOf(s->c.value), "outer");
    EXPECT_EQ(area.fill, 0u);
    EXPECT_EQ(r->frames, nullptr);
}

TEST_F(CallStackTest, FramesOfTwoRoutinesInterleave)
{
    RoutineDefinition *p = makeRoutine();
    SymbolEntry *q1 = entry("q");
    RoutineDefinition *q = routine("Q", false, {q1}, {}, block({}));
    q1->c.value = value::makeInteger(7);
    CallStackArea &area = script->callStack;

    ASSERT_TRUE(openFrame(area, *p)); // P calls Q calls P
    ASSERT_TRUE(openFrame(area, *q));
    ASSERT_TRUE(openFrame(area, *p));
    a->c.value = value::makeInteger(3);
    closeFrame(area, *p);
    EXPECT_EQ(a->c.value.type, PELORN_UNDEFINED) << "the outer call of P had not set a yet";
    closeFrame(area, *q);
    EXPECT_EQ(q1->c.value.u.integer, 7);
    closeFrame(area, *p);
    EXPECT_EQ(a->c.value.u.integer, 1);
    EXPECT_EQ(area.fill, 0u);
}

TEST_F(CallStackTest, AreaHoldsExactly595781CallsOfAOneSymbolRoutine)
{
    SymbolEntry *n = entry("n");
    RoutineDefinition *r = routine("Down", false, {n}, {}, block({}));
    CallStackArea &area = script->callStack;
    uint32_t depth = 0;
    while (openFrame(area, *r))
        ++depth;
    EXPECT_EQ(depth, 595781u);
    size_t fill = area.fill;
    EXPECT_FALSE(openFrame(area, *r));
    EXPECT_EQ(area.fill, fill) << "a refused frame takes nothing";
    while (depth-- > 0)
        closeFrame(area, *r);
    EXPECT_EQ(area.fill, 0u);
}

// A failed run leaves frames open; releasing the script releases the
// values they saved (the sanitizer build checks for leaks).
TEST_F(CallStackTest, OpenFramesAreReleasedWithTheRoutine)
{
    RoutineDefinition *r = makeRoutine();
    ASSERT_TRUE(openFrame(script->callStack, *r));
    s->c.value = value::makeString("second");
    ASSERT_TRUE(openFrame(script->callStack, *r));
    s->c.value = value::makeString("third");
    EXPECT_NE(r->frames, nullptr);
}

} // namespace
