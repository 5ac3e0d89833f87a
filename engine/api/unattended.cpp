// The guards of unattended builds (see unattended.h).
#include "api/unattended.h"

#ifdef PELORN_FUZZING
#include "api/channels.h"
#include "interp/messages.h"

#include <cstring>

namespace pelorn::api {

thread_local uint64_t runBudget = UINT64_MAX;

bool chargeRunBudget()
{
    if (runBudget == 0)
        return false;
    if (--runBudget == 0)
        WriteMessage(interp::msg::kRunBudgetSpent);
    return runBudget != 0;
}

bool leavesSandbox(const char *path)
{
    return path[0] == '/' || path[0] == '\\' || std::strstr(path, "..") != nullptr;
}

} // namespace pelorn::api
#endif
