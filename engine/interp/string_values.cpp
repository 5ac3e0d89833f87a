// Concatenation of string chains.
//
// A chain has no tail pointer, so linking behind it means walking it; a
// loop that appends to one string would walk ever longer chains. The last
// segment of a few recently extended chains is remembered, keyed by the
// chain's second segment (a heap block, unlike the first, which moves
// with its value). An entry holds while no multi-segment chain has been
// freed since (chain::segmentReleaseCount); chains only grow at the end,
// so a remembered segment stays in its chain and the walk goes on from it.
#include "interp/string_values.h"

#include "interp/fast_values.h"
#include "value/chain.h"
#include "value/value.h"

namespace pelorn::interp {

namespace {

// Strings remembered at once: a loop seldom builds more strings than this.
constexpr int kTailCount = 4;

struct Tail {
    const StringChunk *second = nullptr;
    StringChunk *last = nullptr;
    uint64_t releases = 0;
};

Tail tails[kTailCount];
int nextVictim = 0;

Tail *find(const StringChunk *second)
{
    for (Tail &t : tails)
        if (t.second == second && t.releases == value::chain::segmentReleaseCount)
            return &t;
    return nullptr;
}

StringChunk *lastSegment(ScriptValue &s)
{
    StringChunk *second = s.u.string.first.next;
    if (second == nullptr)
        return &s.u.string.first;
    Tail *t = find(second);
    StringChunk *last = t != nullptr ? t->last : second;
    while (last->next != nullptr)
        last = last->next;
    if (t == nullptr) {
        t = &tails[nextVictim];
        nextVictim = (nextVictim + 1) % kTailCount;
        *t = Tail{second, last, value::chain::segmentReleaseCount};
    }
    t->last = last;
    return last;
}

} // namespace

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
