// Frames left open by failed runs.
#include "interp/call_stack.h"

#include "value/symbol_entries.h"

namespace pelorn::interp {

void releaseOpenFrames(CallStackArea &area)
{
    while (area.top != 0) {
        auto *link = reinterpret_cast<FrameLink *>(area.base + area.top - 1);
        // The slots start 80 * s bytes before the link.
        auto *slots = reinterpret_cast<ScriptValue *>(reinterpret_cast<uint8_t *>(link) -
                                                kFrameBytesPerSymbol * link->slots);
        for (uint32_t i = 0; i < link->slots; ++i)
            drop(slots[i]);
        area.top = link->previous;
    }
}

RoutineDefinition::~RoutineDefinition()
{
    delete body;
    value::releaseSymbolList(symbols);
}

} // namespace pelorn::interp
