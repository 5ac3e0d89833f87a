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

PELORN_API uint8_t SwitchDebugMode(uint8_t on)
{
    pelorn::front::setDebugMode(on != 0);
    return on;
}

} // extern "C"
