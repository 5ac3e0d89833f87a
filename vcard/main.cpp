// pelorn-vcard: a virtual smart card for the vsmartcard vpcd driver.
//
//   pelorn-vcard [--reader N | --port P] [--host H] [--control SOCKET]
//                [--log FILE] [--removed] [--mute] PROFILE
//   pelorn-vcard status
//   pelorn-vcard wait READER present|mute|empty|gone [SECONDS]
//
// While the card is inserted it holds a TCP connection to the driver
// (reader N listens on port 35963 + N); closing it removes the card. A mute
// card answers the driver's ATR request with more bytes than an ATR may
// have: the daemon then reports it present and mute, and power-up fails.
//
// Control, by socket (one command a line, one answer a line) or signal:
//   insert (SIGUSR2)   remove (SIGUSR1)   mute (SIGHUP)   unmute
//   silent: take commands without answering them; answer: answer again
//   load PROFILE: another card (taken out first when one is in the reader)
//   state: removed | inserted | mute, with " silent" when silent
//   quit (SIGTERM, SIGINT): remove the card and exit
#include "card.h"
#include "control.h"
#include "pcsc_probe.h"
#include "vpcd_link.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace vcard;
using Clock = std::chrono::steady_clock;

constexpr uint16_t kFirstVpcdPort = 35963;
// A card taken out must stay out longer than one presence poll of the
// daemon (0.4 s), or the daemon never sees it go.
constexpr auto kRemovalHold = std::chrono::milliseconds(1000);
// How often a wanted card retries a driver that is not listening.
constexpr auto kReconnectRetry = std::chrono::milliseconds(100);

enum class Face { Removed, Normal, Mute };

struct Options {
    std::string host = "127.0.0.1";
    uint16_t port = kFirstVpcdPort;
    std::string control;
    std::string log;
    Face initial = Face::Normal;
    std::string profile;
};

class VirtualCard {
public:
    VirtualCard(const Options &options, Profile &profile)
        : link_(options.host, options.port), card_(profile), profile_(profile), wanted_(options.initial)
    {
        if (!options.log.empty())
            log_.open(options.log, std::ios::app);
    }

    int run(ControlServer &control);

private:
    void note(const std::string &line)
    {
        if (log_.is_open())
            log_ << line << std::endl;
    }

    // Changes the face the daemon is to see; a card already in the reader
    // is taken out for long enough to be noticed first.
    void want(Face face)
    {
        wanted_ = face;
        if (link_.connected() && shown_ != face) {
            link_.close();
            note("# removed");
            reconnectAt_ = Clock::now() + kRemovalHold;
        }
    }

    std::string load(const std::string &path)
    {
        Profile next;
        std::string error;
        if (!loadProfile(path, next, error))
            return "error: " + error;
        if (link_.connected()) {
            link_.close();
            note("# removed");
            reconnectAt_ = Clock::now() + kRemovalHold;
        }
        profile_ = std::move(next);
        card_.reset();
        note("# loaded " + path);
        return "ok";
    }

    std::string command(const std::string &c)
    {
        if (c.rfind("load ", 0) == 0)
            return load(c.substr(5));
        if (c == "insert" || c == "unmute")
            want(Face::Normal);
        else if (c == "remove")
            want(Face::Removed);
        else if (c == "mute")
            want(Face::Mute);
        else if (c == "silent")
            silent_ = true;
        else if (c == "answer")
            silent_ = false;
        else if (c == "quit")
            quit_ = true;
        else if (c == "state")
            return (wanted_ == Face::Removed ? "removed" : wanted_ == Face::Mute ? "mute" : "inserted") +
                   std::string(silent_ ? " silent" : "");
        else
            return "error: unknown command '" + c + "'";
        return "ok";
    }

    void serveDriver()
    {
        Bytes message;
        if (!link_.receive(message)) {
            link_.close();
            note("# connection closed by the driver");
            reconnectAt_ = Clock::now() + kReconnectRetry;
            return;
        }
        if (message.size() == 1) {
            switch (message[0]) {
            case kGetAtr:
                if (shown_ == Face::Mute)
                    link_.send(kMuteAtr);
                else
                    link_.send(profile_.atr);
                break;
            case kPowerOn:
            case kReset:
                card_.reset();
                note(message[0] == kPowerOn ? "# power on" : "# reset");
                break;
            case kPowerOff:
                note("# power off");
                break;
            default:
                break;
            }
            return;
        }
        if (message.empty())
            return;
        note("> " + hex(message));
        if (silent_) {
            note("# (silent)");
            return;
        }
        Bytes response = card_.respond(message);
        note("< " + hex(response));
        link_.send(response);
    }

