// Parsing hexadecimal text into byte arrays (byte-array literals,
// CreateByteArray and SendAPDU with a string).
#include "value/value.h"

#include <cctype>

namespace {

int hexDigit(char c)
{
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool skippable(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Reads characters from a source with next() until it returns '\0'.
template <typename Source>
ScriptValue parseHex(Source next)
{
    using namespace pelorn::value;
    ScriptValue result = empty();
    uint64_t digits = 0;
    {
        Source counter = next;
        for (char c; (c = counter()) != '\0';) {
            if (skippable(c))
                continue;
            if (hexDigit(c) < 0)
                return result;
            ++digits;
        }
    }
    if (digits / 2 > INT32_MAX - 1)
        return result;
    auto length = static_cast<int32_t>((digits + 1) / 2);
    uint8_t *data = nullptr;
    if (length > 0) {
        data = static_cast<uint8_t *>(zalloc(length));
        if (data == nullptr)
            return result;
        // With an odd count the first digit alone makes the first byte.
        bool high = digits % 2 == 0;
        int32_t at = 0;
        for (char c; (c = next()) != '\0';) {
            if (skippable(c))
                continue;
            int d = hexDigit(c);
            if (high) {
                data[at] = static_cast<uint8_t>(d << 4);
            } else {
                data[at] = static_cast<uint8_t>(data[at] | d);
                ++at;
            }
            high = !high;
        }
    }
    return adoptBytes(data, length);
}

} // namespace

extern "C" PELORN_API ScriptValue stringToBytearray(const char *text)
{
    const char *p = text;
    return parseHex([p]() mutable { return *p != '\0' ? *p++ : '\0'; });
}

extern "C" PELORN_API ScriptValue stringToBytearray2(const void *stringPayload)
{
    using Payload = decltype(ScriptValue::u.string);
    const auto *s = static_cast<const Payload *>(stringPayload);
    // Reads up to the total length, crossing segment ends.
    struct Reader {
        const StringChunk *segment;
        const char *at;
        uint32_t left;
        char operator()()
        {
            while (left > 0 && segment != nullptr) {
                if (at != nullptr && *at != '\0') {
                    --left;
                    return *at++;
                }
                segment = segment->next;
                at = segment != nullptr ? segment->text : nullptr;
            }
            return '\0';
        }
    };
    // Only a string with no character at all gives no value: blank text
    // has no digits and makes an empty byte array, as it does for a literal.
    if (s->length == 0)
        return pelorn::value::empty();
    return parseHex(Reader{&s->first, s->first.text, s->length});
}
