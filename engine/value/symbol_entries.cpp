// SymbolEntry records: names and release.
#include "value/symbol_entries.h"

#include "value/value.h"

#include <cstring>

#include <strings.h>

namespace pelorn::value {

const char *entryName(const SymbolEntry &entry)
{
    return entry.kind == PELORN_SYM_ROUTINE ? entry.b.name : entry.a.name;
}

bool nameMatches(const SymbolEntry &entry, const char *name)
{
    const char *own = entryName(entry);
    if (own == nullptr)
        return false;
    if (entry.kind == PELORN_SYM_VARIABLE)
        return std::strcmp(own, name) == 0;
    return strcasecmp(own, name) == 0;
}

void releaseSymbolList(SymbolEntry *head)
{
    while (head != nullptr) {
        SymbolEntry *next = head->next;
        if (head->kind == PELORN_SYM_ROUTINE) {
            zfree(head->b.name);
        } else {
            zfree(head->a.name);
            if (head->kind == PELORN_SYM_VARIABLE)
                release(head->c.value);
        }
        zfree(head);
        head = next;
    }
}

} // namespace pelorn::value
