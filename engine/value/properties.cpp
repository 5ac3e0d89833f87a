// The default property hooks: the sizes and conversions every engine value
// answers through GetField, and SetField, which refuses every change.
#include "api/exceptions.h"
#include "value/arrays.h"
#include "value/chain.h"
#include "value/messages.h"
#include "value/number_text.h"
#include "value/value.h"

#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace pelorn::value {

namespace {

using Payload = decltype(ScriptValue::u.string);

enum class Property { Length, Integer, Float, Hex, String, Unknown };

Property propertyNamed(const char *name)
{
    if (name == nullptr)
        return Property::Unknown;
    if (strcasecmp(name, "length") == 0)
        return Property::Length;
    if (strcasecmp(name, "integer") == 0)
        return Property::Integer;
    if (strcasecmp(name, "float") == 0)
        return Property::Float;
    if (strcasecmp(name, "hex") == 0)
        return Property::Hex;
    if (strcasecmp(name, "string") == 0)
        return Property::String;
    return Property::Unknown;
}

[[noreturn]] void fail(const char *text)
{
    ThrowStringException(text);
    __builtin_unreachable();
}

// A string's text joined into one block, freed on every way out
// (conversions throw).
class JoinedText {
public:
    explicit JoinedText(const Payload &s) : text_(chain::join(s)) {}
    ~JoinedText() { zfree(text_); }
    JoinedText(const JoinedText &) = delete;
    JoinedText &operator=(const JoinedText &) = delete;
    char *get() const { return text_; }

private:
    char *text_;
};

// A text block for a conversion of `length` characters (and its NUL);
// throws when it cannot exist as a string.
char *textBlock(uint64_t length)
{
    if (length > static_cast<uint64_t>(INT32_MAX) - 1)
        fail(messages::kConversionTooLarge);
    auto *block = static_cast<char *>(zalloc(static_cast<int32_t>(length)));
    if (block == nullptr)
        fail(messages::kConversionTooLarge);
    return block;
}

ScriptValue formatted(const char *format, ...) __attribute__((format(printf, 1, 2)));
ScriptValue formatted(const char *format, ...)
{
    // "%.8f" of the largest double needs 318 characters.
    char local[400];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(local, sizeof local, format, args);
    va_end(args);
    if (n < 0)
        n = 0;
    return makeString(local, static_cast<uint32_t>(n));
}

int64_t stringToInteger(const Payload &s)
{
    JoinedText text(s);
    int64_t n = 0;
    switch (parseInteger(text.get(), n)) {
    case NumberText::Invalid:
        fail(messages::kStringToInteger);
    case NumberText::Overflow:
        fail(messages::kStringToIntegerOverflow);
    case NumberText::Ok:
        break;
    }
    return n;
}

double stringToFloat(const Payload &s)
{
    JoinedText text(s);
    double d = 0.0;
    switch (parseFloat(text.get(), d)) {
    case NumberText::Invalid:
        fail(messages::kStringToFloat);
    case NumberText::Overflow:
        fail(messages::kStringToFloatOverflow);
    case NumberText::Ok:
        break;
    }
    return d;
}

// Truncation toward zero; values without a 64-bit counterpart (NaN, out of
// range) give the most negative integer, as the processor's conversion does.
int64_t truncated(double d)
{
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
        return INT64_MIN;
    return static_cast<int64_t>(d);
}

int64_t bytesToInteger(const ScriptValue &v)
{
    uint64_t n = 0;
    int32_t count = v.u.bytes.length < 8 ? v.u.bytes.length : 8;
    for (int32_t i = 0; i < count; ++i)
        n = n << 8 | v.u.bytes.data[i];
    return static_cast<int64_t>(n);
}

ScriptValue bytesToText(const ScriptValue &v, bool spaced)
{
    auto count = static_cast<uint32_t>(v.u.bytes.length > 0 ? v.u.bytes.length : 0);
    uint64_t length = uint64_t{count} * (spaced ? 3 : 2);
    char *block = textBlock(length);
    if (count > 0)
        htoa(block, v.u.bytes.data, count, spaced ? 1 : 0);
    return adoptString(block, static_cast<uint32_t>(length));
}

ScriptValue stringToHex(const Payload &s)
{
    static const char digits[] = "0123456789ABCDEF";
    uint64_t length = 0;
    for (const StringChunk *c = &s.first; c != nullptr; c = c->next)
        length += c->text != nullptr ? std::strlen(c->text) * 2 : 0;
    char *block = textBlock(length);
    char *out = block;
    for (const StringChunk *c = &s.first; c != nullptr; c = c->next) {
        if (c->text == nullptr)
            continue;
        for (const char *p = c->text; *p != '\0'; ++p) {
            auto byte = static_cast<unsigned char>(*p);
            *out++ = digits[byte >> 4];
            *out++ = digits[byte & 0x0F];
        }
    }
    *out = '\0';
    return adoptString(block, static_cast<uint32_t>(length));
}

// Builds a string chain segment by segment, linking texts without copying.
class ChainBuilder {
public:
    ChainBuilder() : value_(adoptString(nullptr, 0)), tail_(&value_.u.string.first) {}
    ~ChainBuilder() { release(value_); }
    ChainBuilder(const ChainBuilder &) = delete;
    ChainBuilder &operator=(const ChainBuilder &) = delete;

