// Math, time and random built-ins called directly.
#include "builtin_fixture.h"

#include <chrono>
#include <cmath>
#include <thread>

using namespace pelorn;
using namespace pelorn::testing;
namespace bi = pelorn::builtins;

namespace {

struct Elementary {
    FunctionEntry entry;
    const char *shownName; // the spelling its message uses
    double (*reference)(double);
};

const Elementary kElementary[] = {
    {bi::Sin, "sin", [](double x) { return std::sin(x); }},
    {bi::Cos, "cos", [](double x) { return std::cos(x); }},
    {bi::Tan, "tan", [](double x) { return std::tan(x); }},
    {bi::ASin, "Asin", [](double x) { return std::asin(x); }},
    {bi::ACos, "Acos", [](double x) { return std::acos(x); }},
    {bi::ATan, "atan", [](double x) { return std::atan(x); }},
    {bi::Log, "Log", [](double x) { return std::log(x); }},
    {bi::Log10, "Log10", [](double x) { return std::log10(x); }},
    {bi::Sqrt, "Sqrt", [](double x) { return std::sqrt(x); }},
    {bi::Exp, "Exp", [](double x) { return std::exp(x); }},
};

} // namespace

class MathBuiltins : public BuiltinTest {};

TEST_F(MathBuiltins, ElementaryFunctionsTakeIntegerOrFloatAndGiveFloat)
{
    for (const Elementary &f : kElementary) {
        Args fromInteger{integer(1)};
        ASSERT_EQ(call(f.entry, fromInteger), 0) << f.shownName;
        EXPECT_EQ(result.type, PELORN_FLOAT);
        EXPECT_DOUBLE_EQ(result.u.real, f.reference(1.0)) << f.shownName;
        Args fromFloat{real(0.5)};
        ASSERT_EQ(call(f.entry, fromFloat), 0);
        EXPECT_DOUBLE_EQ(result.u.real, f.reference(0.5)) << f.shownName;
    }
}

TEST_F(MathBuiltins, ElementaryFunctionsRefuseOtherArgumentsWithTheirOwnMessage)
{
    for (const Elementary &f : kElementary) {
        std::string expected = std::string("Bad argument(s) for function \"") + f.shownName + "\".Prototype: float " +
                               f.shownName + "(float) or float " + f.shownName + "(integer).\n";
        Args none{};
        Args text{str("1")};
        Args two{integer(1), integer(2)};
        for (Args *args : {&none, &text, &two}) {
            messages().clear();
            EXPECT_EQ(call(f.entry, *args), PELORN_BAD_ARGUMENTS);
            EXPECT_EQ(messages(), expected);
        }
    }
}

TEST_F(MathBuiltins, OutsideTheDomainGivesNanOrInfinityWithoutError)
{
    Args minusOne{integer(-1)};
    ASSERT_EQ(call(bi::Sqrt, minusOne), 0);
    EXPECT_TRUE(std::isnan(result.u.real));
    Args zero{integer(0)};
    ASSERT_EQ(call(bi::Log, zero), 0);
    EXPECT_TRUE(std::isinf(result.u.real));
    EXPECT_TRUE(messages().empty());
}

TEST_F(MathBuiltins, AbsKeepsTheTypeAndTheMostNegativeInteger)
{
    Args negative{integer(-5)};
    ASSERT_EQ(call(bi::Abs, negative), 0);
    EXPECT_EQ(result.type, PELORN_INTEGER);
    EXPECT_EQ(result.u.integer, 5);
    Args lowest{integer(INT64_MIN)};
    ASSERT_EQ(call(bi::Abs, lowest), 0);
    EXPECT_EQ(result.u.integer, INT64_MIN);
    Args fraction{real(-2.5)};
    ASSERT_EQ(call(bi::Abs, fraction), 0);
    EXPECT_EQ(result.type, PELORN_FLOAT);
    EXPECT_DOUBLE_EQ(result.u.real, 2.5);
    Args text{str("x")};
    EXPECT_EQ(call(bi::Abs, text), PELORN_BAD_ARGUMENTS);
    EXPECT_EQ(messages(), "Bad argument(s) for function \"Abs\".Prototype: float Abs(float) or integer Abs(integer).\n");
}

