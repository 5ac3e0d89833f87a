// The reader registry, reader values and the current reader.
#include "support.h"

#include "builtins/catalogue.h"
#include "card/reader_value.h"
#include "card/registry.h"
#include "value/arrays.h"
#include "value/value.h"

#include <chrono>
#include <fstream>
#include <thread>

using namespace cardtest;
using namespace pelorn;

namespace {

class Registry : public CardTest {};

std::string property(ScriptValue &v, const char *name, int32_t *code = nullptr)
{
    ScriptValue out = value::empty();
    int32_t rv = v.getProperty(&v, name, &out);
    if (code != nullptr)
        *code = rv;
    std::string shown = rv != 0                  ? "-"
                        : value::isString(out)   ? text(out)
                        : value::isInteger(out)  ? std::to_string(out.u.integer)
                                                 : "?";
    value::release(out);
    return shown;
}

} // namespace

TEST_F(Registry, ListsEveryReaderInOrderWithItsProperties)
{
    Outcome listed = call(builtins::GetReaders);
    ASSERT_TRUE(listed.ok());
    ASSERT_EQ(value::arrays::length(listed.result), 2u);
    ScriptValue &first = *value::arrays::at(listed.result, 0);
    ScriptValue &second = *value::arrays::at(listed.result, 1);
    EXPECT_EQ(first.type, PELORN_READER);
    EXPECT_EQ(property(first, "name"), "Virtual PCD 00 00");
    EXPECT_EQ(property(second, "STRING"), "Virtual PCD 00 01");
    EXPECT_EQ(property(second, "Protocol"), "0");
    int32_t code = 0;
    EXPECT_EQ(property(first, "atr", &code), "-");
    EXPECT_EQ(code, 1);
    // The registry holds one reference and each value one more.
    EXPECT_EQ(g_readersList[0]->referenceCount, 2);
    Arguments extra{value::makeInteger(1)};
    EXPECT_EQ(call(builtins::GetReaders, extra).code, PELORN_BAD_ARGUMENTS);
}

TEST_F(Registry, ReaderValuesCountTheirReferences)
{
    ReaderEntry *entry = g_readersList[1];
    ScriptValue a = readerValue(1);
    ScriptValue b = value::makeInteger(7);
    ASSERT_TRUE(value::copy(a, b));
    EXPECT_EQ(b.type, PELORN_READER);
    EXPECT_EQ(b.u.reader, entry);
    EXPECT_EQ(entry->referenceCount, 3);
    // Copying onto a reader value of the same entry keeps the count right.
    ASSERT_TRUE(value::copy(a, b));
    EXPECT_EQ(entry->referenceCount, 3);
    value::release(a);
    EXPECT_EQ(a.type, PELORN_UNDEFINED);
    value::release(b);
    EXPECT_EQ(entry->referenceCount, 1);
}

TEST_F(Registry, CurrentReaderIsChosenByIndexOrValue)
{
    Outcome none = call(builtins::GetCurrentReader);
    EXPECT_EQ(none.thrown, "No current smart card reader has been set yet");

    struct Case {
        int64_t index;
        const char *thrown;
    } cases[] = {{1, ""}, {2, "The given reader index is out of bounds"}, {-1, "The given reader index is out of bounds"}};
    for (const Case &c : cases) {
        Arguments a{value::makeInteger(c.index)};
        EXPECT_EQ(call(builtins::SetCurrentReader, a).thrown, c.thrown) << c.index;
    }
    EXPECT_EQ(g_currentReader, g_readersList[1]);

    Arguments byValue{readerValue(0)};
    EXPECT_TRUE(call(builtins::SetCurrentReader, byValue).ok());
    Outcome current = call(builtins::GetCurrentReader);
    ASSERT_TRUE(current.ok());
    EXPECT_EQ(current.result.u.reader, g_readersList[0]);
    EXPECT_EQ(g_readersList[1]->referenceCount, 1); // the previous current reader was let go

    Arguments wrong[3];
    wrong[0].add(value::makeString("0"));
    wrong[1].add(value::makeInteger(0));
    wrong[1].add(value::makeInteger(1));
    for (Arguments &a : wrong)
        EXPECT_EQ(call(builtins::SetCurrentReader, a).code, PELORN_BAD_ARGUMENTS);
    Arguments extra{readerValue(0)};
    EXPECT_EQ(call(builtins::GetCurrentReader, extra).code, PELORN_BAD_ARGUMENTS);
}

