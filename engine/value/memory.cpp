// The exported heap and text helpers. Every payload block of a value comes
// from here, so the engine and extension modules can free each other's blocks.
#include "pelorn.h"

#include <cstdlib>
#include <cstring>

extern "C" {

PELORN_API void *zalloc(int32_t size)
{
    if (size < 0)
        return nullptr;
    // One spare byte past the requested size: texts built in the block
    // always have room for their terminating NUL.
    return std::calloc(static_cast<size_t>(size) + 1, 1);
}

PELORN_API void zfree(void *block)
{
    std::free(block);
}

PELORN_API char *zstrdup2(const char *text, int32_t *length)
{
    size_t n = std::strlen(text);
    auto *copy = static_cast<char *>(std::malloc(n + 2));
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, text, n + 1);
    copy[n + 1] = '\0';
    if (length != nullptr)
        *length = static_cast<int32_t>(n);
    return copy;
}

PELORN_API char *zstrdup(const char *text)
{
    return zstrdup2(text, nullptr);
}

PELORN_API void htoa(char *out, const uint8_t *data, uint32_t count, int32_t spaced)
{
    static const char digits[] = "0123456789ABCDEF";
    for (uint32_t i = 0; i < count; ++i) {
        *out++ = digits[data[i] >> 4];
        *out++ = digits[data[i] & 0x0F];
        if (spaced != 0)
            *out++ = ' ';
    }
    *out = '\0';
}

} // extern "C"
