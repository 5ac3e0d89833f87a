// --check: the engine's static check, one script after the other.
#include "check.h"

#include "single_run.h"

#include "pelorn.h"

#include <algorithm>
#include <cstdio>

namespace pelorn::command {

namespace {

void printFinding(void *, const char *file, int32_t line, int32_t kind, const char *text)
{
    std::fprintf(stderr, "%s:%d: %s: %s\n", file, line, kind == PELORN_CHECK_NOTE ? "note" : "warning", text);
}

int32_t checkOne(const CheckedScript &checked)
{
    if (checked.source == ScriptSource::File)
        return CheckScript(checked.script.c_str(), printFinding, nullptr);
    std::string text;
    if (checked.source == ScriptSource::Text)
        text = textScript(checked.script);
    else if (!readStandardInput(text))
        return PELORN_CHECK_NOT_COMPILED;
    const char *name = checked.source == ScriptSource::Text ? kTextScriptName : kStandardInputName;
    return CheckScriptText(text.data(), text.size(), name, nullptr, printFinding, nullptr);
}

} // namespace

int checkScripts(const Options &options)
{
    if (options.debug)
        SwitchDebugMode(1);
    SetStandardOutputFn([](const char *) -> int32_t { return 0; });
    int status = PELORN_CHECK_CLEAN;
    for (const CheckedScript &checked : options.checked) {
        std::fflush(stderr);
        status = std::max(status, static_cast<int>(checkOne(checked)));
    }
    std::fflush(stderr);
    return status;
}

} // namespace pelorn::command
