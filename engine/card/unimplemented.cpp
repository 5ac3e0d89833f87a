// Placeholders for the card layer until it exists. A real definition
// elsewhere replaces its placeholder at link time; delete this file once
// the card layer is complete.
#include "card/registry.h"
#include "pelorn.h"

namespace pelorn::card {
__attribute__((weak)) int32_t refreshRegistry() { return 0; }
__attribute__((weak)) void disconnectAll() {}
__attribute__((weak)) void releaseCurrentReader() {}
__attribute__((weak)) void releaseRegistry() {}
} // namespace pelorn::card

extern "C" {
__attribute__((weak)) PELORN_API ReaderEntry *g_readersList[PELORN_MAX_READERS];
__attribute__((weak)) PELORN_API uint32_t g_readersCount;
__attribute__((weak)) PELORN_API ReaderEntry *g_currentReader;
__attribute__((weak)) PELORN_API char *GetErrorMessage(uint32_t) { return nullptr; }
__attribute__((weak)) PELORN_API void PerformCardWait(SCARDCONTEXT, SCARD_READERSTATE *, ScriptValue *) {}
__attribute__((weak)) PELORN_API void StopCardWait(void) {}
__attribute__((weak)) PELORN_API CardWaitFn SetExternCardWaitFn(CardWaitFn fn) { return fn; }
}
