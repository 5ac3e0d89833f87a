// PowerON in its argument forms, and what a script does with a connection.
#include "support.h"

#include "builtins/catalogue.h"
#include "card/registry.h"
#include "interp/script.h"
#include "value/value.h"

#include <PCSC/winscard.h>

using namespace cardtest;
using namespace pelorn;

namespace {

class Connection : public CardTest {};

// A running script with the APDU trace switched on, for PowerON's lines.
class VerboseScript {
public:
    VerboseScript() : script_(interp::createScript())
    {
        script_->settings.apduVerbose = 1;
        interp::setRunningScript(script_);
    }
    ~VerboseScript()
    {
        interp::setRunningScript(nullptr);
        interp::releaseScript(script_->object());
        interp::destroyScript(script_);
    }

private:
    interp::Script *script_;
};

bool connected(int index) { return g_readersList[index]->card != 0; }

} // namespace

TEST_F(Connection, AutomaticChoiceTakesTheFirstReaderWithAResponsiveCard)
{
    reader(0).remove();
    reader(1).insert(kEchoT0);
    VerboseScript verbose;
    ASSERT_TRUE(call(builtins::PowerON).ok());
    EXPECT_EQ(g_currentReader, g_readersList[1]);
    EXPECT_TRUE(connected(1));
    EXPECT_FALSE(connected(0));
    EXPECT_EQ(g_readersList[1]->protocol, 1u);
    EXPECT_EQ(takeOutput(), "Connecting to reader \"Virtual PCD 00 01\" in shared mode.\nConnected. Protocol = T0\n");

    // A current reader is used as it is, card or not.
    card::disconnectAll();
    Arguments first{value::makeInteger(0)};
    ASSERT_TRUE(call(builtins::SetCurrentReader, first).ok());
    Outcome failed = call(builtins::PowerON);
    EXPECT_EQ(failed.thrown.rfind("Error occured while connecting to reader \"Virtual PCD 00 00\" (", 0), 0u)
        << failed.thrown;
    EXPECT_EQ(failed.thrown.back(), ')');
    EXPECT_FALSE(connected(0));
    EXPECT_FALSE(connected(1));
}

TEST_F(Connection, NoCardAnywhere)
{
    reader(0).remove();
    reader(1).remove();
    EXPECT_EQ(call(builtins::PowerON).thrown, "No Reader with an inserted smart card found");
    EXPECT_EQ(g_currentReader, nullptr);
}

TEST_F(Connection, ArgumentFormsChooseReaderShareModeAndProtocols)
{
    reader(0).insert(kEchoT0);
    reader(1).insert(kEchoT1);
    // (r, TRUE) connects r exclusively and leaves the current reader alone.
    Arguments exclusive{readerValue(1), value::makeBoolean(true)};
    ASSERT_TRUE(call(builtins::PowerON, exclusive).ok());
    EXPECT_EQ(g_currentReader, nullptr);
    EXPECT_EQ(g_readersList[1]->protocol, 2u);
    // Exclusive means exclusive: a second connection is refused by PC/SC.
    {
        SCARDCONTEXT context;
        SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context);
        SCARDHANDLE other;
        DWORD protocol;
        EXPECT_EQ(SCardConnect(context, "Virtual PCD 00 01", SCARD_SHARE_SHARED, 3, &other, &protocol),
                  SCARD_E_SHARING_VIOLATION);
        SCardReleaseContext(context);
    }
    // Connecting again switches to shared mode on the same handle.
    Arguments shared{readerValue(1), value::makeInteger(3), value::makeBoolean(false)};
    SCARDHANDLE before = g_readersList[1]->card;
    ASSERT_TRUE(call(builtins::PowerON, shared).ok());
    EXPECT_EQ(g_readersList[1]->card, before);

    // (p): a T=1-only card refuses T=0.
    Arguments onlyT0{readerValue(1), value::makeInteger(1), value::makeBoolean(false)};
    card::disconnectAll();
    Outcome refused = call(builtins::PowerON, onlyT0);
    EXPECT_EQ(refused.thrown.rfind("Error occured while connecting to reader \"Virtual PCD 00 01\" (", 0), 0u)
        << refused.thrown;

    // Forms outside the table are refused before anything happens.
    std::vector<std::vector<ScriptValue>> wrong = {
        {value::makeString("x")},
        {readerValue(0), value::makeInteger(1)},
        {value::makeBoolean(true), value::makeInteger(1)},
        {value::makeInteger(1), value::makeBoolean(true), value::makeBoolean(false)},
        {readerValue(0), value::makeInteger(1), value::makeBoolean(true), value::makeBoolean(false)},
        {value::makeFloat(1.5)},
    };
    for (auto &values : wrong) {
        Arguments a;
        for (ScriptValue &v : values)
            a.add(v);
        EXPECT_EQ(call(builtins::PowerON, a).code, PELORN_BAD_ARGUMENTS) << a.count();
    }
    EXPECT_FALSE(connected(0));
}

