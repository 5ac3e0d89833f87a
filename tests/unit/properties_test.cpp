// The default property hooks: every conversion and the texts they throw.
#include "builtin_fixture.h"

#include <cmath>
#include <limits>

using namespace pelorn;
using namespace pelorn::testing;

namespace {

// Reads a property; a thrown text comes back in `thrown`.
struct Read {
    int32_t code = -1;
    ScriptValue out = value::empty();
    std::string thrown;

    Read(ScriptValue v, const char *property)
    {
        try {
            code = GetField(&v, property, &out);
        } catch (api::NativeThrow &t) {
            thrown = textOf(t.value);
            value::release(t.value);
        }
        value::release(v);
    }
    ~Read() { value::release(out); }
};

size_t segments(const ScriptValue &s)
{
    size_t n = 0;
    for (const StringChunk *c = &s.u.string.first; c != nullptr; c = c->next)
        ++n;
    return n;
}

} // namespace

TEST(Properties, StringToIntegerUsesAutomaticBaseAndWholeText)
{
    struct Case {
        const char *text;
        int64_t expected;
    };
    const Case cases[] = {
        {"42", 42}, {"0x1F", 31}, {"0X1f", 31}, {"010", 8}, {" 7", 7}, {"\t\n-5", -5}, {"+5", 5}, {"", 0},
        {"0", 0}, {"-0x10", -16}, {"9223372036854775807", INT64_MAX}, {"-9223372036854775808", INT64_MIN},
        {"0x7FFFFFFFFFFFFFFF", INT64_MAX}, {"-0x8000000000000000", INT64_MIN},
    };
    for (const Case &c : cases) {
        Read r(str(c.text), "integer");
        ASSERT_EQ(r.code, 0) << c.text << " threw " << r.thrown;
        EXPECT_EQ(r.out.type, PELORN_INTEGER);
        EXPECT_EQ(r.out.u.integer, c.expected) << c.text;
    }
}

TEST(Properties, StringToIntegerRefusals)
{
    const char *invalid[] = {"7 ", "abc", "08", "0x", "0x1G", " ", "-", "1.5", "12a", "99999999999999999999x"};
    for (const char *text : invalid)
        EXPECT_EQ(Read(str(text), "integer").thrown, "Can't convert string to integer") << text;
    const char *overflowing[] = {"99999999999999999999", "9223372036854775808", "-9223372036854775809",
                                 "0x8000000000000000", "0777777777777777777777777"};
    for (const char *text : overflowing)
        EXPECT_EQ(Read(str(text), "integer").thrown, "Overflow occurred while converting string to integer") << text;
}

TEST(Properties, StringToFloatAcceptsTrailingTextOnlyAfterNonZero)
{
    struct Case {
        const char *text;
        double expected;
    };
    const Case cases[] = {{"2.5", 2.5}, {"1.5x", 1.5}, {"0.0", 0.0}, {"", 0.0},      {"1e3", 1000.0},
                          {"-.5", -0.5}, {" 3", 3.0},   {"5 ", 5.0},  {"1e", 1.0},   {"1e-400", 0.0},
                          {"7e+2z", 700.0}};
    for (const Case &c : cases) {
        Read r(str(c.text), "float");
        ASSERT_EQ(r.code, 0) << c.text << " threw " << r.thrown;
        EXPECT_EQ(r.out.type, PELORN_FLOAT);
        EXPECT_DOUBLE_EQ(r.out.u.real, c.expected) << c.text;
    }
    // Only decimal notation is read: "0x1p3" is a zero followed by text.
    const char *invalid[] = {"0x", "0x1p3", "abc", "0 ", " ", ".", "inf", "nan", "1e-400x"};
    for (const char *text : invalid)
        EXPECT_EQ(Read(str(text), "float").thrown, "Can't convert string to float") << text;
    for (const char *text : {"1e400", "-1e400"})
        EXPECT_EQ(Read(str(text), "float").thrown, "Overflow occurred while converting string to float") << text;
}

TEST(Properties, IntegerAndFloatOfOtherTypes)
{
    struct Case {
        ScriptValue value;
        int64_t expected;
    };
    const Case integers[] = {
        {integer(-9), -9},
        {real(-2.7), -2},
        {real(2.9), 2},
        {real(1e300), INT64_MIN}, // no 64-bit counterpart
        {real(std::nan("")), INT64_MIN},
        {boolean(true), 1},
        {boolean(false), 0},
        {bytes("01 02"), 258},
        {bytes(""), 0},
        {bytes("01 02 03 04 05 06 07 08 09 0A"), 0x0102030405060708},
        {bytes("FF FF FF FF FF FF FF FF"), -1},
    };
    for (const Case &c : integers) {
        Read r(c.value, "integer");
        ASSERT_EQ(r.code, 0);
        EXPECT_EQ(r.out.u.integer, c.expected);
    }
    EXPECT_DOUBLE_EQ(Read(integer(255), "float").out.u.real, 255.0);
    EXPECT_DOUBLE_EQ(Read(real(-0.25), "float").out.u.real, -0.25);
    EXPECT_DOUBLE_EQ(Read(boolean(true), "float").out.u.real, 1.0);
    EXPECT_EQ(Read(bytes("01"), "float").code, 1);
}

