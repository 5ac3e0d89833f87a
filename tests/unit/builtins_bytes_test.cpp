// Byte-array built-ins: making, reading as text, filling and copying ranges.
#include "builtin_fixture.h"
#include "value/arrays.h"

using namespace pelorn;
using namespace pelorn::testing;
namespace bi = pelorn::builtins;

namespace {

const char *const kCreateByteArrayMessage =
    "Bad argument in function \"CreateByteArray\". prototype: CreateByteArray(INTEGER), "
    "CreateByteArray(INTEGER,INTEGER), CreateByteArray(STRING in hex format)\n";
const char *const kSetMessage =
    "Bad argument in function \"SetByteArray\". Prototype: SetByteArray (byterray, offset, intValue, count) with "
    "byteArray as ByteArray and the other arguments as Integer\n";
const char *const kCopyMessage =
    "Bad argument in function \"CopyByteArray\". Prototype: CopyByteArray (distArr, distOffset, srcArr, srcOffset, "
    "count) with distArr and srcArr as ByteArray and the other arguments as Integer\n";
const char *const kSetNoSpace =
    "SetByteArray: the number of bytes to write is larger than the available space from the given offset";
const char *const kCopyNoDestination = "CopyByteArray: the number of bytes to write is larger than the available "
                                       "space in the distArr ByteArray from the given offset";
const char *const kCopyNoSource = "CopyByteArray: the number of bytes to write is larger than the available space "
                                  "in the srcArr ByteArray from the given offset";

} // namespace

class ByteArrayBuiltins : public BuiltinTest {};

TEST_F(ByteArrayBuiltins, CreateByteArrayFromSizeFillOrHexText)
{
    auto make = [this](std::initializer_list<ScriptValue> values) {
        Args args(values);
        EXPECT_EQ(call(bi::CreateByteArray, args), 0) << thrown;
        EXPECT_EQ(result.type, PELORN_BYTEARRAY);
        return bytesOf(result);
    };
    EXPECT_EQ(make({integer(3)}), hex("00 00 00"));
    EXPECT_EQ(make({integer(3), integer(511)}), hex("FF FF FF"));
    EXPECT_EQ(make({integer(2), integer(-1)}), hex("FF FF"));
    EXPECT_EQ(make({integer(0)}), hex(""));
    EXPECT_EQ(make({str("01 02 0A")}), hex("01 02 0A"));
    EXPECT_EQ(make({str("a1B2")}), hex("A1 B2"));
    EXPECT_EQ(make({str("123")}), hex("01 23"));
    EXPECT_EQ(make({str(" 0a\t0B\n")}), hex("0A 0B"));
    // Blank text has no digit: an empty byte array, not a refusal.
    EXPECT_EQ(make({str(" ")}), hex(""));
    EXPECT_EQ(make({str(" \t\n ")}), hex(""));
}

TEST_F(ByteArrayBuiltins, CreateByteArrayRefusals)
{
    for (const char *text : {"0x12", "", "12 G4", "0A\r"}) {
        Args args{str(text)};
        EXPECT_EQ(call(bi::CreateByteArray, args), -1);
        EXPECT_EQ(thrown, "String argument contains invalid hex character(s).") << text;
    }
    struct Size {
        int64_t n;
        const char *thrown;
    };
    const Size sizes[] = {
        {-1, "CreateByteArray: size is negative"},
        {INT64_MIN, "CreateByteArray: size is negative"},
        {int64_t{1} << 31, "CreateByteArray: size is too large (maximum value is 2147483647 bytes)"},
        {int64_t{1} << 32, "CreateByteArray: size is too large (maximum value is 2147483647 bytes)"},
    };
    for (const Size &s : sizes) {
        Args args{integer(s.n), integer(1)};
        EXPECT_EQ(call(bi::CreateByteArray, args), -1);
        EXPECT_EQ(thrown, s.thrown);
    }
    Args fraction{real(1.5)};
    Args three{integer(1), integer(2), integer(3)};
    Args none{};
    Args textAndSize{str("01"), integer(2)};
    for (Args *args : {&fraction, &three, &none, &textAndSize}) {
        messages().clear();
        EXPECT_EQ(call(bi::CreateByteArray, *args), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), kCreateByteArrayMessage);
    }
}

TEST_F(ByteArrayBuiltins, CreateArrayGivesUntypedElements)
{
    Args two{integer(2)};
    ASSERT_EQ(call(bi::CreateArray, two), 0);
    ASSERT_EQ(result.type, PELORN_ARRAY);
    EXPECT_EQ(value::arrays::length(result), 2u);
    value::arrays::everyElement(result, [](const ScriptValue &e) {
        EXPECT_EQ(e.type, PELORN_UNDEFINED);
        return true;
    });
    Args huge{integer(INT64_MAX)};
    EXPECT_EQ(call(bi::CreateArray, huge), -1);
    EXPECT_EQ(thrown, "CreateArray: size is too large (maximum value is 16777216 elements)");
    Args zero{integer(0)};
    Args negative{integer(-1)};
    Args none{};
    Args text{str("2")};
    Args fraction{real(2.0)};
    for (Args *args : {&zero, &negative, &none, &text, &fraction}) {
        messages().clear();
        EXPECT_EQ(call(bi::CreateArray, *args), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), "Bad argument in function \"CreateArray\". Expecting one positive integer argument .\n");
    }
}