TEST_F(Connection, PowerOffDisconnectResetLockUnlock)
{
    reader(0).insert(kEchoT0);
    // Without a current reader every one of them refuses.
    for (ProcedureEntry p : {builtins::PowerOFF, builtins::DisconnectCard, builtins::ResetCard, builtins::UnlockCard})
        EXPECT_EQ(call(p).thrown, "No current reader has been set yet");
    EXPECT_EQ(call(builtins::LockCard).thrown, "No current reader has been set yet");

    Arguments first{value::makeInteger(0)};
    ASSERT_TRUE(call(builtins::SetCurrentReader, first).ok());
    // Not connected: PowerOFF and DisconnectCard do nothing, ResetCard refuses,
    // LockCard answers FALSE.
    EXPECT_TRUE(call(builtins::PowerOFF).ok());
    EXPECT_TRUE(call(builtins::DisconnectCard).ok());
    EXPECT_EQ(call(builtins::ResetCard).thrown, "Card not connected");
    EXPECT_EQ(call(builtins::LockCard).result.u.boolean, 0);

    ASSERT_TRUE(call(builtins::PowerON).ok());
    reader(0).receivedCommands();
    EXPECT_TRUE(call(builtins::ResetCard).ok());
    EXPECT_TRUE(connected(0));
    EXPECT_EQ(call(builtins::LockCard).result.u.boolean, 1);
    EXPECT_EQ(call(builtins::LockCard).result.u.boolean, 1);
    EXPECT_EQ(g_readersList[0]->locked, 1);
    EXPECT_TRUE(call(builtins::UnlockCard).ok());
    EXPECT_EQ(g_readersList[0]->locked, 0);
    Arguments r{readerValue(0)};
    EXPECT_EQ(call(builtins::IsCardConnected, r).result.u.boolean, 1);

    // Locked, then powered off: the transaction ends with the connection.
    EXPECT_EQ(call(builtins::LockCard).result.u.boolean, 1);
    EXPECT_TRUE(call(builtins::PowerOFF).ok());
    EXPECT_FALSE(connected(0));
    EXPECT_EQ(g_readersList[0]->locked, 0);
    EXPECT_EQ(g_readersList[0]->protocol, 1u); // kept
    EXPECT_EQ(call(builtins::IsCardConnected, r).result.u.boolean, 0);
    ASSERT_TRUE(call(builtins::PowerON, r).ok());
    EXPECT_TRUE(call(builtins::DisconnectCard, r).ok());
    EXPECT_EQ(call(builtins::ResetCard, r).thrown, "Card not connected");

    // Argument lists outside (), (reader) are refused silently.
    Arguments number{value::makeInteger(0)};
    Arguments two{readerValue(0), readerValue(0)};
    for (ProcedureEntry p : {builtins::PowerOFF, builtins::DisconnectCard, builtins::ResetCard, builtins::UnlockCard}) {
        EXPECT_EQ(call(p, number).code, PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(call(p, two).code, PELORN_BAD_ARGUMENTS);
    }
    EXPECT_EQ(call(builtins::LockCard, number).code, PELORN_BAD_ARGUMENTS);
    EXPECT_EQ(call(builtins::IsCardConnected).code, PELORN_BAD_ARGUMENTS);
    EXPECT_EQ(call(builtins::IsCardConnected, two).code, PELORN_BAD_ARGUMENTS);
    EXPECT_EQ(takeMessages(), "");
}

TEST_F(Connection, EndOfRunLeavesNoConnectionAndNoCurrentReader)
{
    reader(0).insert(kEchoT0);
    ASSERT_TRUE(call(builtins::PowerON).ok());
    EXPECT_EQ(call(builtins::LockCard).result.u.boolean, 1);
    ReaderEntry *entry = g_readersList[0];
    card::disconnectAll();
    card::releaseCurrentReader();
    EXPECT_EQ(entry->card, 0);
    EXPECT_EQ(entry->context, 0);
    EXPECT_EQ(entry->locked, 0);
    EXPECT_EQ(g_currentReader, nullptr);
    EXPECT_EQ(entry->referenceCount, 1);
    // Another client may have the card at once.
    SCARDCONTEXT context;
    SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context);
    SCARDHANDLE other;
    DWORD protocol;
    EXPECT_EQ(SCardConnect(context, "Virtual PCD 00 00", SCARD_SHARE_EXCLUSIVE, 3, &other, &protocol),
              SCARD_S_SUCCESS);
    SCardDisconnect(other, SCARD_LEAVE_CARD);
    SCardReleaseContext(context);
}
