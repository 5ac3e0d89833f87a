// Console built-ins: how values are written, reading a line, the APDU trace switch.
#include "builtin_fixture.h"

#include "api/channels.h"
#include "interp/script.h"

#include <cstring>

using namespace pelorn;
using namespace pelorn::testing;
namespace bi = pelorn::builtins;

namespace {

// A value as a module might make it: no property hook at all.
ScriptValue withoutHooks(ScriptValue v)
{
    v.getProperty = nullptr;
    v.setProperty = nullptr;
    return v;
}

const char *storedLine = "";

int32_t giveLine(char *buffer, int32_t size)
{
    std::strncpy(buffer, storedLine, static_cast<size_t>(size));
    return 0;
}

} // namespace

class ConsoleBuiltins : public BuiltinTest {
protected:
    void TearDown() override
    {
        SetStandardInputFn(nullptr);
        BuiltinTest::TearDown();
    }
};

TEST_F(ConsoleBuiltins, PrintWritesEachTypeThroughItsTextForm)
{
    struct Case {
        ScriptValue value;
        const char *expected;
    };
    const Case cases[] = {
        {integer(-7), "-7"},
        {real(2.5), "2.50000000"},
        {str("100%d %s"), "100%d %s"},
        {boolean(true), "TRUE"},
        {bytes("0A 0B"), "0A 0B "},
        {bytes(""), ""},
        {arrayOf({integer(1), integer(2), integer(3)}), "[1 ; 2 ; 3]"},
        {value::empty(), "(undefined)"},
        {withoutHooks(integer(5)), "5"},
        {withoutHooks(real(0.5)), "0.50000000"},
        {withoutHooks(boolean(false)), "FALSE"},
        {withoutHooks(bytes("01 A2")), "01 A2 "},
        {withoutHooks(arrayOf({integer(1), integer(2)})), "[ 1  ; 2 ]"},
    };
    for (const Case &c : cases) {
        output().clear();
        Args args{c.value};
        ASSERT_EQ(call(bi::Print, args), 0);
        EXPECT_EQ(output(), c.expected);
    }
}

TEST_F(ConsoleBuiltins, PrintWritesArgumentsAsSeparatePiecesAndPrintlnEndsTheLine)
{
    Args three{integer(1), str("a"), boolean(true)};
    ASSERT_EQ(call(bi::Print, three), 0);
    EXPECT_EQ(output(), "1aTRUE");
    EXPECT_EQ(outputCalls(), 3);
    output().clear();
    outputCalls() = 0;
    Args one{real(2.5)};
    ASSERT_EQ(call(bi::Println, one), 0);
    EXPECT_EQ(output(), "2.50000000\n");
    EXPECT_EQ(outputCalls(), 2);
}

TEST_F(ConsoleBuiltins, ValueWhoseConversionThrowsPrintsUnknown)
{
    ScriptValue odd = integer(1);
    odd.getProperty = [](ScriptValue *, const char *, ScriptValue *) -> int32_t {
        ThrowStringException("no");
        return 0;
    };
    ScriptValue noText = integer(2);
    noText.getProperty = [](ScriptValue *, const char *, ScriptValue *) -> int32_t { return 1; };
    ScriptValue module = value::empty();
    module.type = PELORN_FIRST_MODULE_TYPE;
    Args args{odd, noText, module};
    ASSERT_EQ(call(bi::Print, args), 0);
    EXPECT_EQ(output(), "(unknown)(unknown)(unknown)");
}

TEST_F(ConsoleBuiltins, ArgumentErrors)
{
    Args none{};
    Args number{integer(1)};
    struct Case {
        ProcedureEntry procedure;
        FunctionEntry function;
        Args &args;
        const char *message;
    };
    const Case cases[] = {
        {bi::Print, nullptr, none, "Function \"Print\" needs at least one argument.\n"},
        {bi::Println, nullptr, none, "Function \"Println\" needs at least one argument.\n"},
        {bi::SetAPDUVerbose, nullptr, number, "Function \"SetAPDUVerbose\" requires one boolean argument.\n"},
        {bi::SetAPDUVerbose, nullptr, none, "Function \"SetAPDUVerbose\" requires one boolean argument.\n"},
        {nullptr, bi::ReadLine, number, "Function \"readLine\" doesn't take an argument. Prototype : string readLine()\n"},
    };
    for (const Case &c : cases) {
        messages().clear();
        int32_t code = c.procedure != nullptr ? call(c.procedure, c.args) : call(c.function, c.args);
        EXPECT_EQ(code, PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), c.message);
    }
    EXPECT_TRUE(output().empty());
}

TEST_F(ConsoleBuiltins, SetAPDUVerboseSwitchesTheRunningScript)
{
    interp::Script *script = interp::createScript();
    interp::setRunningScript(script);
    Args on{boolean(true)};
    ASSERT_EQ(call(bi::SetAPDUVerbose, on), 0);
    EXPECT_EQ(script->settings.apduVerbose, 1);
    Args off{boolean(false)};
    ASSERT_EQ(call(bi::SetAPDUVerbose, off), 0);
    EXPECT_EQ(script->settings.apduVerbose, 0);
    interp::setRunningScript(nullptr);
    FreeScript(script->object());
}

TEST_F(ConsoleBuiltins, ReadLineTakesTheCallbackTextUnchanged)
{
    SetStandardInputFn(giveLine);
    Args none{};
    storedLine = "ab\r\n";
    ASSERT_EQ(call(bi::ReadLine, none), 0);
    EXPECT_EQ(textOf(result), "ab\r\n");
    EXPECT_EQ(result.u.string.length, 4u);
    // A callback that fills the whole buffer without a terminator.
    static std::string full(api::kLineBufferSize + 10, 'x');
    storedLine = full.c_str();
    ASSERT_EQ(call(bi::ReadLine, none), 0);
    EXPECT_EQ(result.u.string.length, static_cast<uint32_t>(api::kLineBufferSize));
}
