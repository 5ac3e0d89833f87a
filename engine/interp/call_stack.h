// The call-stack area of a script: every call of a routine with symbols
// takes a frame there, one value slot per symbol (its parameters and
// locals), which the routine's variable nodes address directly.
//
// A call of a routine with s symbols takes 80 * s + 8 bytes, the measure
// that fixes how deep scripts may recurse: s slots of 72 bytes, 8 bytes
// per symbol left unused, then the frame link. Open frames form a chain
// through their links, newest on top.
#pragma once

#include "interp/fast_values.h"
#include "interp/script.h"
#include "value/value.h"

#include <cstddef>
#include <cstdint>

namespace pelorn::interp {

// Closes a frame: where the previous open frame's link is (its offset in
// the area plus one; 0 when there is none) and how many slots this one has.
struct FrameLink {
    uint32_t previous;
    uint32_t slots;
};
static_assert(sizeof(FrameLink) == 8);

constexpr size_t kFrameBytesPerSymbol = 80;

inline size_t frameSize(uint32_t symbols) { return kFrameBytesPerSymbol * symbols + sizeof(FrameLink); }

// Every script call opens and closes a frame: both are inline.

// The empty slots of the next frame, on top of the area, not open yet:
// they may be filled first. Null when the frame would reach the end of
// the area.
inline ScriptValue *nextFrame(CallStackArea &area, uint32_t symbols)
{
    if (area.fill + frameSize(symbols) >= area.size)
        return nullptr;
    auto *slots = reinterpret_cast<ScriptValue *>(area.base + area.fill);
    for (uint32_t i = 0; i < symbols; ++i)
        value::clear(slots[i]);
    return slots;
}

// Opens the frame nextFrame gave.
inline void pushFrame(CallStackArea &area, uint32_t symbols)
{
    size_t size = frameSize(symbols);
    size_t linkOffset = area.fill + size - sizeof(FrameLink);
    auto *link = reinterpret_cast<FrameLink *>(area.base + linkOffset);
    link->previous = area.top;
    link->slots = symbols;
    area.top = static_cast<uint32_t>(linkOffset + 1);
    area.fill += size;
}

// Opens a frame of empty slots on top of the area. Null, with nothing
// done, when the frame would reach the end of the area.
inline ScriptValue *openFrame(CallStackArea &area, uint32_t symbols)
{
    ScriptValue *slots = nextFrame(area, symbols);
    if (slots != nullptr)
        pushFrame(area, symbols);
    return slots;
}

// Releases the values of the newest frame and gives its bytes back.
inline void closeFrame(CallStackArea &area, ScriptValue *slots, uint32_t symbols)
{
    for (uint32_t i = 0; i < symbols; ++i)
        drop(slots[i]);
    auto *link = reinterpret_cast<FrameLink *>(area.base + area.top - 1);
    area.top = link->previous;
    area.fill = static_cast<size_t>(reinterpret_cast<uint8_t *>(slots) - area.base);
}

// Releases the values of the frames still open (a failed run leaves them;
// their bytes stay taken, as the area's fill says).
void releaseOpenFrames(CallStackArea &area);

} // namespace pelorn::interp