TEST(Properties, HexAndStringForms)
{
    struct Case {
        ScriptValue value;
        const char *property;
        const char *expected;
    };
    const Case cases[] = {
        {integer(255), "hex", "ff"},
        {integer(-1), "hex", "ffffffffffffffff"},
        {integer(0), "hex", "0"},
        {bytes("0A FF"), "hex", "0AFF"},
        {bytes(""), "hex", ""},
        {str("AB"), "hex", "4142"},
        {segmented({"a", "", "b"}), "hex", "6162"},
        {str("\xff"), "hex", "FF"},
        {bytes("0A FF"), "string", "0A FF "},
        {bytes(""), "string", ""},
        {integer(-7), "string", "-7"},
        {integer(INT64_MIN), "string", "-9223372036854775808"},
        {real(-2.7), "string", "-2.70000000"},
        {real(2.5), "string", "2.50000000"},
        {boolean(true), "string", "TRUE"},
        {boolean(false), "string", "FALSE"},
        {segmented({"ab", "cd"}), "string", "abcd"},
        {arrayOf({}), "string", "[]"},
        {arrayOf({integer(1), integer(2)}), "string", "[1 ; 2]"},
        {arrayOf({integer(1), arrayOf({real(2.5), str("a")}), bytes("01 A2"), value::empty()}), "string",
         "[1 ; [2.50000000 ; a] ; 01 A2  ; (unknown)]"},
    };
    for (const Case &c : cases) {
        Read r(c.value, c.property);
        ASSERT_EQ(r.code, 0) << c.expected;
        ASSERT_EQ(r.out.type, PELORN_STRING);
        EXPECT_EQ(textOf(r.out), c.expected);
        EXPECT_EQ(r.out.u.string.length, std::string(c.expected).size()) << c.expected;
    }
}

TEST(Properties, StringOfAStringIsOneSegmentAndOfAnArraySeveral)
{
    Read joined(segmented({"ab", "cd", "e"}), "string");
    EXPECT_EQ(segments(joined.out), 1u);
    Read listed(arrayOf({integer(1), str("x")}), "string");
    EXPECT_GT(segments(listed.out), 1u);
}

TEST(Properties, ArrayElementWhoseConversionThrowsShowsUnknown)
{
    ScriptValue odd = integer(5);
    odd.getProperty = [](ScriptValue *, const char *, ScriptValue *) -> int32_t {
        ThrowStringException("no text");
        return 0;
    };
    Read r(arrayOf({odd, integer(6)}), "string");
    EXPECT_EQ(textOf(r.out), "[(unknown) ; 6]");
}

TEST(Properties, LargestFloatFormatsCompletely)
{
    Read r(real(std::numeric_limits<double>::max()), "string");
    EXPECT_EQ(textOf(r.out).size(), 309u + 9u);
}

TEST(Properties, LengthCountsAndNamesIgnoreCase)
{
    EXPECT_EQ(Read(segmented({"abc", "defg"}), "length").out.u.integer, 7);
    EXPECT_EQ(Read(bytes("01 02"), "LENGTH").out.u.integer, 2);
    EXPECT_EQ(Read(arrayOf({integer(1), integer(2), integer(3)}), "Length").out.u.integer, 3);
    EXPECT_EQ(Read(integer(1), "length").code, 1);
    EXPECT_EQ(Read(str("1"), "nosuch").code, 1);
}

TEST(Properties, UntypedAndModuleValuesHaveNone)
{
    for (const char *property : {"length", "integer", "float", "hex", "string"}) {
        EXPECT_EQ(Read(value::empty(), property).code, 1) << property;
        ScriptValue module = value::empty();
        module.type = PELORN_FIRST_MODULE_TYPE;
        EXPECT_EQ(Read(module, property).code, 1) << property;
    }
}

TEST(Properties, SetFieldNeverWrites)
{
    struct Case {
        ScriptValue value;
        const char *property;
        int32_t expected;
    };
    const Case cases[] = {
        {str("a"), "length", 2},   {bytes("01"), "LENGTH", 2}, {integer(1), "length", 1},
        {integer(1), "hex", 2},    {real(1.0), "hex", 1},      {value::empty(), "string", 2},
        {integer(1), "integer", 1}, {real(1.0), "float", 1},   {str("a"), "other", 1},
    };
    for (const Case &c : cases) {
        ScriptValue v = c.value;
        ScriptValue replacement = integer(3);
        EXPECT_EQ(SetField(&v, c.property, &replacement), c.expected) << c.property;
        value::release(v);
    }
}
