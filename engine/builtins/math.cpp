// Math built-ins: the elementary functions on floats and Abs.
#include "builtins/arguments.h"
#include "builtins/catalogue.h"
#include "builtins/messages.h"
#include "value/value.h"

#include <cmath>

namespace pelorn::builtins {

namespace {

// One integer or float in, a float out. Arguments outside the function's
// domain give what the C library gives (NaN, an infinity), never an error.
int32_t elementary(uint32_t count, ArgumentSlot *args, ScriptValue *result, const char *message,
                   double (*function)(double))
{
    if (count != 1 || !isNumber(args[0]))
        return badArguments(message);
    const ScriptValue &x = args[0].value;
    double d = isInteger(args[0]) ? static_cast<double>(x.u.integer) : x.u.real;
    *result = value::makeFloat(function(d));
    return PELORN_OK;
}

} // namespace

int32_t Sin(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kSin, [](double x) { return std::sin(x); });
}

int32_t Cos(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kCos, [](double x) { return std::cos(x); });
}

int32_t Tan(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kTan, [](double x) { return std::tan(x); });
}

int32_t ASin(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kASin, [](double x) { return std::asin(x); });
}

int32_t ACos(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kACos, [](double x) { return std::acos(x); });
}

int32_t ATan(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kATan, [](double x) { return std::atan(x); });
}

int32_t Log(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kLog, [](double x) { return std::log(x); });
}

int32_t Log10(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kLog10, [](double x) { return std::log10(x); });
}

int32_t Sqrt(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kSqrt, [](double x) { return std::sqrt(x); });
}

int32_t Exp(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return elementary(count, args, result, messages::kExp, [](double x) { return std::exp(x); });
}

// Keeps the argument's type. The most negative integer has no positive
// counterpart and comes back unchanged (two's complement).
int32_t Abs(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    if (count != 1 || !isNumber(args[0]))
        return badArguments(messages::kAbs);
    const ScriptValue &x = args[0].value;
    if (isInteger(args[0])) {
        auto magnitude = static_cast<uint64_t>(x.u.integer);
        if (x.u.integer < 0)
            magnitude = 0 - magnitude;
        *result = value::makeInteger(static_cast<int64_t>(magnitude));
    } else {
        *result = value::makeFloat(std::fabs(x.u.real));
    }
    return PELORN_OK;
}

} // namespace pelorn::builtins
