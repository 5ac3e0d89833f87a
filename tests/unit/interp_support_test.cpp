// The interpreter's helpers: the operators' string order, the
// current-directory tracker.
#include "interp/directory.h"
#include "interp/operators.h"
#include "interp/string_values.h"
#include "value/chain.h"
#include "value/value.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <unistd.h>

using namespace pelorn;

namespace {

// A string made of the given segments.
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

TEST(StringOrder, BytesAreSignedAndPrefixesDependOnTheNextByte)
{
    struct Case {
        std::initializer_list<const char *> left, right;
        int expected;
    } cases[] = {
        {{"abc"}, {"abd"}, -1},
        {{"abd"}, {"abc"}, 1},
        {{"ab", "c"}, {"a", "bc"}, 0},
        {{""}, {""}, 0},
        {{""}, {"\x80"}, -1},
        {{"a"}, {""}, 1},
        {{"\x80"}, {"a"}, -1}, // 0x80 is negative
        {{"\xff"}, {"\x01"}, -1},
        {{"ab"}, {"abc"}, -1},       // the longer one's next byte is positive
        {{"ab"}, {"ab\xff"}, 1},     // ... or negative
        {{"ab\xff"}, {"ab"}, 1},
        {{"", "ab"}, {"ab", ""}, 0}, // empty segments are no characters
    };
    for (const Case &c : cases) {
        ScriptValue l = segmented(c.left), r = segmented(c.right);
        EXPECT_EQ(interp::compareStrings(l, r), c.expected) << *c.left.begin() << " vs " << *c.right.begin();
        value::release(l);
        value::release(r);
    }
}

TEST(StringPositions, CharactersAcrossSegmentsInAnyOrder)
{
    ScriptValue s = segmented({"ab", "", "cde", "f"});
    const std::string text = "abcdef";
    for (uint64_t i : {5, 0, 3, 2, 4, 1, 4, 5, 2})
        EXPECT_EQ(*interp::characterAt(s, i), text[i]) << i;
    EXPECT_EQ(interp::characterAt(s, 6), nullptr);
    ScriptValue more = segmented({"gh", "i"});
    interp::concatenate(s, more);
    EXPECT_EQ(*interp::characterAt(s, 8), 'i');
    EXPECT_EQ(*interp::characterAt(s, 6), 'g');
    // A character set to 0 ends its segment's text there ("cde" reads as
    // ""): the characters after it move.
    *interp::characterAt(s, 2) = '\0';
    interp::forgetPositions();
    EXPECT_EQ(*interp::characterAt(s, 2), 'f');
    EXPECT_EQ(*interp::characterAt(s, 5), 'i');
    EXPECT_EQ(interp::characterAt(s, 6), nullptr);
    value::release(s);
}

// Appending in place must give every chain exactly the text and length
// that linking a copy of the piece gives, while chains outnumber the
// remembered ones, characters are read in between, and a copy is taken
// mid-way.
TEST(StringAppends, InPlaceMatchesLinkingACopy)
{
    constexpr int kChains = 6; // more than the positions remembered at once
    ScriptValue grown[kChains], linked[kChains];
    for (int k = 0; k < kChains; ++k) {
        grown[k] = value::makeString(k % 2 == 0 ? "" : "start");
        linked[k] = value::makeString(k % 2 == 0 ? "" : "start");
    }
    const std::string longPiece(300, 'L');
    ScriptValue pieces[] = {segmented({"ab"}), segmented({"x", "", "yz"}), segmented({""}),
                            segmented({longPiece.c_str()}), segmented({"q"})};
    auto text = [](const ScriptValue &v) {
        char *joined = value::chain::join(v.u.string);
        std::string t = joined;
        zfree(joined);
        return t;
    };
    ScriptValue snapshot = value::empty();
    std::string snapshotText;
    uint32_t seed = 7;
    for (int step = 0; step < 400; ++step) {
        seed = seed * 1103515245 + 12345;
        int k = static_cast<int>(seed >> 8) % kChains;
        const ScriptValue &piece = pieces[(seed >> 16) % 5];
        ASSERT_TRUE(interp::appendInPlace(grown[k], piece));
        ScriptValue copy = value::empty();
        ASSERT_TRUE(value::copy(piece, copy));
        interp::concatenate(linked[k], copy);
        ASSERT_EQ(grown[k].u.string.length, linked[k].u.string.length) << step;
        uint64_t at = (seed >> 4) % (linked[k].u.string.length + 1);
        char *g = interp::characterAt(grown[k], at), *l = interp::characterAt(linked[k], at);
        ASSERT_EQ(g == nullptr, l == nullptr) << step;
        if (g != nullptr) {
            ASSERT_EQ(*g, *l) << step;
        }
        if (step == 200) {
            ASSERT_TRUE(value::copy(grown[k], snapshot));
            snapshotText = text(snapshot);
        }
    }
    for (int k = 0; k < kChains; ++k) {
        EXPECT_EQ(text(grown[k]), text(linked[k])) << k;
        value::release(grown[k]);
        value::release(linked[k]);
    }
    EXPECT_EQ(text(snapshot), snapshotText); // appends after the copy left it alone
    value::release(snapshot);
    for (ScriptValue &p : pieces)
        value::release(p);
}

TEST(DirectoryTracker, ChangesDirectoryOnlyWhenNativeCodeNeedsIt)
{
    char buffer[4096];
    std::string start = getcwd(buffer, sizeof buffer);
    auto here = [&buffer] { return std::string(getcwd(buffer, sizeof buffer)); };
    interp::DirectoryTracker tracker;
    tracker.reset();
    const std::string *saved = tracker.wanted();
    EXPECT_EQ(*saved, start);
    std::string tmp = "/tmp";
    tracker.want(&tmp);
    EXPECT_EQ(here(), start) << "wanting alone changes nothing";
    tracker.sync();
    EXPECT_EQ(here(), "/tmp");
    std::string missing = "/no/such/directory";
    tracker.want(&missing);
    tracker.sync(); // refused: the process stays where it was
    EXPECT_EQ(here(), "/tmp");
    tracker.want(saved);
    tracker.finish();
    EXPECT_EQ(here(), start);
}

} // namespace
