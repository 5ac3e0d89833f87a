// What a card, a reader or the daemon does to a script: every case ends in
// a message, never in a crash or a hang.
#include "support.h"

#include "builtins/catalogue.h"
#include "card/registry.h"
#include "value/value.h"

#include <chrono>
#include <thread>

using namespace cardtest;
using namespace pelorn;

namespace {

class Faults : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        if (!IsSkipped())
            reader(0).insert(kEchoT0);
    }

    Outcome send(int index, const char *command = "00 A4 04 00")
    {
        Arguments a{readerValue(index), bytes(command)};
        return call(builtins::SendAPDU, a);
    }

    Outcome powerOn(int index)
    {
        Arguments a{readerValue(index)};
        return call(builtins::PowerON, a);
    }
};

bool startsWith(const std::string &text, const std::string &prefix) { return text.rfind(prefix, 0) == 0; }

} // namespace

TEST_F(Faults, CardRemovedBetweenTwoCommands)
{
    ASSERT_TRUE(powerOn(0).ok());
    ASSERT_TRUE(send(0).ok());
    reader(0).remove();
    Outcome lost = send(0);
    EXPECT_TRUE(startsWith(lost.thrown, "Error occured while sending APDU to reader \"Virtual PCD 00 00\": "))
        << lost.thrown;
    // Back in the reader: PowerON reconnects the handle to the new card.
    reader(0).insert(kEchoT1);
    ASSERT_TRUE(powerOn(0).ok());
    EXPECT_EQ(g_readersList[0]->protocol, 2u);
    EXPECT_TRUE(send(0).ok());
}

