// Reader states as the PC/SC daemon reports them.
#include "pcsc_probe.h"

#include <PCSC/winscard.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace vcard {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> listReaders(SCARDCONTEXT context)
{
    std::vector<std::string> names;
    DWORD length = 0;
    if (SCardListReaders(context, nullptr, nullptr, &length) != SCARD_S_SUCCESS)
        return names;
    std::vector<char> buffer(length);
    if (SCardListReaders(context, nullptr, buffer.data(), &length) != SCARD_S_SUCCESS)
        return names;
    for (const char *n = buffer.data(); *n != '\0'; n += std::strlen(n) + 1)
        names.emplace_back(n);
    return names;
}

std::string describe(DWORD state)
{
    if (state & SCARD_STATE_PRESENT)
        return state & SCARD_STATE_MUTE ? "mute" : "present";
    if (state & SCARD_STATE_EMPTY)
        return "empty";
    return "unknown";
}

bool listed(const std::vector<std::string> &names, const std::string &name)
{
    for (const std::string &n : names)
        if (n == name)
            return true;
    return false;
}

} // namespace

int printStatus()
{
    SCARDCONTEXT context;
    LONG rv = SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context);
    if (rv != SCARD_S_SUCCESS) {
        std::printf("no PC/SC daemon: %s\n", pcsc_stringify_error(rv));
        return 1;
    }
    for (const std::string &name : listReaders(context)) {
        SCARD_READERSTATE state{};
        state.szReader = name.c_str();
        SCardGetStatusChange(context, 0, &state, 1);
        std::printf("%s: %s\n", name.c_str(), describe(state.dwEventState).c_str());
    }
    SCardReleaseContext(context);
    return 0;
}

int waitForState(std::string reader, const std::string &wanted, double seconds)
{
    if (!reader.empty() && reader.find_first_not_of("0123456789") == std::string::npos)
        reader = "Virtual PCD 00 0" + reader;
    auto deadline = Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    std::string seen = "no daemon";
    while (Clock::now() < deadline) {
        SCARDCONTEXT context;
        if (SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context) != SCARD_S_SUCCESS) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        bool here = listed(listReaders(context), reader);
        if (!here) {
            SCardReleaseContext(context);
            seen = "gone";
            if (wanted == "gone")
                return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        SCARD_READERSTATE state{};
        state.szReader = reader.c_str();
        // Each change wakes the query; a bounded wait also notices the reader
        // leaving.
        LONG rv = SCardGetStatusChange(context, 0, &state, 1);
        while (rv == SCARD_S_SUCCESS || rv == SCARD_E_TIMEOUT) {
            seen = describe(state.dwEventState);
            if (seen == wanted)
                break;
            if (Clock::now() >= deadline)
                break;
            state.dwCurrentState = state.dwEventState & ~SCARD_STATE_CHANGED;
            rv = SCardGetStatusChange(context, 200, &state, 1);
            if (rv == SCARD_E_TIMEOUT && wanted == "gone")
                break;
        }
        SCardReleaseContext(context);
        if (seen == wanted)
            return 0;
        if (rv != SCARD_S_SUCCESS && rv != SCARD_E_TIMEOUT)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::fprintf(stderr, "pelorn-vcard: %s is %s, not %s\n", reader.c_str(), seen.c_str(), wanted.c_str());
    return 1;
}

} // namespace vcard
