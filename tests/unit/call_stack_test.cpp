// The call-stack area: each call's frame of value slots, its measure and
// the frames a failed run leaves open.
#include "interp/call_stack.h"
#include "interp_fixture.h"

using namespace pelorn;
using namespace pelorn::interptest;

namespace {

class CallStackTest : public InterpTest {};

TEST_F(CallStackTest, NestedFramesAreSeparateAndStartEmpty)
{
    CallStackArea &area = script->callStack;
    ScriptValue *outer = openFrame(area, 2);
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(area.fill, 80u * 2 + 8);
    outer[0] = value::makeInteger(1);
    outer[1] = value::makeString("outer");

    ScriptValue *inner = openFrame(area, 2);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(area.fill, 2 * (80u * 2 + 8));
    EXPECT_EQ(inner[0].type, PELORN_UNDEFINED) << "a call starts with empty variables";
    EXPECT_EQ(inner[1].type, PELORN_UNDEFINED);
    inner[1] = value::makeString("inner"); // released by the close

    closeFrame(area, inner, 2);
    EXPECT_EQ(outer[0].u.integer, 1);
    EXPECT_EQ(textOf(outer[1]), "outer");
    closeFrame(area, outer, 2);
    EXPECT_EQ(area.fill, 0u);
    EXPECT_EQ(area.top, 0u);
}

TEST_F(CallStackTest, AreaHoldsExactly595781CallsOfAOneSymbolRoutine)
{
    CallStackArea &area = script->callStack;
    std::vector<ScriptValue *> frames;
    while (ScriptValue *frame = openFrame(area, 1))
        frames.push_back(frame);
    EXPECT_EQ(frames.size(), 595781u);
    size_t fill = area.fill;
    EXPECT_EQ(openFrame(area, 1), nullptr);
    EXPECT_EQ(area.fill, fill) << "a refused frame takes nothing";
    while (!frames.empty()) {
        closeFrame(area, frames.back(), 1);
        frames.pop_back();
    }
    EXPECT_EQ(area.fill, 0u);
}

// A failed run leaves frames open; releasing the script releases their
// values (the sanitizer build checks for leaks).
TEST_F(CallStackTest, OpenFramesAreReleasedWithTheScript)
{
    ScriptValue *first = openFrame(script->callStack, 2);
    ASSERT_NE(first, nullptr);
    first[1] = value::makeString("second");
    ScriptValue *second = openFrame(script->callStack, 3);
    ASSERT_NE(second, nullptr);
    second[2] = value::makeString("third");
    EXPECT_NE(script->callStack.top, 0u);
}

} // namespace