    // One byte more than an ATR may have (33): see the file comment.
    const Bytes kMuteAtr = [] {
        Bytes b(40, 0);
        b[0] = 0x3B;
        return b;
    }();

    VpcdLink link_;
    Card card_;
    Profile &profile_;
    Face wanted_;
    Face shown_ = Face::Removed;
    bool silent_ = false;
    bool quit_ = false;
    Clock::time_point reconnectAt_ = Clock::now();
    std::ofstream log_;
};

int VirtualCard::run(ControlServer &control)
{
    sigset_t handled;
    sigemptyset(&handled);
    for (int s : {SIGTERM, SIGINT, SIGUSR1, SIGUSR2, SIGHUP})
        sigaddset(&handled, s);
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    int signals = signalfd(-1, &handled, SFD_CLOEXEC);
    std::signal(SIGPIPE, SIG_IGN);

    while (!quit_) {
        if (wanted_ != Face::Removed && !link_.connected() && Clock::now() >= reconnectAt_) {
            if (link_.connect()) {
                shown_ = wanted_;
                card_.reset();
                note(wanted_ == Face::Mute ? "# inserted (mute)" : "# inserted");
            } else {
                reconnectAt_ = Clock::now() + kReconnectRetry;
            }
        }
        std::vector<pollfd> fds;
        fds.push_back({signals, POLLIN, 0});
        if (link_.connected())
            fds.push_back({link_.fd(), POLLIN, 0});
        for (int fd : control.descriptors())
            fds.push_back({fd, POLLIN, 0});
        int timeout = -1;
        if (wanted_ != Face::Removed && !link_.connected()) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(reconnectAt_ - Clock::now()).count();
            timeout = static_cast<int>(left < 0 ? 0 : left);
        }
        if (poll(fds.data(), fds.size(), timeout) < 0)
            continue;
        for (const pollfd &p : fds) {
            if ((p.revents & (POLLIN | POLLHUP | POLLERR)) == 0)
                continue;
            if (p.fd == signals) {
                signalfd_siginfo info;
                if (read(signals, &info, sizeof info) != sizeof info)
                    continue;
                switch (info.ssi_signo) {
                case SIGUSR1:
                    command("remove");
                    break;
                case SIGUSR2:
                    command("insert");
                    break;
                case SIGHUP:
                    command("mute");
                    break;
                default:
                    quit_ = true;
                }
            } else if (link_.connected() && p.fd == link_.fd()) {
                serveDriver();
            } else {
                control.onReadable(p.fd, [this](const std::string &c) { return command(c); });
            }
        }
    }
    link_.close();
    close(signals);
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: pelorn-vcard [--reader N | --port P] [--host H] [--control SOCKET] [--log FILE]\n"
                         "                    [--removed] [--mute] PROFILE\n"
                         "       pelorn-vcard status\n"
                         "       pelorn-vcard wait READER present|mute|empty|gone [SECONDS]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "status")
        return printStatus();
    if (!args.empty() && args[0] == "wait") {
        if (args.size() < 3 || args.size() > 4)
            return usage();
        return waitForState(args[1], args[2], args.size() == 4 ? std::stod(args[3]) : 10.0);
    }
    Options options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        bool hasValue = i + 1 < args.size();
        if ((a == "--reader" || a == "-r") && hasValue)
            options.port = static_cast<uint16_t>(kFirstVpcdPort + std::stoi(args[++i]));
        else if ((a == "--port" || a == "-p") && hasValue)
            options.port = static_cast<uint16_t>(std::stoi(args[++i]));
        else if ((a == "--host" || a == "-H") && hasValue)
            options.host = args[++i];
        else if ((a == "--control" || a == "-c") && hasValue)
            options.control = args[++i];
        else if ((a == "--log" || a == "-l") && hasValue)
            options.log = args[++i];
        else if (a == "--removed")
            options.initial = Face::Removed;
        else if (a == "--mute")
            options.initial = Face::Mute;
        else if (!a.empty() && a[0] != '-' && options.profile.empty())
            options.profile = a;
        else
            return usage();
    }
    if (options.profile.empty())
        return usage();
    Profile profile;
    std::string error;
    if (!loadProfile(options.profile, profile, error)) {
        std::fprintf(stderr, "pelorn-vcard: %s: %s\n", options.profile.c_str(), error.c_str());
        return 2;
    }
    ControlServer control;
    if (!options.control.empty() && !control.listen(options.control, error)) {
        std::fprintf(stderr, "pelorn-vcard: %s\n", error.c_str());
        return 2;
    }
    VirtualCard card(options, profile);
    return card.run(control);
}
