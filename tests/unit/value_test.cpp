// Values: copy and release, string chains, the hexadecimal helpers.
#include "value/arrays.h"
#include "value/chain.h"
#include "value/value.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include <string>

using namespace pelorn;

namespace {

// A string value made of the given segments, as concatenation builds them.
ScriptValue segmented(std::initializer_list<const char *> parts)
{
    ScriptValue s = value::makeString("");
    bool first = true;
    for (const char *p : parts) {
        ScriptValue piece = value::makeString(p);
        if (first) {
            value::move(piece, s);
            first = false;
        } else {
            value::chain::append(s, piece);
        }
    }
    return s;
}

std::string text(const ScriptValue &s)
{
    char *joined = value::chain::join(s.u.string);
    std::string out(joined);
    zfree(joined);
    return out;
}

size_t segments(const ScriptValue &s)
{
    size_t n = 0;
    for (const StringChunk *c = &s.u.string.first; c != nullptr; c = c->next)
        ++n;
    return n;
}

} // namespace

TEST(Value, ReleaseIsIdempotentAndAcceptsNull)
{
    FreeValue(nullptr);
    ScriptValue v = value::makeString("abc");
    FreeValue(&v);
    EXPECT_EQ(v.type, PELORN_UNDEFINED);
    FreeValue(&v);
    EXPECT_EQ(v.type, PELORN_UNDEFINED);
}

TEST(Value, CopyIsDeepAndIndependent)
{
    ScriptValue s = segmented({"ab", "cde", "f"});
    ScriptValue copy = value::makeInteger(5);
    ASSERT_TRUE(value::copy(s, copy));
    EXPECT_EQ(segments(copy), 3u);
    EXPECT_EQ(copy.u.string.length, 6u);
    EXPECT_NE(copy.u.string.first.text, s.u.string.first.text);
    value::release(s);
    EXPECT_EQ(text(copy), "abcdef");
    EXPECT_EQ(copy.getProperty, &GetField);
    value::release(copy);
}

TEST(Value, CopyOfEmptyBytesOwnsAFreshBlock)
{
    ScriptValue b = value::adoptBytes(nullptr, 0);
    ScriptValue copy = value::empty();
    ASSERT_TRUE(value::copy(b, copy));
    EXPECT_EQ(copy.type, PELORN_BYTEARRAY);
    EXPECT_EQ(copy.u.bytes.length, 0);
    EXPECT_NE(copy.u.bytes.data, nullptr);
    value::release(copy);
    value::release(b);
}

TEST(Value, CopyOfArraysIsElementByElement)
{
    ScriptValue a = value::makeEmptyArray();
    ScriptValue copy = value::empty();
    ASSERT_TRUE(value::copy(a, copy));
    EXPECT_EQ(copy.u.array, nullptr);

    auto *e1 = static_cast<ArrayElement *>(zalloc(sizeof(ArrayElement)));
    auto *e2 = static_cast<ArrayElement *>(zalloc(sizeof(ArrayElement)));
    e1->value = value::makeInteger(1);
    e2->value = value::makeString("two");
    e1->next = e2;
    a.u.array = e1;
    ASSERT_TRUE(value::copy(a, copy));
    value::release(a);
    ASSERT_EQ(value::arrays::length(copy), 2u);
    EXPECT_EQ(value::arrays::at(copy, 0)->u.integer, 1);
    EXPECT_EQ(text(*value::arrays::at(copy, 1)), "two");
    value::release(copy);
}

namespace {

// A chain of the public form, as a module builds it: integers, or a nested
// chain in place of each negative number (holding that number's opposite).
ScriptValue chainOf(std::initializer_list<int64_t> items)
{
    ScriptValue a = value::makeEmptyArray();
    ArrayElement **tail = &a.u.array;
    for (int64_t n : items) {
        auto *e = static_cast<ArrayElement *>(zalloc(sizeof(ArrayElement)));
        e->value = n >= 0 ? value::makeInteger(n) : chainOf({-n});
        *tail = e;
        tail = &e->next;
    }
    return a;
}

// The array as a module would read it, walking chains only: "1 (2) 3".
std::string publicText(const ScriptValue &a)
{
    std::string out;
    for (const ArrayElement *e = a.u.array; e != nullptr; e = e->next) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(e) & 1, 0u) << "a vector inside a chain";
        if (!out.empty())
            out += " ";
        out += e->value.type == PELORN_ARRAY ? "(" + publicText(e->value) + ")" : std::to_string(e->value.u.integer);
    }
    return out;
}

} // namespace

