// Saving and restoring routine variables in the call-stack area.
#include "interp/call_stack.h"

#include "front/symbols.h"
#include "interp/fast_values.h"
#include "value/value.h"

namespace pelorn::interp {

namespace {

SavedVariable *savedOf(FrameLink *link, const RoutineDefinition &routine)
{
    return reinterpret_cast<SavedVariable *>(link) - routine.symbolCount;
}

FrameLink *previousOf(FrameLink *link)
{
    if (link->distanceToPrevious == 0)
        return nullptr;
    return reinterpret_cast<FrameLink *>(reinterpret_cast<uint8_t *>(link) - link->distanceToPrevious);
}

} // namespace

bool openFrame(CallStackArea &area, RoutineDefinition &routine)
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

void closeFrame(CallStackArea &area, RoutineDefinition &routine)
{
    auto *link = static_cast<FrameLink *>(routine.frames);
    SavedVariable *saved = savedOf(link, routine);
    for (SymbolEntry *symbol = routine.symbols; symbol != nullptr; symbol = symbol->next, ++saved) {
        if (symbol->kind != PELORN_SYM_VARIABLE)
            continue;
        drop(symbol->c.value);
        symbol->c.value = saved->value;
    }
    routine.frames = previousOf(link);
    area.fill = static_cast<size_t>(reinterpret_cast<uint8_t *>(savedOf(link, routine)) - area.base);
}

void releaseOpenFrames(RoutineDefinition &routine)
{
    for (auto *link = static_cast<FrameLink *>(routine.frames); link != nullptr; link = previousOf(link)) {
        SavedVariable *saved = savedOf(link, routine);
        for (uint32_t i = 0; i < routine.symbolCount; ++i)
            drop(saved[i].value);
    }
    routine.frames = nullptr;
}

RoutineDefinition::~RoutineDefinition()
{
    releaseOpenFrames(*this);
    delete body;
    front::releaseSymbolList(symbols);
}

} // namespace pelorn::interp
