// Saving and restoring routine variables in the call-stack area.
#include "interp/call_stack.h"

#include "front/symbols.h"
#include "interp/fast_values.h"
#include "value/value.h"

namespace pelorn::interp {

namespace {

FrameLink *previousOf(FrameLink *link)
{
    if (link->distanceToPrevious == 0)
        return nullptr;
    return reinterpret_cast<FrameLink *>(reinterpret_cast<uint8_t *>(link) - link->distanceToPrevious);
}

} // namespace

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