TEST(Arrays, EveryOperationReadsBothFormsAndPublishingRestoresChainsAtEveryDepth)
{
    namespace arrays = value::arrays;
    ScriptValue chain = chainOf({1, -2, 3});
    ScriptValue vector = chainOf({1, -2, 3});
    ASSERT_TRUE(arrays::own(vector));
    ASSERT_TRUE(arrays::isVector(vector));
    for (ScriptValue *a : {&chain, &vector}) {
        EXPECT_EQ(arrays::length(*a), 3u);
        EXPECT_EQ(arrays::at(*a, 2)->u.integer, 3);
        EXPECT_EQ(arrays::at(*a, 3), nullptr);
        EXPECT_EQ(arrays::at(*a, UINT64_MAX), nullptr);
    }
    // Grown past its first capacity, with a vector nested inside.
    for (int64_t n = 4; n <= 40; ++n) {
        ScriptValue item = value::makeInteger(n);
        ASSERT_TRUE(arrays::push(vector, item));
    }
    ASSERT_TRUE(arrays::own(*arrays::at(vector, 1)));
    ScriptValue inner = chainOf({7});
    ASSERT_TRUE(arrays::own(inner));
    ASSERT_TRUE(arrays::push(*arrays::at(vector, 1), inner));
    ScriptValue copy = value::empty();
    ASSERT_TRUE(value::copy(vector, copy));
    ASSERT_TRUE(arrays::takeAll(copy, chain)); // a chain's elements change hands
    EXPECT_EQ(chain.u.array, nullptr);
    EXPECT_EQ(arrays::length(copy), 43u);

    ASSERT_TRUE(arrays::publish(vector));
    std::string expected = "1 (2 (7)) 3";
    for (int n = 4; n <= 40; ++n)
        expected += " " + std::to_string(n);
    EXPECT_EQ(publicText(vector), expected);
    ASSERT_TRUE(arrays::publish(copy));
    EXPECT_EQ(publicText(copy), expected + " 1 (2) 3");
    value::release(vector);
    value::release(copy);
    value::release(chain);
}

TEST(Arrays, OnesWithHooksOfAModuleStayChains)
{
    namespace arrays = value::arrays;
    ScriptValue hooked = chainOf({1, -2});
    hooked.getProperty = [](ScriptValue *, const char *, ScriptValue *) -> int32_t { return 1; };
    EXPECT_FALSE(arrays::isPlain(hooked));
    ASSERT_TRUE(arrays::own(hooked));
    EXPECT_FALSE(arrays::isVector(hooked));
    ScriptValue nested = chainOf({3});
    ASSERT_TRUE(arrays::own(nested));
    ASSERT_TRUE(arrays::push(hooked, nested)); // goes in as a chain
    ScriptValue copy = value::empty();
    ASSERT_TRUE(value::copy(hooked, copy));
    EXPECT_EQ(publicText(hooked), "1 (2) (3)");
    EXPECT_EQ(publicText(copy), "1 (2) (3)");
    value::release(hooked);
    value::release(copy);
}

TEST(Value, CopyOfUnknownTypeFails)
{
    ScriptValue odd = value::empty();
    odd.type = 1006;
    ScriptValue copy = value::makeInteger(1);
    EXPECT_FALSE(value::copy(odd, copy));
    EXPECT_EQ(copy.type, PELORN_UNDEFINED);
}

TEST(Value, ReleaseHookIsTheOnlyRelease)
{
    static int calls = 0;
    ScriptValue v = value::makeString("x");
    char *kept = v.u.string.first.text;
    v.release = [](ScriptValue *self) {
        ++calls;
        zfree(self->u.string.first.text);
        std::memset(self, 0, sizeof *self);
    };
    FreeValue(&v);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(v.u.string.first.text, nullptr);
    (void)kept;
}