    void appendText(const char *text) { appendSegment(zstrdup(text), static_cast<uint32_t>(std::strlen(text))); }

    // Takes over a string value's whole chain.
    void appendString(ScriptValue &piece)
    {
        uint32_t length = piece.u.string.length;
        StringChunk *rest = piece.u.string.first.next;
        appendSegment(piece.u.string.first.text, length);
        tail_->next = rest;
        while (tail_->next != nullptr)
            tail_ = tail_->next;
        clear(piece);
    }

    ScriptValue take()
    {
        ScriptValue done = value_;
        value_ = empty();
        return done;
    }

private:
    void appendSegment(char *text, uint32_t length)
    {
        if (!started_) {
            tail_->text = text;
            started_ = true;
        } else {
            auto *segment = static_cast<StringChunk *>(zalloc(sizeof(StringChunk)));
            segment->text = text;
            tail_->next = segment;
            tail_ = segment;
        }
        value_.u.string.length += length;
    }

    ScriptValue value_;
    StringChunk *tail_;
    bool started_ = false;
};

// "[a ; b]": each element's own "string" property, or "(unknown)" when it
// has none or its conversion throws.
ScriptValue arrayToText(const ScriptValue &v)
{
    ChainBuilder text;
    text.appendText("[");
    bool first = true;
    arrays::everyElement(v, [&text, &first](ScriptValue &element) {
        if (!first)
            text.appendText(" ; ");
        first = false;
        GetPropertyFn hook = element.getProperty != nullptr ? element.getProperty : GetField;
        ScriptValue piece = empty();
        int32_t code = 1;
        try {
            code = hook(&element, "string", &piece);
        } catch (api::NativeThrow &thrown) {
            release(thrown.value);
        }
        if (hook != GetField)
            forgetPositions();
        if (code == 0 && piece.type == PELORN_STRING) {
            if (piece.release != nullptr || piece.freeBlock != nullptr) {
                // A module's string frees its blocks its own way: take a copy.
                uint32_t length = 0;
                char *joined = chain::join(piece.u.string, &length);
                release(piece);
                piece = adoptString(joined, length);
            }
            text.appendString(piece);
        } else {
            release(piece);
            text.appendText(messages::kUnknownText);
        }
        return true;
    });
    text.appendText("]");
    return text.take();
}

int32_t readLength(const ScriptValue &v, ScriptValue &out)
{
    switch (v.type) {
    case PELORN_STRING:
        out = makeInteger(v.u.string.length);
        return 0;
    case PELORN_BYTEARRAY:
        out = makeInteger(static_cast<uint32_t>(v.u.bytes.length));
        return 0;
    case PELORN_ARRAY:
        out = makeInteger(static_cast<uint32_t>(arrays::length(v)));
        return 0;
    default:
        return 1;
    }
}

int32_t readInteger(const ScriptValue &v, ScriptValue &out)
{
    switch (v.type) {
    case PELORN_INTEGER:
        out = makeInteger(v.u.integer);
        return 0;
    case PELORN_FLOAT:
        out = makeInteger(truncated(v.u.real));
        return 0;
    case PELORN_STRING:
        out = makeInteger(stringToInteger(v.u.string));
        return 0;
    case PELORN_BOOLEAN:
        out = makeInteger(v.u.boolean == 1 ? 1 : 0);
        return 0;
    case PELORN_BYTEARRAY:
        out = makeInteger(bytesToInteger(v));
        return 0;
    default:
        return 1;
    }
}

int32_t readFloat(const ScriptValue &v, ScriptValue &out)
{
    switch (v.type) {
    case PELORN_INTEGER:
        out = makeFloat(static_cast<double>(v.u.integer));
        return 0;
    case PELORN_FLOAT:
        out = makeFloat(v.u.real);
        return 0;
    case PELORN_STRING:
        out = makeFloat(stringToFloat(v.u.string));
        return 0;
    case PELORN_BOOLEAN:
        out = makeFloat(v.u.boolean == 1 ? 1.0 : 0.0);
        return 0;
    default:
        return 1;
    }
}

int32_t readHex(const ScriptValue &v, ScriptValue &out)
{
    switch (v.type) {
    case PELORN_INTEGER:
        out = formatted("%" PRIx64, static_cast<uint64_t>(v.u.integer));
        return 0;
    case PELORN_BYTEARRAY:
        out = bytesToText(v, false);
        return 0;
    case PELORN_STRING:
        out = stringToHex(v.u.string);
        return 0;
    default:
        return 1;
    }
}

int32_t readString(const ScriptValue &v, ScriptValue &out)
{
    switch (v.type) {
    case PELORN_STRING: {
        uint32_t length = 0;
        char *joined = chain::join(v.u.string, &length);
        out = adoptString(joined, length);
        return 0;
    }
    case PELORN_INTEGER:
        out = formatted("%" PRId64, v.u.integer);
        return 0;
    case PELORN_FLOAT:
        out = formatted("%.8f", v.u.real);
        return 0;
    case PELORN_BOOLEAN:
        out = makeString(v.u.boolean != 0 ? "TRUE" : "FALSE");
        return 0;
    case PELORN_BYTEARRAY:
        out = bytesToText(v, true);
        return 0;
    case PELORN_ARRAY:
        out = arrayToText(v);
        return 0;
    default:
        return 1;
    }
}

} // namespace

} // namespace pelorn::value

