// The argument-count table against the built-ins themselves: every
// routine is called with every count from 0 to one past its most (four
// past its least when it has no most), each count with every combination
// of a set of sample values. A count the table accepts must get past the
// routine's checks with some combination (any answer but bad arguments,
// a thrown text included); a count it refuses must be refused with all.
#include "builtin_fixture.h"
#include "builtins/argument_counts.h"
#include "card/reader_entry.h"
#include "card/reader_value.h"
#include "card/registry.h"
#include "value/value.h"

#include <gtest/gtest.h>

#include <PCSC/winscard.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace pelorn {

namespace {

struct Routine {
    const char *name;
    FunctionEntry function;   // null for a procedure
    ProcedureEntry procedure; // null for a function
};

#define PELORN_PROBE_FUNCTION(name) Routine{#name, builtins::name, nullptr},
#define PELORN_PROBE_PROCEDURE(name) Routine{#name, nullptr, builtins::name},
const Routine kRoutines[] = {PELORN_BUILTIN_FUNCTIONS(PELORN_PROBE_FUNCTION)
                                 PELORN_BUILTIN_PROCEDURES(PELORN_PROBE_PROCEDURE)};
#undef PELORN_PROBE_FUNCTION
#undef PELORN_PROBE_PROCEDURE

// One value of each type the built-ins tell apart; sizes that the ciphers
// take (16 bytes: a block, a double-length key, an IV).
std::vector<ScriptValue> sampleValues(ReaderEntry *reader)
{
    uint8_t sixteen[16] = {};
    ScriptValue array = value::makeEmptyArray();
    auto *element = static_cast<ArrayElement *>(zalloc(sizeof(ArrayElement)));
    element->value = value::makeInteger(1);
    array.u.array = element;
    return {value::makeInteger(1), value::makeFloat(1.0), value::makeString("a"), value::makeBoolean(true),
            value::makeBytes(sixteen, sizeof sixteen), array, card::makeReaderValue(reader)};
}

// Byte arrays of the lengths only digest contexts have, as the Init
// routines make them. Tried for the first few arguments only: no
// routine looks at a length before it has checked the count.
std::vector<ScriptValue> digestContexts()
{
    std::vector<ScriptValue> contexts;
    for (FunctionEntry init : {builtins::MD5Init, builtins::SHA1Init, builtins::SHA256Init, builtins::SHA384Init,
                               builtins::SHA512Init}) {
        ScriptValue context = value::empty();
        EXPECT_EQ(init(0, nullptr, &context), PELORN_OK);
        contexts.push_back(context);
    }
    return contexts;
}
constexpr uint32_t kMostArgumentsWithContexts = 4;

class BuiltinArgumentCounts : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Accepted calls write files and read input: keep them harmless.
        char pattern[] = "/tmp/pelorn-counts-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_);
        SetStandardOutputFn([](const char *) -> int32_t { return 0; });
        SetMessageOutputFn([](const char *) -> int32_t { return 0; });
        SetStandardInputFn([](char *buffer, int32_t) -> int32_t {
            buffer[0] = '\0';
            return 0;
        });
        SetExternCardWaitFn([](SCARDCONTEXT context, SCARD_READERSTATE *, ScriptValue *) {
            SCardReleaseContext(context);
        });
        reader_ = card::createEntry("no such reader");
        samples_ = sampleValues(reader_);
        plainSamples_ = samples_.size();
        for (const ScriptValue &context : digestContexts())
            samples_.push_back(context);
    }
    void TearDown() override
    {
        for (ScriptValue &v : samples_)
            value::release(v);
        card::release(reader_);
        card::releaseRegistry();
        SetStandardOutputFn(nullptr);
        SetMessageOutputFn(nullptr);
        SetStandardInputFn(nullptr);
        SetExternCardWaitFn(nullptr);
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }

    // True when the routine answers anything but bad arguments. Every
    // argument is written as a variable: some routines give results back
    // through their arguments and want them so.
    bool passesChecks(const Routine &routine, const std::vector<size_t> &choice)
    {
        std::vector<ScriptValue> values(choice.size());
        for (size_t i = 0; i < choice.size(); ++i)
            EXPECT_TRUE(value::copy(samples_[choice[i]], values[i]));
        testing::Args args(values);
        for (size_t i = 0; i < choice.size(); ++i)
            args.variable(i);
        ScriptValue result = value::empty();
        int32_t code;
        try {
            code = routine.function != nullptr ? routine.function(args.count(), args.slots(), &result)
                                               : routine.procedure(args.count(), args.slots());
        } catch (api::NativeThrow &thrown) {
            value::release(thrown.value);
            code = 0;
        }
        value::release(result);
        card::releaseCurrentReader();
        return code != PELORN_BAD_ARGUMENTS;
    }

    // Whether some combination of samples gets past the checks.
    bool someCombinationPasses(const Routine &routine, uint32_t count)
    {
        size_t kinds = count <= kMostArgumentsWithContexts ? samples_.size() : plainSamples_;
        std::vector<size_t> choice(count, 0);
        for (;;) {
            if (passesChecks(routine, choice))
                return true;
            size_t i = 0;
            while (i < count && ++choice[i] == kinds)
                choice[i++] = 0;
            if (i == count)
                return false;
        }
    }

    std::filesystem::path folder_;
    std::filesystem::path previous_;
    ReaderEntry *reader_ = nullptr;
    std::vector<ScriptValue> samples_;
    size_t plainSamples_ = 0; // the samples before the digest contexts
};

TEST_F(BuiltinArgumentCounts, MatchWhatEachBuiltinAccepts)
{
    constexpr uint32_t kProbedPastLeast = 4; // for routines without a most count
    for (const Routine &routine : kRoutines) {
        const builtins::ArgumentCounts *counts = builtins::argumentCountsOf(routine.name);
        ASSERT_NE(counts, nullptr) << routine.name;
        uint32_t last = counts->most == builtins::kNoMostCount ? counts->least + kProbedPastLeast : counts->most + 1;
        for (uint32_t count = 0; count <= last; ++count)
            EXPECT_EQ(someCombinationPasses(routine, count), counts->accepts(count))
                << routine.name << " with " << count << " argument(s)";
    }
}

TEST(BuiltinArgumentCountsTable, FindsNamesWithoutRegardToCase)
{
    ASSERT_NE(builtins::argumentCountsOf("println"), nullptr);
    EXPECT_EQ(builtins::argumentCountsOf("println")->least, 1u);
    EXPECT_EQ(builtins::argumentCountsOf("NoSuchRoutine"), nullptr);
}

} // namespace

} // namespace pelorn
