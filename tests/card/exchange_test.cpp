// The APDU exchange: protocol adaptation, SendAPDU, the status variables,
// and the APDU statement on a real connection.
#include "support.h"

#include "builtins/catalogue.h"
#include "builtins/registry.h"
#include "card/registry.h"
#include "interp/nodes.h"
#include "interp/script.h"
#include "value/value.h"

using namespace cardtest;
using namespace pelorn;

namespace {

class Exchange : public CardTest {
protected:
    // Connects reader 0 holding `profile` and makes it current.
    void connect(const char *profile)
    {
        reader(0).insert(profile);
        Arguments first{value::makeInteger(0)};
        ASSERT_TRUE(call(builtins::SetCurrentReader, first).ok());
        ASSERT_TRUE(call(builtins::PowerON).ok());
        reader(0).receivedCommands();
    }

    // SendAPDU(reader 0, command[, variable]) → status word, or -1 after a throw.
    int64_t send(ScriptValue command, std::string *thrown = nullptr, ScriptValue *response = nullptr)
    {
        Arguments a;
        a.add(readerValue(0));
        a.add(command);
        interp::VariableExpr *variable = nullptr;
        if (response != nullptr) {
            variable = new interp::VariableExpr("resp", &responseEntry_, false);
            a.add(value::empty(), variable);
        }
        Outcome o = call(builtins::SendAPDU, a);
        if (thrown != nullptr)
            *thrown = o.thrown;
        if (response != nullptr) {
            *response = a.value(2);
            value::clear(a.value(2));
        }
        delete variable;
        if (o.code != 0)
            return -1000 - o.code;
        return o.thrown.empty() ? o.result.u.integer : -1;
    }

    SymbolEntry responseEntry_{};
};

int64_t predefinedInteger(SymbolEntry *entry) { return entry->c.value.u.integer; }

} // namespace

TEST_F(Exchange, CommandsReachTheCardFittedToTheProtocol)
{
    // The whole table is in the unit tests; these show the bytes on the wire.
    struct Case {
        const char *command;
        const char *onT0;
        const char *onT1;
    } cases[] = {
        {"00 A4 04 00", "00 A4 04 00", "00 A4 04 00"},
        {"00 A4 04 00 02 3F 00", "00 A4 04 00 02 3F 00", "00 A4 04 00 02 3F 00 00"},
        {"00 A4 04 00 02 3F 00 10", "00 A4 04 00 02 3F 00", "00 A4 04 00 02 3F 00 00"},
        {"00 2A 00 00 00 00 02 AA BB 01 00", "00 2A 00 00 00 00 02 AA BB", "00 2A 00 00 00 00 02 AA BB 00 00"},
    };
    for (bool t1 : {false, true}) {
        connect(t1 ? kEchoT1 : kEchoT0);
        for (const Case &c : cases) {
            ScriptValue command = bytes(c.command);
            EXPECT_EQ(send(command), 0x9000) << c.command;
            std::vector<std::string> sent = reader(0).receivedCommands();
            ASSERT_EQ(sent.size(), 1u) << c.command;
            EXPECT_EQ(sent[0], t1 ? c.onT1 : c.onT0) << c.command;
        }
        card::disconnectAll();
    }
}

TEST_F(Exchange, MalformedCommandsAreNeverSent)
{
    connect(kEchoT0);
    for (const char *command : {"00 A4 04", "00 A4 04 00 00 01", "00 A4 04 00 02 3F 00 10 20", "",
                                "00 A4 04 00 00 00 00 01 00"}) {
        std::string thrown;
        EXPECT_EQ(send(bytes(command), &thrown), -1) << command;
        EXPECT_EQ(thrown, "Malformated APDU command") << command;
    }
    EXPECT_TRUE(reader(0).receivedCommands().empty());
    // Le zero alone is a well-formed case 2.
    EXPECT_EQ(send(bytes("00 A4 04 00 00")), 0x9000);
}

