// String chains: a string value is a chain of StringChunk segments so that
// concatenation links text instead of copying it.
#pragma once

#include "pelorn.h"

#include <cstdint>

namespace pelorn::value::chain {

using Payload = decltype(ScriptValue::u.string);

// Counts frees of chains of more than one segment (and releases through a
// value's own hook, which may free any). Caches of segment positions
// compare it to know that their pointers may be stale.
extern uint64_t segmentReleaseCount;

// The whole string as one new NUL-terminated zalloc block.
char *join(const Payload &s, uint32_t *length = nullptr);
// Makes destination's chain an independent duplicate of source's. False,
// with destination left empty, when memory ran out.
bool duplicate(const Payload &source, Payload &destination);
// Frees every text and every segment block after the first.
void free(Payload &s, BlockFreeFn freeBlock);
// Chain order: 1 when a orders before b, -1 after, 0 equal (bytes signed).
int compare(const Payload &a, const Payload &b);
// Copies up to count characters after skipping skip of them; the caller
// provides and terminates out.
void extract(const Payload &s, uint64_t skip, uint64_t count, char *out);
// The character at index, counted across segments; null past the end.
char *characterAt(const Payload &s, uint64_t index);
// Moves right's chain behind left's last segment without copying text:
// left takes ownership of right's segments; right is left empty.
void append(ScriptValue &left, ScriptValue &right);

} // namespace pelorn::value::chain
