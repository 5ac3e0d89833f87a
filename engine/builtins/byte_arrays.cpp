// Byte-array built-ins: making byte arrays and arrays, reading bytes as text,
// filling and copying ranges. The editing procedures change their first
// argument slot; the call copies it back into a variable written there.
#include "builtins/arguments.h"
#include "builtins/catalogue.h"
#include "builtins/messages.h"
#include "value/arrays.h"
#include "value/value.h"

namespace pelorn::builtins {

namespace {

// A byte array's length is a signed 32-bit number.
constexpr int64_t kMaxByteArraySize = INT32_MAX;
// Arrays are chains walked element by element (80 bytes each); beyond this
// many elements neither memory nor indexing time would serve a script, and
// refusing early keeps a mistyped size from exhausting the machine.
constexpr int64_t kMaxArrayElements = int64_t{1} << 24;

// True when [offset, offset + count) lies within length; both are known to
// be non-negative, and the sum is never formed, so it cannot wrap.
bool rangeFits(int64_t offset, int64_t count, int64_t length) { return count <= length && offset <= length - count; }

} // namespace

// CreateByteArray(n), CreateByteArray(n, fill) or CreateByteArray(hex text).
int32_t CreateByteArray(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    bool fits = (count == 1 && (isInteger(args[0]) || isString(args[0]))) ||
                (count == 2 && isInteger(args[0]) && isInteger(args[1]));
    if (!fits)
        return badArguments(messages::kCreateByteArray);
    if (isString(args[0])) {
        ScriptValue bytes = stringToBytearray2(&args[0].value.u.string);
        if (bytes.type != PELORN_BYTEARRAY)
            fail(messages::kInvalidHex);
        *result = bytes;
        return PELORN_OK;
    }
    int64_t size = args[0].value.u.integer;
    if (size < 0)
        fail(messages::kCreateByteArrayNegative);
    if (size > kMaxByteArraySize)
        fail(messages::kCreateByteArrayTooLarge);
    auto *block = static_cast<uint8_t *>(zalloc(static_cast<int32_t>(size)));
    if (block == nullptr)
        fail(messages::kCreateByteArrayNoMemory);
    if (count == 2 && size > 0)
        std::memset(block, static_cast<uint8_t>(args[1].value.u.integer), static_cast<size_t>(size));
    *result = value::adoptBytes(block, static_cast<int32_t>(size));
    return PELORN_OK;
}

// CreateArray(n): n untyped elements, n >= 1.
int32_t CreateArray(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    if (count != 1 || !isInteger(args[0]) || args[0].value.u.integer < 1)
        return badArguments(messages::kCreateArray);
    int64_t n = args[0].value.u.integer;
    if (n > kMaxArrayElements)
        fail(messages::kCreateArrayTooLarge);
    ScriptValue array = value::makeEmptyArray();
    if (!value::arrays::own(array, static_cast<uint64_t>(n)))
        fail(messages::kCreateArrayNoMemory);
    for (int64_t i = 0; i < n; ++i) {
        ScriptValue untyped = value::empty();
        value::arrays::push(array, untyped); // room was made above
    }
    *result = array;
    return PELORN_OK;
}

// The bytes taken as text as they are; a zero byte stays inside the string.
// A wrong argument answers 160 without a message.
int32_t StringFromByteArray(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    if (count != 1 || !isBytes(args[0]))
        return PELORN_BAD_ARGUMENTS;
    const ScriptValue &bytes = args[0].value;
    size_t length = byteCount(bytes);
    auto *block = static_cast<char *>(zalloc(static_cast<int32_t>(length)));
    if (length > 0)
        std::memcpy(block, bytes.u.bytes.data, length);
    *result = value::adoptString(block, static_cast<uint32_t>(length));
    return PELORN_OK;
}

// SetByteArray(array, offset, value, count). The checks run in this order,
// so the first failing one decides the message.
int32_t SetByteArray(uint32_t count, ArgumentSlot *args)
{
    if (count != 4 || !isBytes(args[0]) || !isInteger(args[1]) || !isInteger(args[2]) || !isInteger(args[3]))
        return badArguments(messages::kSetByteArray);
    ScriptValue &bytes = args[0].value;
    int64_t offset = args[1].value.u.integer;
    int64_t fillCount = args[3].value.u.integer;
    if (offset < 0)
        fail(messages::kSetOffsetNegative);
    if (fillCount < 0)
        fail(messages::kCountNegative);
    if (!rangeFits(offset, fillCount, static_cast<int64_t>(byteCount(bytes))))
        fail(messages::kSetNoSpace);
    if (fillCount > 0)
        std::memset(bytes.u.bytes.data + offset, static_cast<uint8_t>(args[2].value.u.integer),
                    static_cast<size_t>(fillCount));
    return PELORN_OK;
}

// CopyByteArray(distArr, distOffset, srcArr, srcOffset, count). Each slot
// holds its own copy, so the two arrays never overlap.
int32_t CopyByteArray(uint32_t count, ArgumentSlot *args)
{
    if (count != 5 || !isBytes(args[0]) || !isInteger(args[1]) || !isBytes(args[2]) || !isInteger(args[3]) ||
        !isInteger(args[4]))
        return badArguments(messages::kCopyByteArray);
    ScriptValue &destination = args[0].value;
    const ScriptValue &source = args[2].value;
    int64_t destinationOffset = args[1].value.u.integer;
    int64_t sourceOffset = args[3].value.u.integer;
    int64_t copyCount = args[4].value.u.integer;
    if (destinationOffset < 0)
        fail(messages::kCopyDestinationNegative);
    if (sourceOffset < 0)
        fail(messages::kCopySourceNegative);
    if (copyCount < 0)
        fail(messages::kCountNegative);
    if (!rangeFits(destinationOffset, copyCount, static_cast<int64_t>(byteCount(destination))))
        fail(messages::kCopyNoDestinationSpace);
    if (!rangeFits(sourceOffset, copyCount, static_cast<int64_t>(byteCount(source))))
        fail(messages::kCopyNoSourceSpace);
    if (copyCount > 0)
        std::memmove(destination.u.bytes.data + destinationOffset, source.u.bytes.data + sourceOffset,
                     static_cast<size_t>(copyCount));
    return PELORN_OK;
}

} // namespace pelorn::builtins