TEST_F(Exchange, SendApduPublishesTheResponse)
{
    connect("atr 3B 02 14 50\n"
            "rule 00 A4 04 00 02 3F 00 -> 61 10\n"
            "rule 00 B0 00 00 04 -> 01 02 03 04 90 00\n"
            "rule 00 B0 00 00 02 -> AA BB 62 82\n"
            "rule 00 CA -> 6A\n"
            "rule * -> echo\n");
    const builtins::Predefined &p = builtins::predefined();
    ScriptValue response = value::empty();
    EXPECT_EQ(send(bytes("00 B0 00 00 04"), nullptr, &response), 0x9000);
    EXPECT_EQ(hexOf(response), "01 02 03 04");
    EXPECT_EQ(hexOf(p.response->c.value), "01 02 03 04");
    value::release(response);
    // A shorter response replaces the longer one completely.
    EXPECT_EQ(send(bytes("00 B0 00 00 02")), 0x6282);
    EXPECT_EQ(predefinedInteger(p.sw), 0x6282);
    EXPECT_EQ(predefinedInteger(p.sw1), 0x62);
    EXPECT_EQ(predefinedInteger(p.sw2), 0x82);
    EXPECT_EQ(hexOf(p.response->c.value), "AA BB");
    // 61xx goes back to the script: no GET RESPONSE on its behalf.
    EXPECT_EQ(send(bytes("00 A4 04 00 02 3F 00 00"), nullptr, &response), 0x6110);
    EXPECT_EQ(response.type, PELORN_BYTEARRAY);
    EXPECT_EQ(response.u.bytes.length, 0);
    EXPECT_EQ(p.response->c.value.u.bytes.length, 0);
    value::release(response);
    EXPECT_EQ(reader(0).receivedCommands().size(), 3u);
    // Text commands: blanks ignored; the bytes are exactly the text's.
    ScriptValue textCommand = value::makeString("00b0 0000\t05");
    EXPECT_EQ(send(textCommand, nullptr, &response), 0x9000);
    EXPECT_EQ(hexOf(response), "00 B0 00 00 05");
    value::release(response);
    // The script's byte array keeps its Le although T=0 drops it (the card
    // sees 00 A4 04 00 02 3F 00 and answers 61 10).
    ScriptValue command = bytes("00 A4 04 00 02 3F 00 10");
    Arguments a;
    a.add(readerValue(0));
    a.add(command);
    ASSERT_TRUE(call(builtins::SendAPDU, a).ok());
    EXPECT_EQ(hexOf(a.value(1)), "00 A4 04 00 02 3F 00 10");

    // A one-byte answer is refused and publishes nothing.
    std::string thrown;
    EXPECT_EQ(send(bytes("00 CA 00 00"), &thrown), -1);
    EXPECT_EQ(thrown, "Too short response (1 bytes) received from the card on reader \"Virtual PCD 00 00\"");
    EXPECT_EQ(predefinedInteger(p.sw), 0x6110);
    for (const char *bad : {"00G4", ""}) {
        EXPECT_EQ(send(value::makeString(bad), &thrown), -1) << bad;
        EXPECT_EQ(thrown, "Invalid hex character(s) in APDU string");
    }
    // Blank text is an empty command, which no card is sent.
    reader(0).receivedCommands(); // what was sent so far
    EXPECT_EQ(send(value::makeString(" \t "), &thrown), -1);
    EXPECT_EQ(thrown, "Malformated APDU command");
    EXPECT_TRUE(reader(0).receivedCommands().empty());
}

TEST_F(Exchange, SendApduRefusesWrongArgumentsAndUnconnectedReaders)
{
    reader(0).insert(kEchoT0);
    std::string thrown;
    EXPECT_EQ(send(bytes("00 A4 04 00"), &thrown), -1);
    EXPECT_EQ(thrown, "Reader \"Virtual PCD 00 00\" is not connected");

    std::vector<std::vector<ScriptValue>> wrong = {
        {readerValue(0)},
        {readerValue(0), value::makeInteger(5)},
        {value::makeInteger(1), bytes("00A40400")},
        {readerValue(0), bytes("00A40400"), value::makeInteger(5)}, // not written as a variable
    };
    for (auto &values : wrong) {
        Arguments a;
        for (ScriptValue &v : values)
            a.add(v);
        EXPECT_EQ(call(builtins::SendAPDU, a).code, PELORN_BAD_ARGUMENTS);
    }
}

// ---------------------------------------------------------------- statement

namespace {

class Statement : public Exchange {
protected:
    void SetUp() override
    {
        Exchange::SetUp();
        if (IsSkipped())
            return;
        script_ = interp::createScript();
        run_.script = script_;
        interp::setRunningScript(script_);
    }
    void TearDown() override
    {
        if (script_ != nullptr) {
            interp::setRunningScript(nullptr);
            interp::releaseScript(script_->object());
            interp::destroyScript(script_);
        }
        Exchange::TearDown();
    }

    // An APDU line of literal parts, each on `line` of main.scr.
    interp::ApduStatement *line(std::initializer_list<ScriptValue> parts, const char *mask = nullptr)
    {
        interp::ApduStatement *statement = nullptr;
        int column = 0;
        for (const ScriptValue &v : parts) {
            auto *literal = new interp::LiteralExpr(v);
            literal->source = &file_;
            literal->line = 7 + column++;
            statement = new interp::ApduStatement(statement, literal);
            statement->source = &file_;
            statement->line = 7;
        }
        if (mask != nullptr) {
            statement->mask = mask;
            statement->hasMask = true;
        }
        statements_.emplace_back(statement);
        return statement;
    }

    interp::Completion execute(interp::ApduStatement *statement) { return statement->execute(run_); }

    std::string transferText()
    {
        EXPECT_EQ(run_.transfer.code, interp::TransferCode::ApduException);
        EXPECT_EQ(run_.transfer.line, 7);
        std::string shown = text(run_.transfer.value);
        value::release(run_.transfer.value);
        return shown;
    }

    interp::Script *script_ = nullptr;
    interp::RunContext run_{};
    interp::SourceFile file_{"/cards/main.scr", "/cards", nullptr};
    std::vector<std::unique_ptr<interp::ApduStatement>> statements_;
};

} // namespace

