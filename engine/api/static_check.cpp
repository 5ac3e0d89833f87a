// The static check, exported for hosts: the pelorn command's --check and
// editors.
#include "check/check_script.h"

extern "C" {

PELORN_API int32_t CheckScript(const char *path, CheckReportFn report, void *context)
{
    if (path == nullptr || report == nullptr)
        return PELORN_CHECK_NOT_COMPILED;
    return pelorn::check::checkScript(path, report, context);
}

PELORN_API int32_t CheckScriptText(const char *text, size_t length, const char *name, const char *directory,
                                   CheckReportFn report, void *context)
{
    if (report == nullptr)
        return PELORN_CHECK_NOT_COMPILED;
    return pelorn::check::checkScriptText(text, length, name, directory, report, context);
}

} // extern "C"
