// Running the script once per reader holding a card, in child processes,
// and relaying their output line by line with the reader's name in front.
#include "each_reader.h"

#include "messages.h"
#include "readers.h"
#include "single_run.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace pelorn::command {

namespace {

constexpr size_t kReadChunk = 4096;
// Shells report a process ended by signal N as 128 + N.
constexpr int kSignalStatusBase = 128;

// One output stream of a run: its pipe, and the start of a line not ended yet.
struct Relay {
    int fd = -1;
    FILE *to = nullptr;
    std::string pending;
};

struct Run {
    std::string reader;
    pid_t pid = -1;
    Relay out;
    Relay err;
};

void emitLine(const Run &run, Relay &relay, const char *line, size_t length)
{
    std::fprintf(relay.to, "[%s] ", run.reader.c_str());
    std::fwrite(line, 1, length, relay.to);
    std::fputc('\n', relay.to);
    std::fflush(relay.to);
}

// Reads what the pipe holds; every complete line goes out at once, so the
// runs' lines interleave but never mix. At the end, a last line without a
// line feed gets one.
void drain(const Run &run, Relay &relay)
{
    char buffer[kReadChunk];
    ssize_t n = read(relay.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
        return;
    if (n > 0) {
        relay.pending.append(buffer, static_cast<size_t>(n));
        size_t start = 0;
        for (size_t end; (end = relay.pending.find('\n', start)) != std::string::npos; start = end + 1)
            emitLine(run, relay, relay.pending.data() + start, end - start);
        relay.pending.erase(0, start);
        return;
    }
    if (!relay.pending.empty())
        emitLine(run, relay, relay.pending.data(), relay.pending.size());
    relay.pending.clear();
    close(relay.fd);
    relay.fd = -1;
}

// The same command for one reader: the options that shape the run, then
// the script as it was given, then its arguments.
std::vector<std::string> childCommand(const Options &options, const std::string &self, const std::string &reader)
{
    std::vector<std::string> words{self};
    if (options.debug)
        words.emplace_back("-d");
    if (options.trace)
        words.emplace_back("--trace");
    words.insert(words.end(), {"--reader", reader});
    switch (options.source) {
    case ScriptSource::File:
        words.insert(words.end(), {"--", options.script});
        break;
    case ScriptSource::Text:
        words.insert(words.end(), {"-e", options.script});
        break;
    case ScriptSource::StandardInput:
        words.emplace_back("-");
        break;
    }
    words.insert(words.end(), options.arguments.begin(), options.arguments.end());
    return words;
}

// What a run reads as standard input: the script read from ours (each run
// its own copy, so their read positions are their own), else nothing.
int inputFor(const Options &options, const std::string &script)
{
    if (options.source != ScriptSource::StandardInput)
        return open("/dev/null", O_RDONLY | O_CLOEXEC);
    int fd = memfd_create("pelorn-script", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    size_t written = 0;
    while (written < script.size()) {
        ssize_t n = write(fd, script.data() + written, script.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += static_cast<size_t>(n);
    }
    lseek(fd, 0, SEEK_SET);
    return fd;
}

// Starts one run; errno describes a failure.
bool start(Run &run, const std::vector<std::string> &command, int input)
{
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return false;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return false;
    }
    std::vector<char *> argv;
    for (const std::string &w : command)
        argv.push_back(const_cast<char *>(w.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    int rv = posix_spawn(&run.pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (rv != 0) {
        close(out[0]);
        close(err[0]);
        errno = rv;
        return false;
    }
    run.out = Relay{out[0], stdout, {}};
    run.err = Relay{err[0], stderr, {}};
    return true;
}

// Relays until every run has closed both streams. Within a run, its
// standard output is read before its standard error, as the run flushed
// them in that order.
void relayAll(std::vector<Run> &runs)
{
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<Relay *> relays;
        std::vector<const Run *> owners;
        for (Run &run : runs) {
            for (Relay *relay : {&run.out, &run.err}) {
                if (relay->fd < 0)
                    continue;
                fds.push_back(pollfd{relay->fd, POLLIN, 0});
                relays.push_back(relay);
                owners.push_back(&run);
            }
        }
        if (fds.empty())
            return;
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        for (size_t i = 0; i < fds.size(); ++i)
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0)
                drain(*owners[i], *relays[i]);
    }
}

int statusOf(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return kExitNotRun;
    if (WIFSIGNALED(status))
        return kSignalStatusBase + WTERMSIG(status);
    return WEXITSTATUS(status);
}

// This program's own file, which the runs are started from.
std::string ownExecutable()
{
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    return std::string(path, static_cast<size_t>(n));
}

} // namespace

int runOnEachReader(const Options &options)
{
    std::string script;
    if (options.source == ScriptSource::StandardInput && !readStandardInput(script))
        return kExitNotRun;
    std::vector<std::string> readers = readersWithCard();
    if (readers.empty()) {
        std::fputs(text::kNoReaderWithCard, stderr);
        return kExitNotRun;
    }
    std::string self = ownExecutable();
    std::vector<Run> runs;
    int highest = kExitSuccess;
    for (const std::string &reader : readers) {
        Run run;
        run.reader = reader;
        int input = inputFor(options, script);
        bool started = input >= 0 && start(run, childCommand(options, self, reader), input);
        int problem = errno;
        if (input >= 0)
            close(input);
        if (!started) {
            std::fprintf(stderr, text::kRunNotStarted, reader.c_str(), std::strerror(problem));
            highest = std::max(highest, kExitNotRun);
            continue;
        }
        runs.push_back(std::move(run));
    }
    relayAll(runs);
    for (const Run &run : runs)
        highest = std::max(highest, statusOf(run.pid));
    return highest;
}

} // namespace pelorn::command
