// The call-stack area of a script: where a routine call saves the values
// its routine's variables held, so that each call gets fresh parameters
// and locals, and gives them back when the call ends.
//
// A call of a routine with s symbols takes 80 * s + 8 bytes: one saved
// variable per symbol, then a frame link. A routine's active calls form a
// chain through the links, newest first, headed by RoutineDefinition::frames.
#pragma once

#include "interp/fast_values.h"
#include "interp/script.h"
#include "value/value.h"

#include <cstddef>
#include <cstdint>

namespace pelorn::interp {

// A symbol's value as it was before the call, and the symbol it belongs to.
struct SavedVariable {
    ScriptValue value;
    SymbolEntry *symbol;
};
static_assert(sizeof(SavedVariable) == 80);

// Closes a frame: the distance back to the routine's previous frame link
// (0 when there is none). The saved variables lie just before the link.
struct FrameLink {
    uint64_t distanceToPrevious;
};
static_assert(sizeof(FrameLink) == 8);

inline size_t frameSize(uint32_t symbols) { return sizeof(SavedVariable) * symbols + sizeof(FrameLink); }

inline SavedVariable *savedOf(FrameLink *link, const RoutineDefinition &routine)
{
    return reinterpret_cast<SavedVariable *>(link) - routine.symbolCount;
}

// Every script call opens and closes a frame: both are inline.

// Saves the routine's variables (each symbol is left without a value) and
// links the frame as the routine's newest. False, with nothing moved, when
// the frame would reach the end of the area.
inline bool openFrame(CallStackArea &area, RoutineDefinition &routine)
{
    size_t size = frameSize(routine.symbolCount);
    if (area.fill + size >= area.size)
        return false;
    auto *saved = reinterpret_cast<SavedVariable *>(area.base + area.fill);
    for (SymbolEntry *symbol = routine.symbols; symbol != nullptr; symbol = symbol->next, ++saved) {
        saved->symbol = symbol;
        if (symbol->kind == PELORN_SYM_VARIABLE) {
            saved->value = symbol->c.value;
            value::clear(symbol->c.value);
        } else {
            value::clear(saved->value);
        }
    }
    auto *link = reinterpret_cast<FrameLink *>(saved);
    auto *previous = static_cast<uint8_t *>(routine.frames);
    link->distanceToPrevious = previous != nullptr ? static_cast<uint64_t>(reinterpret_cast<uint8_t *>(link) - previous) : 0;
    routine.frames = link;
    area.fill += size;
    return true;
}

// Gives the routine's variables back the values its newest frame saved
// (their current values are released), unlinks the frame and returns its
// bytes to the area.
inline void closeFrame(CallStackArea &area, RoutineDefinition &routine)
{
    auto *link = static_cast<FrameLink *>(routine.frames);
    SavedVariable *first = savedOf(link, routine);
    SavedVariable *saved = first;
    for (SymbolEntry *symbol = routine.symbols; symbol != nullptr; symbol = symbol->next, ++saved) {
        if (symbol->kind != PELORN_SYM_VARIABLE)
            continue;
        drop(symbol->c.value);
        symbol->c.value = saved->value;
    }
    routine.frames = link->distanceToPrevious == 0 ? nullptr : reinterpret_cast<uint8_t *>(link) - link->distanceToPrevious;
    area.fill = static_cast<size_t>(reinterpret_cast<uint8_t *>(first) - area.base);
}
// Releases the values saved in frames still open (a failed run leaves them).
void releaseOpenFrames(RoutineDefinition &routine);

} // namespace pelorn::interp
