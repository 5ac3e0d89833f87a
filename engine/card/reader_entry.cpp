// Reader entries live as long as any reference: the registry's, the
// current-reader link's or a script value's.
#include "card/reader_entry.h"

#include <PCSC/winscard.h>
#include <atomic>
#include <cstring>

namespace pelorn::card {

namespace {

std::atomic_ref<int32_t> referenceCount(ReaderEntry *entry) { return std::atomic_ref<int32_t>(entry->referenceCount); }

} // namespace

ReaderEntry *createEntry(const char *name)
{
    auto *entry = static_cast<ReaderEntry *>(zalloc(sizeof(ReaderEntry)));
    entry->name = zstrdup(name);
    // zalloc adds the one spare byte past the usable size.
    entry->receiveBuffer = static_cast<uint8_t *>(zalloc(kReceiveBufferSize));
    entry->receiveBufferSize = kReceiveBufferSize;
    entry->referenceCount = 1;
    return entry;
}

void retain(ReaderEntry *entry) { referenceCount(entry).fetch_add(1); }

void release(ReaderEntry *entry)
{
    if (entry == nullptr || referenceCount(entry).fetch_sub(1) != 1)
        return;
    zfree(entry->name);
    zfree(entry->receiveBuffer);
    closeConnection(entry, SCARD_LEAVE_CARD);
    std::memset(entry, 0, sizeof *entry);
    zfree(entry);
}

void closeConnection(ReaderEntry *entry, DWORD disposition)
{
    if (entry->card != 0) {
        if (entry->locked != 0)
            SCardEndTransaction(entry->card, SCARD_LEAVE_CARD);
        SCardDisconnect(entry->card, disposition);
    }
    if (entry->context != 0)
        SCardReleaseContext(entry->context);
    entry->card = 0;
    entry->context = 0;
    entry->locked = 0;
}

} // namespace pelorn::card