TEST_F(ByteArrayBuiltins, StringFromByteArrayKeepsEveryByteAndHasNoMessage)
{
    Args ab{bytes("41 00 42")};
    ASSERT_EQ(call(bi::StringFromByteArray, ab), 0);
    ASSERT_EQ(result.type, PELORN_STRING);
    EXPECT_EQ(result.u.string.length, 3u);
    EXPECT_EQ(std::memcmp(result.u.string.first.text, "A\0B", 4), 0);
    Args empty{bytes("")};
    ASSERT_EQ(call(bi::StringFromByteArray, empty), 0);
    EXPECT_EQ(result.u.string.length, 0u);
    Args text{str("AB")};
    Args two{bytes("41"), bytes("42")};
    for (Args *args : {&text, &two})
        EXPECT_EQ(call(bi::StringFromByteArray, *args), PELORN_BAD_ARGUMENTS);
    EXPECT_TRUE(messages().empty());
}

TEST_F(ByteArrayBuiltins, SetByteArrayFillsARangeOfTheFirstSlot)
{
    Args args{bytes("00 00 00 00"), integer(2), integer(0x107), integer(2)};
    ASSERT_EQ(call(bi::SetByteArray, args), 0);
    EXPECT_EQ(bytesOf(args[0]), hex("00 00 07 07"));
    Args atEnd{bytes("01 02 03 04"), integer(4), integer(9), integer(0)};
    ASSERT_EQ(call(bi::SetByteArray, atEnd), 0);
    EXPECT_EQ(bytesOf(atEnd[0]), hex("01 02 03 04"));
}

TEST_F(ByteArrayBuiltins, SetByteArrayChecksOffsetThenCountThenSpaceWithoutWrapping)
{
    struct Case {
        int64_t offset, count;
        const char *thrown;
    };
    const Case cases[] = {
        {2, 3, kSetNoSpace},
        {-1, 1, "SetByteArray: offset is negative"},
        {0, -1, "SetByteArray: count is negative"},
        {-1, -1, "SetByteArray: offset is negative"},
        {5, 0, kSetNoSpace},
        {INT64_MAX, 1, kSetNoSpace},
        {2, INT64_MAX, kSetNoSpace},
    };
    for (const Case &c : cases) {
        Args args{bytes("01 02 03 04"), integer(c.offset), integer(0), integer(c.count)};
        EXPECT_EQ(call(bi::SetByteArray, args), -1);
        EXPECT_EQ(thrown, c.thrown) << c.offset << " " << c.count;
        EXPECT_EQ(bytesOf(args[0]), hex("01 02 03 04"));
    }
    Args three{bytes("01"), integer(0), integer(1)};
    Args text{str("abcd"), integer(0), integer(1), integer(1)};
    Args fraction{bytes("01"), real(0.0), integer(1), integer(1)};
    for (Args *args : {&three, &text, &fraction}) {
        messages().clear();
        EXPECT_EQ(call(bi::SetByteArray, *args), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), kSetMessage);
    }
}

TEST_F(ByteArrayBuiltins, CopyByteArrayCopiesIntoTheFirstSlot)
{
    Args args{bytes("00 00 00 00"), integer(0), bytes("01 02 03 04"), integer(1), integer(3)};
    ASSERT_EQ(call(bi::CopyByteArray, args), 0);
    EXPECT_EQ(bytesOf(args[0]), hex("02 03 04 00"));
    EXPECT_EQ(bytesOf(args[2]), hex("01 02 03 04"));
    Args nothing{bytes("00"), integer(1), bytes("01"), integer(1), integer(0)};
    ASSERT_EQ(call(bi::CopyByteArray, nothing), 0);
}

TEST_F(ByteArrayBuiltins, CopyByteArrayChecksInOrderWithoutWrapping)
{
    struct Case {
        int64_t destinationOffset, sourceOffset, count;
        const char *thrown;
    };
    const Case cases[] = {
        {-1, 0, 1, "CopyByteArray: distOffset is negative"},
        {0, -1, 1, "CopyByteArray: srcOffset is negative"},
        {0, 0, -1, "SetByteArray: count is negative"},
        {0, -1, -1, "CopyByteArray: srcOffset is negative"},
        {2, 0, 3, kCopyNoDestination},
        {0, 2, 3, kCopyNoSource},
        {2, 2, 3, kCopyNoDestination},
        {INT64_MAX, 0, 1, kCopyNoDestination},
        {1, 0, INT64_MAX, kCopyNoDestination},
        {0, INT64_MAX, 1, kCopyNoSource},
    };
    for (const Case &c : cases) {
        Args args{bytes("00 00 00 00"), integer(c.destinationOffset), bytes("01 02 03 04"), integer(c.sourceOffset),
                  integer(c.count)};
        EXPECT_EQ(call(bi::CopyByteArray, args), -1);
        EXPECT_EQ(thrown, c.thrown);
        EXPECT_EQ(bytesOf(args[0]), hex("00 00 00 00"));
    }
    Args four{bytes("00"), integer(0), bytes("01"), integer(0)};
    Args text{bytes("00"), integer(0), str("abcd"), integer(0), integer(1)};
    Args fraction{bytes("00"), integer(0), bytes("01"), integer(0), real(1.0)};
    for (Args *args : {&four, &text, &fraction}) {
        messages().clear();
        EXPECT_EQ(call(bi::CopyByteArray, *args), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), kCopyMessage);
    }
}
