// Shared machinery of the card tests.
#include "support.h"

#include "api/exceptions.h"
#include "card/reader_value.h"
#include "card/registry.h"
#include "pcsc_probe.h"
#include "value/chain.h"
#include "value/value.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <signal.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace cardtest {

const char *const kEchoT0 = "atr 3B 02 14 50\nrule * -> echo\n";
const char *const kEchoT1 = "atr 3B 80 01 81\nrule * -> echo\n";

namespace {

// How long the daemon may take to show a change: two presence polls of
// 0.4 s, the card's removal hold of 1 s, and slack for a loaded machine.
constexpr double kDaemonWaitSeconds = 10.0;

std::string output;
std::string messages;

int32_t captureOutput(const char *text)
{
    output += text;
    return 0;
}

int32_t captureMessage(const char *text)
{
    messages += text;
    messages += '\n';
    return 0;
}

void writeFile(const std::string &path, const std::string &contents)
{
    std::ofstream(path) << contents;
}

} // namespace

VirtualReader::VirtualReader(int index) : index_(index), name_("Virtual PCD 00 0" + std::to_string(index))
{
    char pattern[] = "/tmp/pelorn-vcard-XXXXXX";
    directory_ = mkdtemp(pattern);
    std::string initial = directory_ + "/initial.card";
    writeFile(initial, "atr 3B 00\n");
    std::string control = directory_ + "/control";
    std::string log = directory_ + "/log";
    const char *program = std::getenv("PELORN_VCARD");
    pid_ = fork();
    if (pid_ == 0) {
        std::string readerText = std::to_string(index);
        execl(program, program, "--reader", readerText.c_str(), "--control", control.c_str(), "--log", log.c_str(),
              "--removed", initial.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 200 && access(control.c_str(), F_OK) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

VirtualReader::~VirtualReader()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::string command = "rm -rf '" + directory_ + "'";
    if (std::system(command.c_str()) != 0)
        return;
}

std::string VirtualReader::control(const std::string &command)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = directory_ + "/control";
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        std::string line = command + "\n";
        if (write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
            char c;
            while (read(fd, &c, 1) == 1 && c != '\n')
                reply.push_back(c);
        }
    }
    close(fd);
    return reply;
}

void VirtualReader::await(const char *state)
{
    if (vcard::waitForState(name_, state, kDaemonWaitSeconds) != 0)
        ADD_FAILURE() << name_ << " never showed " << state;
}

void VirtualReader::insert(const std::string &profile)
{
    if (shown_ == profile)
        return;
    if (!shown_.empty() && shown_ != "empty")
        remove();
    std::string path = directory_ + "/profile.card";
    writeFile(path, profile);
    EXPECT_EQ(control("load " + path), "ok");
    control("insert");
    await("present");
    shown_ = profile;
    receivedCommands();
}

void VirtualReader::insertMute()
{
    if (shown_ == "mute")
        return;
    if (!shown_.empty() && shown_ != "empty")
        remove();
    control("mute");
    await("mute");
    shown_ = "mute";
}

void VirtualReader::remove()
{
    if (shown_ == "empty")
        return;
    control("remove");
    await("empty");
    shown_ = "empty";
}

std::vector<std::string> VirtualReader::receivedCommands()
{
    std::ifstream log(directory_ + "/log");
    log.seekg(static_cast<std::streamoff>(logRead_));
    std::vector<std::string> commands;
    std::string line;
    while (std::getline(log, line)) {
        logRead_ += line.size() + 1;
        if (line.rfind("> ", 0) == 0)
            commands.push_back(line.substr(2));
    }
    return commands;
}

VirtualReader &reader(int index)
{
    static std::unique_ptr<VirtualReader> readers[2];
    if (readers[index] == nullptr)
        readers[index] = std::make_unique<VirtualReader>(index);
    return *readers[index];
}

bool privateStack()
{
    const char *stack = std::getenv("PELORN_CARD_STACK");
    return stack != nullptr && std::string(stack) == "private" && std::getenv("PELORN_VCARD") != nullptr;
}