extern "C" {

// The out value is filled only on success; a failing conversion throws its
// text instead of returning.
PELORN_API int32_t GetField(ScriptValue *value, const char *name, ScriptValue *out)
{
    using namespace pelorn::value;
    if (value == nullptr || out == nullptr)
        return 1;
    switch (propertyNamed(name)) {
    case Property::Length:
        return readLength(*value, *out);
    case Property::Integer:
        return readInteger(*value, *out);
    case Property::Float:
        return readFloat(*value, *out);
    case Property::Hex:
        return readHex(*value, *out);
    case Property::String:
        return readString(*value, *out);
    case Property::Unknown:
        break;
    }
    return 1;
}

// Properties of engine values are never written: 2 for the read-only ones,
// 1 for the rest.
PELORN_API int32_t SetField(ScriptValue *value, const char *name, ScriptValue *)
{
    using namespace pelorn::value;
    if (value == nullptr)
        return 1;
    int32_t type = value->type;
    switch (propertyNamed(name)) {
    case Property::Length:
        return type == PELORN_STRING || type == PELORN_BYTEARRAY || type == PELORN_ARRAY ? 2 : 1;
    case Property::Hex:
        return type == PELORN_INTEGER || type == PELORN_STRING || type == PELORN_BYTEARRAY ? 2 : 1;
    case Property::String:
        return 2;
    default:
        return 1;
    }
}

} // extern "C"
