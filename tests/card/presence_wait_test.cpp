// Card presence, the ATR, and waiting for a card (stopped from another
// thread, or handed to a host's own wait function).
#include "support.h"

#include "builtins/catalogue.h"
#include "value/value.h"

#include <chrono>
#include <thread>

using namespace cardtest;
using namespace pelorn;
using Clock = std::chrono::steady_clock;

namespace {

class Presence : public CardTest {};
class Waiting : public CardTest {
protected:
    void TearDown() override
    {
        SetExternCardWaitFn(nullptr);
        CardTest::TearDown();
    }
};

Outcome presence(FunctionEntry f, int index)
{
    Arguments a{readerValue(index)};
    return call(f, a);
}

Outcome waitForCard(bool newCard)
{
    Arguments a{value::makeBoolean(newCard)};
    return call(builtins::WaitForCard, a);
}

// Runs `act` on another thread after `delay`, joined at the end of the scope.
class Later {
public:
    template <typename Act>
    Later(std::chrono::milliseconds delay, Act act)
        : thread_([delay, act] {
              std::this_thread::sleep_for(delay);
              act();
          })
    {
    }
    ~Later() { thread_.join(); }

private:
    std::thread thread_;
};

} // namespace

TEST_F(Presence, ReportsCardsWithoutConnecting)
{
    reader(0).insert("atr 3B 80 01 81\n");
    reader(1).remove();
    EXPECT_EQ(presence(builtins::IsCardPresent, 0).result.u.boolean, 1);
    EXPECT_EQ(presence(builtins::IsCardPresent, 1).result.u.boolean, 0);
    Outcome atr = presence(builtins::GetATR, 0);
    ASSERT_TRUE(atr.ok());
    EXPECT_EQ(hexOf(atr.result), "3B 80 01 81");
    EXPECT_EQ(presence(builtins::GetATR, 1).thrown,
              "No card present on reader \"Virtual PCD 00 01\", so no ATR can be returned");
    EXPECT_EQ(g_readersList[0]->card, 0);

    reader(1).insertMute();
    EXPECT_EQ(presence(builtins::IsCardPresent, 1).result.u.boolean, 1);
    EXPECT_EQ(presence(builtins::GetATR, 1).thrown, "Card is mute on reader \"Virtual PCD 00 01\", so no ATR can be returned");

    for (FunctionEntry f : {builtins::IsCardPresent, builtins::GetATR}) {
        Arguments number{value::makeInteger(0)};
        EXPECT_EQ(call(f).code, PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(call(f, number).code, PELORN_BAD_ARGUMENTS);
    }
    EXPECT_EQ(takeMessages(), "");
}

TEST_F(Waiting, ACardAlreadyThereIsFoundAtOnce)
{
    reader(0).insertMute(); // a mute card is passed over
    reader(1).insert(kEchoT0);
    Outcome found[] = {call(builtins::WaitForCard), waitForCard(false)};
    for (const Outcome &f : found) {
        ASSERT_TRUE(f.ok());
        ASSERT_EQ(f.result.type, PELORN_READER);
        EXPECT_EQ(f.result.u.reader, g_readersList[1]);
    }
    EXPECT_EQ(g_readersList[1]->card, 0);

    Arguments number{value::makeInteger(1)};
    EXPECT_EQ(call(builtins::WaitForCard, number).code, PELORN_BAD_ARGUMENTS);
    EXPECT_EQ(takeMessages(), "Function \"waitForCard\" takes an optional boolean argument\n");
}

TEST_F(Waiting, ANewCardMustGoIntoAnEmptyReader)
{
    reader(0).remove();
    reader(1).insert(kEchoT0);
    StopCardWait(); // a stop asked before the wait does not end it
    Outcome found;
    {
        Later insertion(std::chrono::milliseconds(300), [] { reader(0).insert(kEchoT1); });
        found = waitForCard(true);
    }
    ASSERT_TRUE(found.ok());
    ASSERT_EQ(found.result.type, PELORN_READER);
    EXPECT_EQ(found.result.u.reader, g_readersList[0]);
}

TEST_F(Waiting, StopCardWaitEndsTheWaitWithinAPoll)
{
    reader(0).insert(kEchoT0);
    reader(1).insert(kEchoT0);
    auto start = Clock::now();
    Outcome stopped;
    {
        Later stop(std::chrono::milliseconds(300), [] { StopCardWait(); });
        stopped = waitForCard(true);
    }
    auto elapsed = Clock::now() - start;
    ASSERT_TRUE(stopped.ok());
    EXPECT_EQ(stopped.result.type, PELORN_INTEGER);
    EXPECT_EQ(stopped.result.u.integer, 0);
    EXPECT_LT(elapsed, std::chrono::milliseconds(300 + 500 + 400));
}

TEST_F(Waiting, AMuteCardEndsNoWait)
{
    reader(0).remove();
    reader(1).remove();
    Outcome stopped;
    {
        Later mute(std::chrono::milliseconds(100), [] {
            reader(0).insertMute();
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            StopCardWait();
        });
        stopped = waitForCard(true);
    }
    ASSERT_TRUE(stopped.ok());
    EXPECT_EQ(stopped.result.type, PELORN_INTEGER);
}

namespace {

uint32_t statesSeen = 0;
std::string firstStateName;

// A host's wait: it sees every reader's state, owns the context and runs
// the default wait on a worker thread, which another host thread stops.
void hostWait(SCARDCONTEXT context, SCARD_READERSTATE *states, ScriptValue *result)
{
    statesSeen = g_readersCount;
    firstStateName = states[0].szReader;
    std::thread worker([&] { PerformCardWait(context, states, result); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    StopCardWait();
    worker.join();
}

} // namespace

TEST_F(Waiting, AHostMayTakeOverTheWait)
{
    reader(0).insert(kEchoT0);
    reader(1).insert(kEchoT0);
    EXPECT_EQ(SetExternCardWaitFn(hostWait), hostWait);
    Outcome stopped = waitForCard(true);
    ASSERT_TRUE(stopped.ok());
    EXPECT_EQ(stopped.result.type, PELORN_INTEGER);
    EXPECT_EQ(statesSeen, 2u);
    EXPECT_EQ(firstStateName, "Virtual PCD 00 00");
}
