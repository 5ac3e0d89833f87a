// Command APDU cases, their protocol adaptations, and status-word masks.
#include "card/apdu_format.h"
#include "interp/apdu_mask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pelorn;

namespace {

std::vector<uint8_t> bytes(const std::string &hex)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < hex.size(); i += 3)
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string hex(const uint8_t *data, uint32_t n)
{
    std::string out;
    char digits[4];
    for (uint32_t i = 0; i < n; ++i) {
        std::snprintf(digits, sizeof digits, i == 0 ? "%02X" : " %02X", data[i]);
        out += digits;
    }
    return out;
}

} // namespace

TEST(ApduFormat, ClassifiesShortAndExtendedCommands)
{
    using card::ApduCase;
    struct Case {
        const char *command;
        ApduCase kind;
        bool extended;
    } cases[] = {
        {"00 A4 04", ApduCase::Malformed, false},
        {"00 A4 04 00", ApduCase::NoData, false},
        {"00 A4 04 00 00", ApduCase::ExpectsData, false},
        {"00 A4 04 00 00 01", ApduCase::Malformed, false},
        {"00 A4 04 00 02 3F 00", ApduCase::SendsData, false},
        {"00 A4 04 00 02 3F 00 10", ApduCase::SendsAndExpects, false},
        {"00 A4 04 00 02 3F 00 10 20", ApduCase::Malformed, false},
        {"00 A4 04 00 03 3F 00", ApduCase::Malformed, false},
        {"00 B0 00 00 00 01 00", ApduCase::ExpectsData, true},
        {"00 2A 00 00 00 00 02 AA BB", ApduCase::SendsData, true},
        {"00 2A 00 00 00 00 02 AA BB 01 00", ApduCase::SendsAndExpects, true},
        {"00 2A 00 00 00 00 00 01 00", ApduCase::Malformed, false}, // an Lc of zero carries nothing
        {"00 2A 00 00 00 00 03 AA BB", ApduCase::Malformed, false},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> command = bytes(c.command);
        card::ApduShape shape = card::classify(command.data(), static_cast<uint32_t>(command.size()));
        EXPECT_EQ(shape.kind, c.kind) << c.command;
        if (shape.kind != ApduCase::Malformed) {
            EXPECT_EQ(shape.extended, c.extended) << c.command;
        }
    }
}

TEST(ApduFormat, FitsCommandsToTheProtocol)
{
    struct Case {
        const char *command;
        const char *onT0;
        const char *onT1;
    } cases[] = {
        {"00 A4 04 00", "00 A4 04 00", "00 A4 04 00"},
        {"00 B0 00 00 10", "00 B0 00 00 10", "00 B0 00 00 10"},
        {"00 A4 04 00 02 3F 00", "00 A4 04 00 02 3F 00", "00 A4 04 00 02 3F 00 00"},
        {"00 A4 04 00 02 3F 00 10", "00 A4 04 00 02 3F 00", "00 A4 04 00 02 3F 00 00"},
        {"00 B0 00 00 00 01 00", "00 B0 00 00 00 01 00", "00 B0 00 00 00 01 00"},
        {"00 2A 00 00 00 00 02 AA BB", "00 2A 00 00 00 00 02 AA BB", "00 2A 00 00 00 00 02 AA BB 00 00"},
        {"00 2A 00 00 00 00 02 AA BB 01 00", "00 2A 00 00 00 00 02 AA BB", "00 2A 00 00 00 00 02 AA BB 00 00"},
    };
    for (const Case &c : cases) {
        for (uint32_t protocol : {1u, 2u}) {
            std::vector<uint8_t> command = bytes(c.command);
            auto n = static_cast<uint32_t>(command.size());
            card::ApduShape shape = card::classify(command.data(), n);
            command.resize(n + 2, 0xEE); // the two spare bytes
            n = card::adaptToProtocol(command.data(), n, shape, protocol);
            EXPECT_EQ(hex(command.data(), n), protocol == 1 ? c.onT0 : c.onT1) << c.command << " T=" << protocol - 1;
        }
    }
}

TEST(ApduMask, MatchesDigitByDigit)
{
    struct Case {
        uint16_t sw;
        const char *mask;
        bool matches;
    } cases[] = {
        {0x9000, "9000", true},     {0x6A82, "9000", false},    {0x611C, "61XX", true},
        {0x611C, "61xx9000", true}, {0x9000, "61xx9000", true}, {0x9000, "9XX0", true},
        {0x6A82, "6a82", true},     {0x6A82, "6A8X", true},     {0x6A82, "6A8", false}, // a cut alternative counts for nothing
        {0x0000, "", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(interp::statusMatches(c.sw, c.mask), c.matches) << std::hex << c.sw << " " << c.mask;
}

TEST(ApduMask, MismatchTextListsTheAlternatives)
{
    EXPECT_EQ(interp::mismatchText(0x6A82, "9000"), "Error: unexpected status word returned (0x6a82 instead of {9000}");
    EXPECT_EQ(interp::mismatchText(0x6D00, "900061XX"),
              "Error: unexpected status word returned (0x6d00 instead of {9000,61XX}");
    std::string many(40 * 4, '9');
    std::string text = interp::mismatchText(0x6D00, many);
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.back(), '9');
}