TEST_F(Registry, ReadersThatLeaveTheSystemLeaveTheRegistryButLiveOnInValues)
{
    if (!privateStack())
        GTEST_SKIP();
    // Another configuration: the two vpcd readers go, two others come.
    char pattern[] = "/tmp/pelorn-readers-XXXXXX";
    std::string directory = mkdtemp(pattern);
    {
        std::ofstream conf(directory + "/vpcd");
        conf << "FRIENDLYNAME \"Spare PCD\"\nDEVICENAME /dev/null:0x8C7D\n"
                "LIBPATH /usr/lib/pcsc/drivers/serial/libifdvpcd.so\nCHANNELID 0x8C7D\n";
    }
    ScriptValue held = readerValue(0);
    Arguments current{value::makeInteger(1)};
    ASSERT_TRUE(call(builtins::SetCurrentReader, current).ok());

    startDaemon(directory);
    ASSERT_EQ(card::refreshRegistry(), 0);
    ASSERT_EQ(g_readersCount, 2u);
    EXPECT_STREQ(g_readersList[0]->name, "Spare PCD 00 00");
    EXPECT_STREQ(g_readersList[1]->name, "Spare PCD 00 01");
    // Still usable as values: the name, and a clear refusal to exchange.
    EXPECT_STREQ(held.u.reader->name, "Virtual PCD 00 00");
    EXPECT_EQ(held.u.reader->referenceCount, 1);
    Arguments send;
    send.add(held);
    send.add(bytes("00A40400"));
    EXPECT_EQ(call(builtins::SendAPDU, send).thrown, "Reader \"Virtual PCD 00 00\" is not connected");
    EXPECT_STREQ(g_currentReader->name, "Virtual PCD 00 01");

    startDaemon();
    ASSERT_EQ(card::refreshRegistry(), 0);
    EXPECT_STREQ(g_readersList[0]->name, "Virtual PCD 00 00");
    EXPECT_EQ(std::system(("rm -rf " + directory).c_str()), 0);
}

TEST_F(Registry, AsManyReadersAsTheDaemonServesJoinAndLeave)
{
    if (!privateStack())
        GTEST_SKIP();
    // Eight vpcd channels of two slots each: the daemon's own limit of 16
    // readers, all appearing in the middle of a run.
    constexpr int kChannels = 8;
    char pattern[] = "/tmp/pelorn-many-readers-XXXXXX";
    std::string directory = mkdtemp(pattern);
    for (int i = 0; i < kChannels; ++i) {
        char port[8];
        std::snprintf(port, sizeof port, "%X", 0x8C80 + 2 * i); // a channel uses its port and the next
        std::ofstream conf(directory + "/vpcd" + std::to_string(i));
        conf << "FRIENDLYNAME \"Many PCD " << i << "\"\nDEVICENAME /dev/null:0x" << port
             << "\nLIBPATH /usr/lib/pcsc/drivers/serial/libifdvpcd.so\nCHANNELID 0x" << port << "\n";
    }
    ScriptValue held = readerValue(1);
    startDaemon(directory);
    // The daemon brings the channels up one after the other.
    for (int tries = 0; tries < 50; ++tries) {
        ASSERT_EQ(card::refreshRegistry(), 0);
        if (g_readersCount == 2u * kChannels)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(g_readersCount, 2u * kChannels);
    Outcome listed = call(builtins::GetReaders);
    ASSERT_TRUE(listed.ok());
    EXPECT_EQ(value::arrays::length(listed.result), g_readersCount);
    for (uint32_t i = 0; i < g_readersCount; ++i)
        EXPECT_EQ(g_readersList[i]->referenceCount, 2) << g_readersList[i]->name; // registry and list
    value::release(listed.result);
    EXPECT_EQ(call(builtins::PowerON).thrown, "No Reader with an inserted smart card found");
    EXPECT_EQ(held.u.reader->referenceCount, 1); // left the registry, lives on in the value

    startDaemon();
    ASSERT_EQ(card::refreshRegistry(), 0);
    EXPECT_EQ(g_readersCount, 2u);
    value::release(held);
    EXPECT_EQ(std::system(("rm -rf " + directory).c_str()), 0);
}
