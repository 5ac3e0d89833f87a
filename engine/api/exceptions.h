// The one C++ exception of the engine: a value thrown by a built-in, a
// module or a property hook through ThrowException/ThrowStringException.
// Every other transfer of control travels as a Completion (interp/completion.h).
#pragma once

#include "pelorn.h"

namespace pelorn::api {

// Thrown by ThrowException and ThrowStringException. The handler that
// catches it owns `value` and must release it.
struct NativeThrow {
    ScriptValue value;
};

} // namespace pelorn::api
