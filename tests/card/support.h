// What the card tests share: the virtual cards in the two vpcd readers, the
// private daemon, and calling built-ins the way a call node does.
#pragma once

#include "pelorn.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cardtest {

// One pelorn-vcard process per reader, alive for the whole test program.
class VirtualReader {
public:
    explicit VirtualReader(int index);
    ~VirtualReader();
    VirtualReader(const VirtualReader &) = delete;
    VirtualReader &operator=(const VirtualReader &) = delete;

    // Puts a card with this profile in the reader (nothing to do when that
    // card is there already) and waits until the daemon shows it.
    void insert(const std::string &profile);
    void insertMute();
    void remove();
    // A control command for the card; returns its answer.
    std::string control(const std::string &command);
    // The commands the card received since the last call, as "00 A4 ...".
    std::vector<std::string> receivedCommands();
    const std::string &name() const { return name_; }
    // Forgets what the daemon is known to show (after a daemon restart).
    void forgetState() { shown_.clear(); }

private:
    void await(const char *state);

    int index_;
    std::string name_;
    std::string directory_;
    int pid_ = -1;
    std::string shown_; // what the daemon shows: "", "empty", "mute" or a profile
    size_t logRead_ = 0;
};

VirtualReader &reader(int index);
bool privateStack();
// Private stack only: stop the daemon, or start it (with another reader
// configuration directory when given).
void stopDaemon();
void startDaemon(const std::string &configDirectory = "");

// Profiles used by several tests.
extern const char *const kEchoT0; // ATR 3B 02 14 50, echoes every command
extern const char *const kEchoT1; // ATR 3B 80 01 81, echoes every command

// Arguments for a built-in, released afterwards.
class Arguments {
public:
    Arguments() = default;
    Arguments(std::initializer_list<ScriptValue> values);
    ~Arguments();
    Arguments(const Arguments &) = delete;
    Arguments &operator=(const Arguments &) = delete;
    void add(ScriptValue value, void *expression = nullptr);
    ArgumentSlot *slots() { return slots_.empty() ? nullptr : slots_.data(); }
    uint32_t count() const { return static_cast<uint32_t>(slots_.size()); }
    ScriptValue &value(size_t i) { return slots_[i].value; }

private:
    std::vector<ArgumentSlot> slots_;
};

// What a built-in did: its code, the text it threw (empty when none) and
// its result (released by the destructor).
struct Outcome {
    int32_t code = 0;
    std::string thrown;
    ScriptValue result{};
    Outcome() = default;
    Outcome(Outcome &&other) noexcept;
    Outcome &operator=(Outcome &&other) noexcept;
    ~Outcome();
    bool ok() const { return code == 0 && thrown.empty(); }
};

Outcome call(FunctionEntry function, Arguments &arguments);
Outcome call(ProcedureEntry procedure, Arguments &arguments);
Outcome call(FunctionEntry function);
Outcome call(ProcedureEntry procedure);

ScriptValue readerValue(int index); // a reader value for registry entry index
ScriptValue bytes(const std::string &hex);
std::string hexOf(const ScriptValue &byteArray);
std::string text(const ScriptValue &string);

// Script output and messages written since the last take.
std::string takeOutput();
std::string takeMessages();

// Resets the engine's card state as the end of a run does, and refreshes
// the registry as the start of one does.
class CardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

} // namespace cardtest
