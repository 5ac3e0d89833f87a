// Concatenation of string chains, and characters found in them.
//
// A chain has no tail pointer and no index, so linking behind it or
// finding its n-th character means walking it; a loop that appends to one
// string, or reads it character by character, would walk ever longer
// chains. A few recently used chains are remembered with their last
// segment and the segment last read, keyed by the chain's second segment
// (a heap block, unlike the first, which moves with its value). An entry
// holds while no multi-segment chain has been freed since and no character
// was set to 0 (chain::segmentReleaseCount); chains only grow at the end,
// so a remembered segment stays in its chain, at the same position.
#include "interp/string_values.h"

#include "interp/fast_values.h"
#include "value/chain.h"
#include "value/value.h"

#include <cstdlib>
#include <cstring>

namespace pelorn::interp {

namespace {

// Chains remembered at once: a loop seldom works on more strings than this.
constexpr int kRememberedCount = 4;

struct Remembered {
    const StringChunk *second = nullptr;
    uint64_t releases = 0;
    StringChunk *last = nullptr;   // the chain's last segment
    StringChunk *segment = nullptr; // a heap segment read last ...
    uint64_t start = 0;             // ... and the index of its first character
    // The text block of the last segment when appendInPlace made it, so
    // that further appends fill it instead of linking a segment each.
    char *room = nullptr;
    size_t used = 0;     // characters in it
    size_t capacity = 0; // bytes of the block, the NUL included
};

Remembered chains[kRememberedCount];
int nextVictim = 0;

// The entry of the chain whose second segment is given (made if needed).
Remembered &entryFor(StringChunk *second)
{
    for (Remembered &r : chains)
        if (r.second == second && r.releases == value::chain::segmentReleaseCount)
            return r;
    Remembered &r = chains[nextVictim];
    nextVictim = (nextVictim + 1) % kRememberedCount;
    r = Remembered{second, value::chain::segmentReleaseCount, second, nullptr, 0, nullptr, 0, 0};
    return r;
}

StringChunk *lastSegment(ScriptValue &s)
{
    StringChunk *second = s.u.string.first.next;
    if (second == nullptr)
        return &s.u.string.first;
    Remembered &r = entryFor(second);
    while (r.last->next != nullptr)
        r.last = r.last->next;
    return r.last;
}

size_t textLength(const StringChunk *c) { return c->text != nullptr ? std::strlen(c->text) : 0; }

} // namespace

char *characterAt(ScriptValue &s, uint64_t index)
{
    StringChunk *first = &s.u.string.first;
    size_t n = textLength(first);
    if (index < n)
        return first->text + index;
    if (first->next == nullptr)
        return nullptr;
    Remembered &r = entryFor(first->next);
    StringChunk *segment = first->next;
    uint64_t start = n;
    if (r.segment != nullptr && r.start <= index) {
        segment = r.segment;
        start = r.start;
    }
    for (; segment != nullptr; segment = segment->next) {
        n = textLength(segment);
        if (index < start + n) {
            r.segment = segment;
            r.start = start;
            return segment->text + (index - start);
        }
        start += n;
    }
    return nullptr;
}

void forgetPositions() { ++value::chain::segmentReleaseCount; }

void adoptAsEngineString(ScriptValue &s)
{
    if (s.freeBlock == nullptr && s.release == nullptr && s.copy == nullptr)
        return;
    uint32_t length = 0;
    char *text = value::chain::join(s.u.string, &length);
    GetPropertyFn get = s.getProperty;
    SetPropertyFn set = s.setProperty;
    drop(s);
    s = value::adoptString(text, length);
    s.getProperty = get;
    s.setProperty = set;
}

namespace {

int64_t joinedLength(const ScriptValue &v)
{
    switch (v.type) {
    case PELORN_STRING:
        return v.u.string.length;
    case PELORN_BYTEARRAY:
        return v.u.bytes.length;
    case PELORN_INTEGER:
        return 1;
    default:
        return 0;
    }
}

} // namespace

bool joinedLengthFits(const ScriptValue &left, const ScriptValue &right)
{
    return joinedLength(left) + joinedLength(right) <= INT32_MAX;
}

void concatenate(ScriptValue &left, ScriptValue &right)
{
    adoptAsEngineString(left);
    adoptAsEngineString(right);
    auto &l = left.u.string;
    auto &r = right.u.string;
    if (l.first.text == nullptr && l.first.next == nullptr) {
        l.first = r.first;
    } else {
        // A new segment holds the right chain's head; the rest follows it.
        auto *segment = static_cast<StringChunk *>(zalloc(sizeof(StringChunk)));
        *segment = r.first;
        lastSegment(left)->next = segment;
        lastSegment(left); // remember the new end
    }
    l.length += r.length;
    value::clear(right);
}

} // namespace pelorn::interp

namespace pelorn::interp {

namespace {

// A segment's block grows to twice what it must hold, so that appending
// n pieces copies O(n) characters in all.
constexpr size_t kGrowthFactor = 2;

size_t chainTextLength(const StringChunk *from)
{
    size_t n = 0;
    for (const StringChunk *c = from; c != nullptr; c = c->next)
        n += textLength(c);
    return n;
}

// Copies the n characters of the segments of `from` behind the `used`
// characters of r's room, growing the block first when needed; the room
// stays terminated. False, with nothing changed, when the block could not
// grow.
bool fillRoom(Remembered &r, const StringChunk *from, size_t n)
{
    if (r.used + n + 1 > r.capacity) {
        size_t capacity = kGrowthFactor * (r.used + n + 1);
        auto *grown = static_cast<char *>(std::realloc(r.room, capacity));
        if (grown == nullptr)
            return false;
        r.room = grown;
        r.capacity = capacity;
        r.last->text = grown;
    }
    if (from->next == nullptr) { // one segment, the usual piece: n is its length
        if (n > 0)
            std::memcpy(r.room + r.used, from->text, n);
        r.used += n;
    } else {
        for (const StringChunk *c = from; c != nullptr; c = c->next) {
            size_t length = textLength(c);
            if (length > 0)
                std::memcpy(r.room + r.used, c->text, length);
            r.used += length;
        }
    }
    r.room[r.used] = '\0';
    return true;
}

} // namespace

bool appendInPlace(ScriptValue &left, const ScriptValue &right)
{
    auto &l = left.u.string;
    const StringChunk *pieces = &right.u.string.first;
    size_t n = chainTextLength(pieces);
    StringChunk *second = l.first.next;
    if (second != nullptr) {
        Remembered &r = entryFor(second);
        StringChunk *last = lastSegment(left);
        if (r.room != nullptr && r.last == last && last->text == r.room) {
            if (!fillRoom(r, pieces, n))
                return false;
            l.length += right.u.string.length;
            return true;
        }
    }
    // A new last segment whose block fits the text exactly: it grows only
    // when this chain is appended to again.
    auto *segment = static_cast<StringChunk *>(zalloc(sizeof(StringChunk)));
    char *text = static_cast<char *>(std::malloc(n + 1));
    if (segment == nullptr || text == nullptr) {
        zfree(segment);
        std::free(text);
        return false;
    }
    segment->text = text;
    segment->next = nullptr;
    lastSegment(left)->next = segment;
    Remembered &r = entryFor(l.first.next);
    r.last = segment;
    r.room = text;
    r.used = 0;
    r.capacity = n + 1;
    fillRoom(r, pieces, n); // fits: nothing to grow
    l.length += right.u.string.length;
    return true;
}

} // namespace pelorn::interp
