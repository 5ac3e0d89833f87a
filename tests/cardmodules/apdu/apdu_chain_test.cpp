// The 61xx/6Cxx handling of the apdu module against a scripted card, the Le
// rewriting for every command case, and the status-word texts.
#include "apdu_chain.h"
#include "status_words.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(const std::string &text)
{
    Bytes out;
    std::string digits;
    for (char c : text)
        if (c != ' ')
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

// Answers the commands it is sent with its list of responses, in order, and
// records what it was sent.
struct ScriptedCard {
    std::vector<Bytes> answers;
    std::vector<Bytes> sent;
    size_t next = 0;
    bool endless = false; // repeats the last answer for ever

    static size_t transmit(void *context, const uint8_t *command, size_t length, const uint8_t **response)
    {
        auto *card = static_cast<ScriptedCard *>(context);
        card->sent.emplace_back(command, command + length);
        size_t at = card->next < card->answers.size() ? card->next++ : card->answers.size() - 1;
        *response = card->answers[at].data();
        return card->answers[at].size();
    }
};

struct ChainCase {
    const char *name;
    const char *command;
    std::vector<const char *> answers;
    std::vector<const char *> sent; // every command after the first
    const char *data;
    uint16_t sw;
};

const ChainCase kChainCases[] = {
    {"plain answer", "00 B0 00 00 04", {"01 02 03 04 90 00"}, {}, "01020304", 0x9000},
    {"error passes through", "00 A4 04 00 02 3F 00", {"6A 82"}, {}, "", 0x6A82},
    {"61xx fetched with the command's class",
     "80 CA 9F 7F",
     {"61 04", "01 02 03 04 90 00"},
     {"80 C0 00 00 04"},
     "01020304",
     0x9000},
    {"61xx repeated until done",
     "00 A4 04 00 07 A0 00 00 00 03 10 10",
     {"61 10", "000102030405060708090A0B0C0D0E0F 61 03", "AA BB CC 90 00"},
     {"00 C0 00 00 10", "00 C0 00 00 03"},
     "000102030405060708090a0b0c0d0e0faabbcc",
     0x9000},
    {"6100 asks for 256 with Le 00", "00 B0 00 00 00", {"61 00", "11 90 00"}, {"00 C0 00 00 00"}, "11", 0x9000},
    {"data with 61xx kept (T=1)", "00 B0 00 00 02", {"01 02 61 01", "03 90 00"}, {"00 C0 00 00 01"}, "010203",
     0x9000},
    {"6Cxx repeats the command with Le", "00 B0 00 00 10", {"6C 04", "0A 0B 0C 0D 90 00"}, {"00 B0 00 00 04"},
     "0a0b0c0d", 0x9000},
    {"6Cxx adds Le to a case 1 command", "80 CA 9F 36", {"6C 05", "9F 36 02 00 2A 90 00"}, {"80 CA 9F 36 05"},
     "9f3602002a", 0x9000},
    {"second 6Cxx in a row is final", "00 B0 00 00 10", {"6C 04", "6C 02"}, {"00 B0 00 00 04"}, "", 0x6C02},
    {"6Cxx then 61xx", "00 B0 00 00 10", {"6C 04", "61 02", "01 02 90 00"}, {"00 B0 00 00 04", "00 C0 00 00 02"},
     "0102", 0x9000},
    {"6Cxx to GET RESPONSE", "00 A4 00 00 02 3F 00", {"61 08", "6C 05", "01 02 03 04 05 90 00"},
     {"00 C0 00 00 08", "00 C0 00 00 05"}, "0102030405", 0x9000},
    {"warning after data", "00 B0 00 00 00", {"61 02", "01 02 62 82"}, {"00 C0 00 00 02"}, "0102", 0x6282},
};

std::string text(const uint8_t *data, size_t length)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < length; i++) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