void stopDaemon()
{
    std::string command = std::string(std::getenv("PELORN_PCSCD_CTL")) + " stop";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

void startDaemon(const std::string &configDirectory)
{
    std::string command = std::string(std::getenv("PELORN_PCSCD_CTL")) + " start " + configDirectory;
    EXPECT_EQ(std::system(command.c_str()), 0);
    for (int i = 0; i < 2; ++i)
        reader(i).forgetState();
}

Arguments::Arguments(std::initializer_list<ScriptValue> values)
{
    for (const ScriptValue &v : values)
        add(v);
}

Arguments::~Arguments()
{
    for (ArgumentSlot &slot : slots_)
        pelorn::value::release(slot.value);
}

void Arguments::add(ScriptValue value, void *expression)
{
    ArgumentSlot slot{};
    slot.expression = expression;
    slot.value = value;
    slots_.push_back(slot);
}

Outcome::Outcome(Outcome &&other) noexcept : code(other.code), thrown(std::move(other.thrown)), result(other.result)
{
    pelorn::value::clear(other.result);
}

Outcome &Outcome::operator=(Outcome &&other) noexcept
{
    if (this != &other) {
        pelorn::value::release(result);
        code = other.code;
        thrown = std::move(other.thrown);
        result = other.result;
        pelorn::value::clear(other.result);
    }
    return *this;
}

Outcome::~Outcome() { pelorn::value::release(result); }

namespace {

template <typename Invoke>
Outcome invoke(Invoke body)
{
    Outcome outcome;
    try {
        outcome.code = body(&outcome.result);
    } catch (pelorn::api::NativeThrow &thrown) {
        outcome.thrown = pelorn::value::isString(thrown.value) ? text(thrown.value) : "(not a string)";
        pelorn::value::release(thrown.value);
        if (outcome.thrown.empty())
            outcome.thrown = "(empty)";
    }
    return outcome;
}

} // namespace

Outcome call(FunctionEntry function, Arguments &a)
{
    return invoke([&](ScriptValue *result) { return function(a.count(), a.slots(), result); });
}

Outcome call(ProcedureEntry procedure, Arguments &a)
{
    return invoke([&](ScriptValue *) { return procedure(a.count(), a.slots()); });
}

Outcome call(FunctionEntry function)
{
    Arguments none;
    return call(function, none);
}

Outcome call(ProcedureEntry procedure)
{
    Arguments none;
    return call(procedure, none);
}

ScriptValue readerValue(int index) { return pelorn::card::makeReaderValue(g_readersList[index]); }

ScriptValue bytes(const std::string &hex) { return stringToBytearray(hex.c_str()); }

std::string hexOf(const ScriptValue &v)
{
    std::string out(static_cast<size_t>(v.u.bytes.length) * 3 + 1, '\0');
    htoa(out.data(), v.u.bytes.data, static_cast<uint32_t>(v.u.bytes.length), 1);
    out.resize(static_cast<size_t>(v.u.bytes.length) * 3);
    if (!out.empty())
        out.pop_back(); // the blank after the last byte
    return out;
}

std::string text(const ScriptValue &v)
{
    char *joined = pelorn::value::chain::join(v.u.string);
    std::string out(joined);
    zfree(joined);
    return out;
}

std::string takeOutput()
{
    std::string taken;
    taken.swap(output);
    return taken;
}

std::string takeMessages()
{
    std::string taken;
    taken.swap(messages);
    return taken;
}

void CardTest::SetUp()
{
    if (!privateStack())
        GTEST_SKIP() << "run through tests/card/with-card-stack.sh";
    SetStandardOutputFn(captureOutput);
    SetMessageOutputFn(captureMessage);
    takeOutput();
    takeMessages();
    reader(0);
    reader(1);
    ASSERT_EQ(pelorn::card::refreshRegistry(), 0);
}

void CardTest::TearDown()
{
    // As at the end of a run, and a fresh registry for the next test.
    pelorn::card::disconnectAll();
    pelorn::card::releaseRegistry();
    SetStandardOutputFn(nullptr);
    SetMessageOutputFn(nullptr);
}

} // namespace cardtest
