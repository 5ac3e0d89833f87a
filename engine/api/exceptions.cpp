// Throwing values into the script from native code.
#include "api/exceptions.h"

#include "value/value.h"

extern "C" {

PELORN_API void ThrowException(ScriptValue value)
{
    throw pelorn::api::NativeThrow{value};
}

PELORN_API void ThrowStringException(const char *text)
{
    throw pelorn::api::NativeThrow{pelorn::value::makeString(text != nullptr ? text : "")};
}

} // extern "C"