TEST(Chain, JoinCompareExtract)
{
    ScriptValue a = segmented({"", "ab"});
    EXPECT_EQ(text(a), "ab");
    ScriptValue abc = segmented({"a", "bc"});
    ScriptValue abd = value::makeString("abd");
    ScriptValue abc2 = segmented({"ab", "c"});
    EXPECT_EQ(value::chain::compare(abc.u.string, abd.u.string), 1);
    EXPECT_EQ(value::chain::compare(abd.u.string, abc.u.string), -1);
    EXPECT_EQ(value::chain::compare(a.u.string, abc.u.string), 1);
    EXPECT_EQ(value::chain::compare(abc.u.string, abc2.u.string), 0);

    char out[8] = {};
    value::chain::extract(abc.u.string, 1, 5, out);
    EXPECT_STREQ(out, "bc");
    EXPECT_EQ(*value::chain::characterAt(abc2.u.string, 2), 'c');
    EXPECT_EQ(value::chain::characterAt(abc2.u.string, 3), nullptr);
    for (ScriptValue *v : {&a, &abc, &abd, &abc2})
        value::release(*v);
}

TEST(Helpers, Htoa)
{
    const uint8_t bytes[] = {0x00, 0x7F, 0xFF};
    char out[16];
    htoa(out, bytes, 3, 0);
    EXPECT_STREQ(out, "007FFF");
    htoa(out, bytes, 3, 1);
    EXPECT_STREQ(out, "00 7F FF ");
    htoa(out, bytes, 0, 1);
    EXPECT_STREQ(out, "");
}

TEST(Helpers, StringToBytearray)
{
    struct Case {
        const char *text;
        int type;
        std::string bytes;
    };
    const Case cases[] = {
        {"01 02", PELORN_BYTEARRAY, "\x01\x02"},
        {"A1b2", PELORN_BYTEARRAY, "\xA1\xB2"},
        {"123", PELORN_BYTEARRAY, "\x01\x23"},
        {"", PELORN_BYTEARRAY, ""},
        {"12 G4", PELORN_UNDEFINED, ""},
        {"12\r34", PELORN_UNDEFINED, ""},
        {"1\t2\n3 4", PELORN_BYTEARRAY, "\x12\x34"},
    };
    for (const Case &c : cases) {
        ScriptValue v = stringToBytearray(c.text);
        EXPECT_EQ(v.type, c.type) << c.text;
        if (v.type == PELORN_BYTEARRAY) {
            EXPECT_EQ(std::string(reinterpret_cast<char *>(v.u.bytes.data), static_cast<size_t>(v.u.bytes.length)),
                      c.bytes)
                << c.text;
        }
        value::release(v);
    }
}

TEST(Helpers, StringToBytearray2ReadsTheChain)
{
    ScriptValue empty = value::makeString("");
    ScriptValue r = stringToBytearray2(&empty.u.string);
    EXPECT_EQ(r.type, PELORN_UNDEFINED);
    ScriptValue blank = segmented({" ", "\t\n"});
    r = stringToBytearray2(&blank.u.string);
    EXPECT_EQ(r.type, PELORN_BYTEARRAY);
    EXPECT_EQ(r.u.bytes.length, 0);
    value::release(r);
    value::release(blank);
    ScriptValue two = segmented({"0", "1"});
    r = stringToBytearray2(&two.u.string);
    ASSERT_EQ(r.type, PELORN_BYTEARRAY);
    ASSERT_EQ(r.u.bytes.length, 1);
    EXPECT_EQ(r.u.bytes.data[0], 0x01);
    value::release(r);
    value::release(two);
    value::release(empty);
}

TEST(Helpers, Zstrdup2)
{
    int32_t n = -1;
    char *s = zstrdup2("hello", &n);
    EXPECT_STREQ(s, "hello");
    EXPECT_EQ(n, 5);
    zfree(s);
    s = zstrdup2("x", nullptr);
    EXPECT_STREQ(s, "x");
    zfree(s);
    zfree(nullptr);
}
