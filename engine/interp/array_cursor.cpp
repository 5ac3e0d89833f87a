// The cache of positions in array chains.
//
// An entry is valid while no array chain has been freed since it was made
// (value::arrayReleaseCount): a chain that is still alive is the only one
// that can start at its head's address, and chains only grow at the end,
// through append() below, which keeps the entries up to date.
#include "interp/array_cursor.h"

#include "interp/fast_values.h"
#include "value/value.h"

namespace pelorn::interp::arrays {

namespace {

// Chains remembered at once: a loop seldom works on more arrays than this.
constexpr int kCursorCount = 4;
constexpr uint64_t kUnknown = UINT64_MAX;

struct Cursor {
    const ArrayElement *head = nullptr;
    uint64_t releases = 0;
    uint64_t index = 0;            // position of `element`
    ArrayElement *element = nullptr;
    uint64_t count = kUnknown;     // elements in the chain, when known
    ArrayElement *tail = nullptr;  // last element, when count is known
};

Cursor cursors[kCursorCount];
int nextVictim = 0;

Cursor *find(const ArrayElement *head)
{
    for (Cursor &c : cursors)
        if (c.head == head && c.releases == value::arrayReleaseCount)
            return &c;
    return nullptr;
}

Cursor &claim(ArrayElement *head)
{
    Cursor &c = cursors[nextVictim];
    nextVictim = (nextVictim + 1) % kCursorCount;
    c = Cursor{head, value::arrayReleaseCount, 0, head, kUnknown, nullptr};
    return c;
}

Cursor &cursorFor(ArrayElement *head)
{
    Cursor *c = find(head);
    return c != nullptr ? *c : claim(head);
}

// Walks to the end from the cursor's position and records the count.
void measure(Cursor &c)
{
    if (c.count != kUnknown)
        return;
    ArrayElement *e = c.element;
    uint64_t i = c.index;
    while (e->next != nullptr) {
        e = e->next;
        ++i;
    }
    c.count = i + 1;
    c.tail = e;
}

} // namespace

ArrayElement *elementAt(const ScriptValue &array, uint64_t index)
{
    ArrayElement *head = array.u.array;
    if (head == nullptr)
        return nullptr;
    Cursor &c = cursorFor(head);
    if (c.count != kUnknown && index >= c.count)
        return nullptr;
    if (c.count != kUnknown && index == c.count - 1)
        return c.tail;
    ArrayElement *e = c.element;
    uint64_t i = c.index;
    if (index < i) {
        e = head;
        i = 0;
    }
    while (i < index) {
        if (e->next == nullptr) { // past the end: now the count is known
            c.count = i + 1;
            c.tail = e;
            c.index = i;
            c.element = e;
            return nullptr;
        }
        e = e->next;
        ++i;
    }
    c.index = i;
    c.element = e;
    return e;
}

uint64_t length(const ScriptValue &array)
{
    ArrayElement *head = array.u.array;
    if (head == nullptr)
        return 0;
    Cursor &c = cursorFor(head);
    measure(c);
    return c.count;
}

void append(ScriptValue &array, ArrayElement *first, ArrayElement *last, uint64_t count)
{
    if (first == nullptr)
        return;
    ArrayElement *head = array.u.array;
    if (head == nullptr) {
        array.u.array = first;
        return;
    }
    Cursor &c = cursorFor(head);
    measure(c);
    c.tail->next = first;
    c.tail = last;
    c.count += count;
}

} // namespace pelorn::interp::arrays

namespace pelorn::interp::arrays {

void appendAll(ScriptValue &array, ScriptValue &other)
{
    ArrayElement *first = other.u.array;
    other.u.array = nullptr;
    drop(other);
    if (first == nullptr)
        return;
    ArrayElement *last = first;
    uint64_t count = 1;
    for (; last->next != nullptr; last = last->next)
        ++count;
    append(array, first, last, count);
}

} // namespace pelorn::interp::arrays
