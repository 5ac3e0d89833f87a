// The exports of sessions: compiling and running a script part by part.
#include "card/registry.h"
#include "front/script_parts.h"
#include "interp/script.h"

extern "C" {

PELORN_API int32_t ParseScriptPart(ScriptObject *script, const char *text, size_t length, const char *name,
                                   const char *directory, int32_t firstLine)
{
    if (script == nullptr)
        return PELORN_COMPILE_ERROR;
    return pelorn::front::parseScriptPart(pelorn::interp::Script::fromObject(script), text, length, name, directory,
                                          firstLine);
}

PELORN_API uint8_t RunScriptPart(ScriptObject *script)
{
    if (script == nullptr)
        return 0;
    return pelorn::interp::runScriptPart(pelorn::interp::Script::fromObject(script));
}

PELORN_API void DisconnectCards(void)
{
    pelorn::card::disconnectAll();
    pelorn::card::releaseCurrentReader();
}

} // extern "C"