TEST_F(Faults, CardRemovedWhileItHoldsACommand)
{
    ASSERT_TRUE(powerOn(0).ok());
    reader(0).control("silent");
    Outcome held;
    std::thread exchange([&] { held = send(0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    reader(0).remove(); // the only way out for a card that keeps a command
    exchange.join();
    reader(0).control("answer");
    // The driver hands the daemon an empty answer or an error, depending on
    // when the card went; either way the exchange ends with a message.
    EXPECT_TRUE(
        startsWith(held.thrown, "Error occured while sending APDU to reader \"Virtual PCD 00 00\": ") ||
        held.thrown == "Too short response (0 bytes) received from the card on reader \"Virtual PCD 00 00\"")
        << held.thrown;
}

TEST_F(Faults, CardRemovedWhileLocked)
{
    ASSERT_TRUE(powerOn(0).ok());
    Arguments first{readerValue(0)};
    Outcome locked = call(builtins::LockCard, first);
    ASSERT_TRUE(locked.ok());
    ASSERT_EQ(locked.result.u.boolean, 1);
    reader(0).remove();
    EXPECT_TRUE(startsWith(send(0).thrown, "Error occured while sending APDU to reader \"Virtual PCD 00 00\": "));
    // Unlocking a card that has gone never fails, and clears the lock.
    Arguments again{readerValue(0)};
    EXPECT_TRUE(call(builtins::UnlockCard, again).ok());
    EXPECT_EQ(g_readersList[0]->locked, 0);
    // A new card: connected and locked afresh as if nothing had happened.
    reader(0).insert(kEchoT0);
    ASSERT_TRUE(powerOn(0).ok());
    Arguments relock{readerValue(0)};
    Outcome relocked = call(builtins::LockCard, relock);
    ASSERT_TRUE(relocked.ok());
    EXPECT_EQ(relocked.result.u.boolean, 1);
    EXPECT_TRUE(send(0).ok());
    card::disconnectAll();
    EXPECT_EQ(g_readersList[0]->card, 0);
}

TEST_F(Faults, MuteCard)
{
    reader(0).insertMute();
    reader(1).insert(kEchoT0);
    Outcome refused = powerOn(0);
    EXPECT_TRUE(startsWith(refused.thrown, "Error occured while connecting to reader \"Virtual PCD 00 00\" ("))
        << refused.thrown;
    // The automatic choice passes the mute card by.
    ASSERT_TRUE(call(builtins::PowerON).ok());
    EXPECT_EQ(g_currentReader, g_readersList[1]);
}

TEST_F(Faults, DaemonStoppedMidRun)
{
    if (!privateStack())
        GTEST_SKIP();
    ASSERT_TRUE(powerOn(0).ok());
    Arguments first{value::makeInteger(0)};
    ASSERT_TRUE(call(builtins::SetCurrentReader, first).ok());
    stopDaemon();

    EXPECT_TRUE(startsWith(send(0).thrown, "Error occured while sending APDU to reader \"Virtual PCD 00 00\": "));
    EXPECT_NE(card::refreshRegistry(), 0);
    EXPECT_EQ(g_readersCount, 2u); // kept as it was
    const char *unreachable = "Error occured while connecting to smart card manager (";
    struct Case {
        Outcome outcome;
        std::string prefix;
    } cases[] = {
        {call(builtins::GetReaders), "Error occured while getting smart card readers list (Service not available.)"},
        {call(builtins::WaitForCard), "Error occured while getting smart card readers list ("},
        {call(builtins::PowerON), "Error occured while reconnecting to reader \"Virtual PCD 00 00\" ("},
        {powerOn(1), unreachable},
        {[] {
             Arguments r{readerValue(1)};
             return call(builtins::IsCardPresent, r);
         }(),
         std::string("IsCardPresent: ") + unreachable},
        {[] {
             Arguments r{readerValue(1)};
             return call(builtins::GetATR, r);
         }(),
         unreachable},
    };
    for (const Case &c : cases)
        EXPECT_TRUE(startsWith(c.outcome.thrown, c.prefix)) << c.outcome.thrown;
    EXPECT_EQ(g_readersList[0]->card, 0);
    card::disconnectAll();

    // Back again: the same registry entries work.
    startDaemon();
    reader(0).insert(kEchoT0);
    ASSERT_EQ(card::refreshRegistry(), 0);
    ASSERT_TRUE(call(builtins::PowerON).ok());
    EXPECT_TRUE(send(0).ok());
}

TEST_F(Faults, DaemonStoppedDuringAWait)
{
    if (!privateStack())
        GTEST_SKIP();
    // Both readers settled first: a reader still coming back from an
    // earlier test's daemon restart, with a card in it, would end the wait
    // as a new card.
    reader(1).remove();
    Outcome ended;
    auto start = std::chrono::steady_clock::now();
    {
        std::thread stop([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            stopDaemon();
        });
        Arguments newCard{value::makeBoolean(true)};
        ended = call(builtins::WaitForCard, newCard);
        stop.join();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    ASSERT_TRUE(ended.ok());
    EXPECT_EQ(ended.result.type, PELORN_INTEGER);
    EXPECT_EQ(ended.result.u.integer, 0);
    startDaemon();
}

TEST_F(Faults, NoReaderAtAll)
{
    if (!privateStack())
        GTEST_SKIP();
    char pattern[] = "/tmp/pelorn-no-readers-XXXXXX";
    std::string empty = mkdtemp(pattern);
    startDaemon(empty);
    EXPECT_EQ(card::refreshRegistry(), 0);
    EXPECT_EQ(g_readersCount, 0u);
    EXPECT_EQ(call(builtins::PowerON).thrown, "No smart card reader found on the system");
    EXPECT_EQ(call(builtins::WaitForCard).thrown, "No reader is connected");
    Outcome listed = call(builtins::GetReaders);
    ASSERT_TRUE(listed.ok());
    EXPECT_EQ(listed.result.type, PELORN_ARRAY);
    EXPECT_EQ(listed.result.u.array, nullptr);

    // No daemon at all: the same for PowerON, which does not report why.
    stopDaemon();
    EXPECT_EQ(call(builtins::PowerON).thrown, "No smart card reader found on the system");
    startDaemon();
    rmdir(empty.c_str());
}