TEST_F(Statement, JoinsItsPartsInSourceOrder)
{
    connect(kEchoT0);
    auto *s = line({bytes("00 D6 00 00"), value::makeInteger(0x104), value::makeString("AB"), bytes("CC DD")});
    ASSERT_EQ(execute(s), interp::Completion::Normal);
    EXPECT_EQ(reader(0).receivedCommands(), std::vector<std::string>{"00 D6 00 00 04 41 42 CC DD"});
}

TEST_F(Statement, ChecksTheStatusWordAgainstItsMask)
{
    connect("atr 3B 02 14 50\nrule 00 A4 -> 61 1C\nrule 00 B0 -> 01 02 03 6A 82\nrule * -> 90 00\n");
    struct Case {
        const char *command;
        const char *mask;
        const char *mismatch; // null: the mask matches
    } cases[] = {
        {"00 C0 00 00", "9000", nullptr},
        {"00 A4 04 00", "61XX", nullptr},
        {"00 A4 04 00", "61xx9000", nullptr},
        {"00 C0 00 00", "9XX0", nullptr},
        {"00 B0 00 00", "6a82", nullptr},
        {"00 B0 00 00", "9000", "Error: unexpected status word returned (0x6a82 instead of {9000}"},
        {"00 A4 04 00", "900061XY", "Error: unexpected status word returned (0x611c instead of {9000,61XY}"},
    };
    for (const Case &c : cases) {
        auto *s = line({bytes(c.command)}, c.mask);
        interp::Completion done = execute(s);
        if (c.mismatch == nullptr) {
            EXPECT_EQ(done, interp::Completion::Normal) << c.command << " " << c.mask;
        } else {
            ASSERT_EQ(done, interp::Completion::Transfer) << c.command << " " << c.mask;
            EXPECT_EQ(transferText(), c.mismatch);
        }
    }
    // The status variables hold the last response, mismatch or not.
    EXPECT_EQ(builtins::predefined().sw->c.value.u.integer, 0x611C);
    // Forty failing alternatives: the text stops at 255 characters.
    std::string many;
    for (int i = 0; i < 40; ++i)
        many += "9000";
    ASSERT_EQ(execute(line({bytes("00 B0 00 00")}, many.c_str())), interp::Completion::Transfer);
    std::string shown = transferText();
    EXPECT_EQ(shown.size(), 255u);
    EXPECT_EQ(shown.rfind("Error: unexpected status word returned (0x6a82 instead of {9000,9000,", 0), 0u);
}

TEST_F(Statement, TracesTheExchange)
{
    connect("atr 3B 02 14 50\nrule 00 A4 -> 6F 10 90 00\nrule * -> 90 00\n");
    script_->settings.apduVerbose = 1;
    ASSERT_EQ(execute(line({bytes("00 A4 04 00 02 3F 00")})), interp::Completion::Normal);
    ASSERT_EQ(execute(line({bytes("00 B0 00 00 00")}, "90006100")), interp::Completion::Normal);
    std::string out = takeOutput();
    // The duration varies: check the lines around it.
    EXPECT_EQ(out.rfind("\tCommand         : 00 A4 04 00 02 3F 00 \n"
                        "\tOutput Data (2 bytes) : 6F 10 \n"
                        "\tStatus          : 9000\n"
                        "\tDuration        : ",
                        0),
              0u)
        << out;
    EXPECT_NE(out.find(" ms\n\n\tCommand         : 00 B0 00 00 00 \n"
                       "\tOutput Data     : none\n"
                       "\tStatus          : 9000 (expecting 9000)\n"),
              std::string::npos)
        << out;
}

TEST_F(Statement, RefusesWhatCannotBeSent)
{
    // No current reader: a plain failure, before any part is looked at.
    ASSERT_EQ(execute(line({bytes("00 A4 04 00"), value::makeFloat(1.5)})), interp::Completion::Failed);
    EXPECT_EQ(takeMessages(), "/cards/main.scr(7) : No current smart card read set yet\n");

    connect(kEchoT0);
    // Parts are looked at from the last: the fourth part's error wins.
    ASSERT_EQ(execute(line({bytes("00 A4 04 00"), value::makeFloat(1.5), bytes("3F"), value::makeString("")})),
              interp::Completion::Failed);
    EXPECT_EQ(takeMessages(), "/cards/main.scr(10) : An expression on the APDU command has an empty content\n");
    ASSERT_EQ(execute(line({bytes("00 A4 04 00"), value::makeFloat(1.5)})), interp::Completion::Failed);
    EXPECT_EQ(takeMessages(),
              "/cards/main.scr(8) : An expression on the APDU command didn't evaluate to a byte array, string or "
              "integer\n");
    EXPECT_TRUE(reader(0).receivedCommands().empty());

    // What the exchange throws becomes the APDU exception.
    ASSERT_EQ(execute(line({bytes("00 A4 04")})), interp::Completion::Transfer);
    EXPECT_EQ(transferText(), "Malformated APDU command");
    card::disconnectAll();
    ASSERT_EQ(execute(line({bytes("00 A4 04 00")})), interp::Completion::Transfer);
    EXPECT_EQ(transferText(), "Reader \"Virtual PCD 00 00\" is not connected");
}
