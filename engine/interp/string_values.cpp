// Concatenation of string chains.
#include "interp/string_values.h"

#include "value/chain.h"
#include "value/value.h"

namespace pelorn::interp {

void adoptAsEngineString(ScriptValue &s)
{
    if (s.freeBlock == nullptr && s.release == nullptr && s.copy == nullptr)
        return;
    uint32_t length = 0;
    char *text = value::chain::join(s.u.string, &length);
    GetPropertyFn get = s.getProperty;
    SetPropertyFn set = s.setProperty;
    value::release(s);
    s = value::adoptString(text, length);
    s.getProperty = get;
    s.setProperty = set;
}

void concatenate(ScriptValue &left, ScriptValue &right)
{
    adoptAsEngineString(left);
    adoptAsEngineString(right);
    value::chain::append(left, right);
}

} // namespace pelorn::interp