TEST_F(MathBuiltins, ClocksTakeNoArgumentAndAdvanceDuringSleep)
{
    Args none{};
    ASSERT_EQ(call(bi::Time, none), 0);
    EXPECT_GT(result.u.integer, 1600000000);
    ASSERT_EQ(call(bi::Clock, none), 0);
    int64_t clock1 = result.u.integer;
    ASSERT_EQ(call(bi::GetPerfCounter, none), 0);
    ASSERT_EQ(result.type, PELORN_FLOAT);
    double counter1 = result.u.real;
    Args pause{integer(100)};
    ASSERT_EQ(call(bi::Sleep, pause), 0);
    ASSERT_EQ(call(bi::Clock, none), 0);
    EXPECT_GE(result.u.integer - clock1, 95);
    ASSERT_EQ(call(bi::GetPerfCounter, none), 0);
    EXPECT_NEAR(result.u.real - counter1, 0.1, 0.05);

    Args one{integer(1)};
    struct Refusal {
        FunctionEntry entry;
        const char *message;
    };
    const Refusal refusals[] = {
        {bi::Time, "Function \"Time\" doesn't take any parameter.Prototype: int Time().\n"},
        {bi::Clock, "Function \"Clock\" doesn't take any parameter.Prototype: int Clock().\n"},
        {bi::GetPerfCounter, "Function \"GetPerfCounter\" doesn't take any parameter.Prototype: double "
                             "GetPerfCounter().\n"},
    };
    for (const Refusal &r : refusals) {
        messages().clear();
        EXPECT_EQ(call(r.entry, one), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), r.message);
    }
    Args fraction{real(1.5)};
    EXPECT_EQ(call(bi::Sleep, fraction), PELORN_BAD_ARGUMENTS);
}

TEST_F(MathBuiltins, RandGivesIntegersOrBytes)
{
    Args none{};
    ASSERT_EQ(call(bi::Rand, none), 0);
    EXPECT_EQ(result.type, PELORN_INTEGER);
    Args sixteen{integer(16)};
    ASSERT_EQ(call(bi::Rand, sixteen), 0);
    ASSERT_EQ(result.type, PELORN_BYTEARRAY);
    EXPECT_EQ(result.u.bytes.length, 16);
    std::vector<uint8_t> first = bytesOf(result);
    ASSERT_EQ(call(bi::Rand, sixteen), 0);
    EXPECT_NE(bytesOf(result), first);
    Args zero{integer(0)};
    ASSERT_EQ(call(bi::Rand, zero), 0);
    EXPECT_EQ(result.type, PELORN_BYTEARRAY);
    EXPECT_EQ(result.u.bytes.length, 0);
}

TEST_F(MathBuiltins, RandRefusesNegativeAndUnallocatableSizes)
{
    Args negative{integer(-1)};
    EXPECT_EQ(call(bi::Rand, negative), -1);
    EXPECT_EQ(thrown, "negative argument passed to function \"Rand\"");
    for (int64_t huge : {int64_t{1} << 31, int64_t{1} << 32, INT64_MAX}) {
        Args args{integer(huge)};
        EXPECT_EQ(call(bi::Rand, args), -1);
        EXPECT_EQ(thrown, "argument passed to function \"Rand\" is too large (maximum value is 2147483647)");
    }
    Args text{str("a")};
    EXPECT_EQ(call(bi::Rand, text), PELORN_BAD_ARGUMENTS);
    EXPECT_EQ(messages(), "Bad argument(s) for function \"Rand\".Prototypes: int Rand() | bytearray Rand(int).\n");
}

TEST_F(MathBuiltins, SRandTakesOneIntegerStringOrByteArray)
{
    Args seeds[] = {{integer(7)}, {str("seed")}, {bytes("01 02 03")}, {bytes("")}};
    for (Args &seed : seeds)
        EXPECT_EQ(call(bi::SRand, seed), 0);
    EXPECT_TRUE(messages().empty());
    Args none{};
    Args fraction{real(1.0)};
    for (Args *args : {&none, &fraction}) {
        messages().clear();
        EXPECT_EQ(call(bi::SRand, *args), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), "Bad argument(s) for function \"SRand\".Prototypes: void SRand(int) | void SRand(string) "
                              "| void SRand(bytearray).\n");
    }
}
