// The registry of readers as PC/SC lists them, and the current reader.
// Entries keep their relative order across refreshes; new readers are
// appended.
#include "card/registry.h"

#include "card/pcsc_context.h"
#include "card/reader_entry.h"

#include <PCSC/winscard.h>
#include <cstring>
#include <strings.h>

extern "C" {
PELORN_API ReaderEntry *g_readersList[PELORN_MAX_READERS];
PELORN_API uint32_t g_readersCount;
PELORN_API ReaderEntry *g_currentReader;
}

namespace pelorn::card {

namespace {

// The names of a PC/SC multi-string, ended by an empty name.
bool listed(const char *names, const char *name)
{
    for (const char *n = names; *n != '\0'; n += std::strlen(n) + 1)
        if (strcasecmp(n, name) == 0)
            return true;
    return false;
}

bool registered(const char *name)
{
    for (uint32_t i = 0; i < g_readersCount; ++i)
        if (strcasecmp(g_readersList[i]->name, name) == 0)
            return true;
    return false;
}

void releaseAll()
{
    for (uint32_t i = 0; i < g_readersCount; ++i) {
        release(g_readersList[i]);
        g_readersList[i] = nullptr;
    }
    g_readersCount = 0;
}

// Readers gone from the list leave the registry; the rest move down.
void removeUnlisted(const char *names)
{
    uint32_t kept = 0;
    for (uint32_t i = 0; i < g_readersCount; ++i) {
        ReaderEntry *entry = g_readersList[i];
        if (listed(names, entry->name))
            g_readersList[kept++] = entry;
        else
            release(entry);
    }
    for (uint32_t i = kept; i < g_readersCount; ++i)
        g_readersList[i] = nullptr;
    g_readersCount = kept;
}

// New readers are appended in list order; past the registry's room they
// are left out (pcsc-lite itself serves fewer readers than that).
void appendNew(const char *names)
{
    for (const char *n = names; *n != '\0'; n += std::strlen(n) + 1) {
        if (registered(n))
            continue;
        if (g_readersCount == PELORN_MAX_READERS)
            return;
        g_readersList[g_readersCount++] = createEntry(n);
    }
}

} // namespace

int32_t refreshRegistry()
{
    Context context;
    LONG rv = context.establish();
    if (rv != SCARD_S_SUCCESS)
        return static_cast<int32_t>(rv);
    char *names = nullptr;
    DWORD length = SCARD_AUTOALLOCATE;
    rv = SCardListReaders(context.get(), nullptr, reinterpret_cast<LPSTR>(&names), &length);
    if (rv == SCARD_E_NO_READERS_AVAILABLE) {
        releaseAll();
        return 0;
    }
    if (rv != SCARD_S_SUCCESS)
        return static_cast<int32_t>(rv);
    if (names != nullptr) {
        removeUnlisted(names);
        appendNew(names);
        SCardFreeMemory(context.get(), names);
    }
    return 0;
}

void disconnectAll()
{
    for (uint32_t i = 0; i < g_readersCount; ++i)
        if (g_readersList[i]->card != 0)
            closeConnection(g_readersList[i], SCARD_LEAVE_CARD);
    // A current reader that has left the system is no longer listed.
    if (g_currentReader != nullptr && g_currentReader->card != 0)
        closeConnection(g_currentReader, SCARD_LEAVE_CARD);
}

void releaseCurrentReader()
{
    ReaderEntry *entry = g_currentReader;
    g_currentReader = nullptr;
    release(entry);
}

void releaseRegistry()
{
    releaseAll();
    releaseCurrentReader();
}

void setCurrentReader(ReaderEntry *entry)
{
    if (entry == g_currentReader)
        return;
    retain(entry);
    ReaderEntry *previous = g_currentReader;
    g_currentReader = entry;
    release(previous);
}

} // namespace pelorn::card
