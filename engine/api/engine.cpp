// The engine's exported entry points for hosts.
#include "builtins/registry.h"
#include "card/registry.h"
#include "front/compiler.h"
#include "interp/script.h"
#include "pelorn.h"

extern "C" {

PELORN_API ScriptObject *ParseScript(const char *path, int32_t *status)
{
    pelorn::interp::Script *script = pelorn::front::parseScript(path, status);
    return script != nullptr ? script->object() : nullptr;
}

PELORN_API ScriptObject *ParseScriptText(const char *text, size_t length, const char *name, const char *directory,
                                         int32_t *status)
{
    pelorn::interp::Script *script = pelorn::front::parseScriptText(text, length, name, directory, status);
    return script != nullptr ? script->object() : nullptr;
}

PELORN_API void FreeScript(ScriptObject *script)
{
    if (script == nullptr)
        return;
    script->release(script);
    pelorn::interp::destroyScript(pelorn::interp::Script::fromObject(script));
}

PELORN_API uint8_t InitializeEngine(void)
{
    return pelorn::card::refreshRegistry() == 0 ? 1 : 0;
}

// The flag SetAPDUVerbose sets from inside the script; it lasts, like
// that one, until the script changes it.
PELORN_API void SetScriptAPDUVerbose(ScriptObject *script, uint8_t on)
{
    if (script != nullptr)
        pelorn::interp::Script::fromObject(script)->settings.apduVerbose = on != 0 ? 1 : 0;
}

// A host that reads the globals only through GetScriptGlobal lets runs
// end without rebuilding each global array as a chain of elements.
PELORN_API void SetScriptGlobalsPublic(ScriptObject *script, uint8_t on)
{
    if (script != nullptr)
        pelorn::interp::Script::fromObject(script)->globalsPublic = on != 0;
}

PELORN_API uint8_t SwitchDebugMode(uint8_t on)
{
    pelorn::front::setDebugMode(on != 0);
    return on;
}

} // extern "C"