TEST(ApduChain, AnswersFollowedAsTheCardAsks)
{
    for (const ChainCase &c : kChainCases) {
        ScriptedCard card;
        for (const char *a : c.answers)
            card.answers.push_back(hex(a));
        Bytes command = hex(c.command);
        uint8_t *data = nullptr;
        size_t length = 0;
        uint16_t sw = 0;
        ASSERT_EQ(APDU_CHAIN_OK, apdu_exchange_chained(ScriptedCard::transmit, &card, command.data(), command.size(),
                                                       &data, &length, &sw))
            << c.name;
        EXPECT_EQ(c.data, text(data, length)) << c.name;
        EXPECT_EQ(c.sw, sw) << c.name;
        ASSERT_EQ(c.sent.size() + 1, card.sent.size()) << c.name;
        EXPECT_EQ(command, card.sent[0]) << c.name;
        for (size_t i = 0; i < c.sent.size(); i++)
            EXPECT_EQ(hex(c.sent[i]), card.sent[i + 1]) << c.name << " exchange " << i + 1;
        std::free(data);
    }
}

TEST(ApduChain, EndlessMoreDataIsStopped)
{
    ScriptedCard card;
    card.answers = {hex("61 00"), hex("01 61 01")};
    Bytes command = hex("00 B0 00 00 00");
    uint8_t *data = nullptr;
    size_t length = 0;
    uint16_t sw = 0;
    EXPECT_EQ(APDU_CHAIN_ENDLESS, apdu_exchange_chained(ScriptedCard::transmit, &card, command.data(),
                                                        command.size(), &data, &length, &sw));
    EXPECT_EQ(static_cast<size_t>(APDU_CHAIN_MAX_EXCHANGES), card.sent.size());
    EXPECT_EQ(nullptr, data);
}

TEST(ApduChain, LeSetForEveryCommandCase)
{
    struct {
        const char *command;
        unsigned le;
        const char *result;
    } cases[] = {
        {"00 B0 00 00", 8, "00 B0 00 00 08"},                              // case 1
        {"00 B0 00 00 20", 8, "00 B0 00 00 08"},                           // case 2
        {"00 B0 00 00 00", 256, "00 B0 00 00 00"},                         // 256 as 00
        {"00 A4 04 00 02 3F 00", 16, "00 A4 04 00 02 3F 00 10"},           // case 3
        {"00 A4 04 00 02 3F 00 00", 16, "00 A4 04 00 02 3F 00 10"},        // case 4
        {"00 A4 04 00 05 01 02 03 04 05", 2, "00 A4 04 00 05 01 02 03 04 05 02"}, // case 3 with 05 in the data
        {"00 B0 00 00 00 01 00", 8, "00 B0 00 00 00 00 08"},               // extended case 2
        {"00 B0 00 00 00 01 00", 256, "00 B0 00 00 00 01 00"},
        {"00 D6 00 00 00 00 02 AA BB", 8, "00 D6 00 00 00 00 02 AA BB 00 08"},        // extended case 3
        {"00 D6 00 00 00 00 02 AA BB 00 00", 8, "00 D6 00 00 00 00 02 AA BB 00 08"},  // extended case 4
    };
    for (const auto &c : cases) {
        Bytes command = hex(c.command);
        Bytes out(command.size() + 2);
        size_t length = apdu_with_le(command.data(), command.size(), c.le, out.data());
        out.resize(length);
        EXPECT_EQ(hex(c.result), out) << c.command;
    }
}

TEST(StatusWords, TextsOfWordsAndFamilies)
{
    struct {
        uint16_t sw;
        const char *text;
    } cases[] = {
        {0x9000, "Success"},
        {0x6A82, "File or application not found"},
        {0x6982, "Security status not satisfied"},
        {0x6110, "16 response bytes still available (GET RESPONSE)"},
        {0x6100, "256 response bytes still available (GET RESPONSE)"},
        {0x6C08, "Wrong Le: 8 bytes available"},
        {0x63C2, "Verification failed, tries left: 2"},
        {0x63C0, "Verification failed, tries left: 0"},
        {0x6283, "Warning: selected file deactivated (GlobalPlatform: card locked)"},
        {0x6299, "Warning, memory unchanged"},
        {0x6A99, "Wrong parameters P1-P2"},
        {0x9485, "Invalid key check value (GlobalPlatform)"},
        {0x9F10, "Application-specific status"},
        {0x1234, "Unknown status word"},
        {0x0000, "Unknown status word"},
    };
    for (const auto &c : cases) {
        char out[STATUS_TEXT_SIZE];
        status_word_text(c.sw, out, sizeof out);
        EXPECT_STREQ(c.text, out) << std::hex << c.sw;
    }
}

} // namespace
