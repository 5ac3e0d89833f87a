// What a host hands the scripts it runs (their arguments) and what a
// script hands back (the exit status it asks for). Process-wide, like the
// channels: modules such as "sys" read and write them during a run.
#include "pelorn.h"

#include <new>
#include <string>
#include <vector>

namespace {

// Statuses a script may ask for: 126 and up mean "could not execute" and
// "killed by a signal" to shells.
constexpr int32_t kHighestExitStatus = 125;
constexpr int32_t kNoExitStatus = -1;

std::vector<std::string> scriptArguments;
int32_t requestedExitStatus = kNoExitStatus;

} // namespace

extern "C" {

PELORN_API uint8_t SetScriptArguments(int32_t count, const char *const *arguments)
{
    if (count < 0 || (count > 0 && arguments == nullptr))
        return 0;
    try {
        std::vector<std::string> copied;
        copied.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i)
            copied.emplace_back(arguments[i] != nullptr ? arguments[i] : "");
        scriptArguments.swap(copied);
    } catch (const std::bad_alloc &) {
        return 0; // the arguments before stay
    }
    return 1;
}

PELORN_API int32_t GetScriptArgumentCount(void) { return static_cast<int32_t>(scriptArguments.size()); }

PELORN_API const char *GetScriptArgument(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= scriptArguments.size())
        return nullptr;
    return scriptArguments[static_cast<size_t>(index)].c_str();
}

PELORN_API uint8_t SetRequestedExitStatus(int32_t status)
{
    if (status < kNoExitStatus || status > kHighestExitStatus)
        return 0;
    requestedExitStatus = status;
    return 1;
}

PELORN_API int32_t GetRequestedExitStatus(void) { return requestedExitStatus; }

} // extern "C"
