// Making, copying and releasing values.
#include "value/value.h"

#include "api/channels.h"
#include "value/arrays.h"
#include "value/chain.h"
#include "value/messages.h"

#include <cstdlib>

namespace pelorn::value {

ScriptValue makeInteger(int64_t n)
{
    ScriptValue v = empty();
    v.type = PELORN_INTEGER;
    v.u.integer = n;
    setDefaultHooks(v);
    return v;
}

ScriptValue makeFloat(double d)
{
    ScriptValue v = empty();
    v.type = PELORN_FLOAT;
    v.u.real = d;
    setDefaultHooks(v);
    return v;
}

ScriptValue makeBoolean(bool b)
{
    ScriptValue v = empty();
    v.type = PELORN_BOOLEAN;
    v.u.boolean = b ? 1 : 0;
    setDefaultHooks(v);
    return v;
}

ScriptValue makeString(const char *text, uint32_t length)
{
    auto *block = static_cast<char *>(zalloc(static_cast<int32_t>(length) + 1));
    std::memcpy(block, text, length);
    block[length] = '\0';
    return adoptString(block, length);
}

ScriptValue makeString(const char *text)
{
    return makeString(text, static_cast<uint32_t>(std::strlen(text)));
}

ScriptValue adoptString(char *block, uint32_t length)
{
    ScriptValue v = empty();
    v.type = PELORN_STRING;
    v.u.string.first.text = block;
    v.u.string.length = length;
    setDefaultHooks(v);
    return v;
}

ScriptValue makeBytes(const uint8_t *data, int32_t length)
{
    auto *block = static_cast<uint8_t *>(zalloc(length));
    if (length > 0)
        std::memcpy(block, data, static_cast<size_t>(length));
    return adoptBytes(block, length);
}

ScriptValue adoptBytes(uint8_t *block, int32_t length)
{
    ScriptValue v = empty();
    v.type = PELORN_BYTEARRAY;
    v.u.bytes.data = block;
    v.u.bytes.length = length;
    setDefaultHooks(v);
    return v;
}

ScriptValue makeEmptyArray()
{
    ScriptValue v = empty();
    v.type = PELORN_ARRAY;
    setDefaultHooks(v);
    return v;
}

void forgetPositions()
{
    ++chain::segmentReleaseCount;
}

void release(ScriptValue &v)
{
    if (v.release != nullptr) {
        forgetPositions();
        v.release(&v);
        forgetPositions();
        return;
    }
    switch (v.type) {
    case PELORN_STRING:
        chain::free(v.u.string, v.freeBlock);
        break;
    case PELORN_BYTEARRAY:
        if (v.freeBlock != nullptr)
            v.freeBlock(v.u.bytes.data);
        else
            std::free(v.u.bytes.data);
        v.u.bytes.data = nullptr;
        break;
    case PELORN_ARRAY:
        arrays::releaseElements(v);
        break;
    default:
        break;
    }
    v.type = PELORN_UNDEFINED;
}

namespace {

void copyHeader(const ScriptValue &source, ScriptValue &destination)
{
    destination.type = source.type;
    destination.release = source.release;
    destination.copy = source.copy;
    destination.freeBlock = source.freeBlock;
    destination.getProperty = source.getProperty;
    destination.setProperty = source.setProperty;
}

} // namespace

bool copy(const ScriptValue &source, ScriptValue &destination)
{
    release(destination);
    if (source.copy != nullptr) {
        uint8_t copied = source.copy(&destination, const_cast<ScriptValue *>(&source));
        forgetPositions();
        if (copied == 0)
            return false;
        copyHeader(source, destination);
        return true;
    }
    switch (source.type) {
    case PELORN_UNDEFINED:
        break;
    case PELORN_INTEGER:
    case PELORN_FLOAT:
    case PELORN_BOOLEAN:
        destination.u.integer = source.u.integer;
        break;
    case PELORN_STRING:
        if (!chain::duplicate(source.u.string, destination.u.string)) {
            api::WriteMessage("%s", messages::kNotEnoughMemoryToCopy);
            return false;
        }
        break;
    case PELORN_BYTEARRAY: {
        int32_t n = source.u.bytes.length;
        auto *block = static_cast<uint8_t *>(zalloc(n));
        if (block == nullptr) {
            api::WriteMessage("%s", messages::kNotEnoughMemoryToCopy);
            return false;
        }
        if (n > 0)
            std::memcpy(block, source.u.bytes.data, static_cast<size_t>(n));
        destination.u.bytes.data = block;
        destination.u.bytes.length = n;
        break;
    }
    case PELORN_ARRAY:
        if (!arrays::copyElements(source, destination))
            return false;
        break;
    default:
        api::WriteMessage("%s", messages::kUnknownTypeForAssignation);
        return false;
    }
    copyHeader(source, destination);
    return true;
}

} // namespace pelorn::value

extern "C" PELORN_API void FreeValue(ScriptValue *value)
{
    if (value != nullptr)
        pelorn::value::release(*value);
}
