// The two forms of an array's elements.
//
// Modules and hosts read and build the public form: the chain of
// ArrayElement blocks of pelorn.h. Inside the engine an array is a vector:
// one block holding its length, its capacity and the element records side
// by side, so that appending, indexing and counting cost one step. Such a
// value's `u.array` holds the vector's address with its lowest bit set;
// ArrayElement blocks are 8-byte aligned, so no chain's head has that bit.
// Null is the empty array in both forms.
//
// Every operation below accepts both forms. Only an array whose hooks are
// the engine's defaults (isPlain) may become a vector: one with hooks of a
// module's is read by that module, and stays a chain. A chain never holds
// a vector, at any depth; so a value reaches the public form by
// publish(), which stops at the first chain it meets.
#pragma once

#include "pelorn.h"

#include <cstdint>
#include <cstring>

namespace pelorn::value::arrays {

struct Vector {
    uint64_t length;
    uint64_t capacity;
    // The element records follow the header.
    ScriptValue *items() { return reinterpret_cast<ScriptValue *>(this + 1); }
};

inline bool isVector(const ScriptValue &array)
{
    return (reinterpret_cast<uintptr_t>(array.u.array) & 1) != 0;
}

inline Vector *vectorOf(const ScriptValue &array)
{
    return reinterpret_cast<Vector *>(reinterpret_cast<uintptr_t>(array.u.array) & ~uintptr_t{1});
}

// An array with the engine's hooks only: its elements may be a vector.
bool isPlain(const ScriptValue &array);

// The number of elements; a chain is counted.
uint64_t length(const ScriptValue &array);

// The element at index (0-based), or null past the end; a chain is walked.
ScriptValue *at(const ScriptValue &array, uint64_t index);

// Calls visit(element) for each element in order while it answers true;
// false when it stopped early.
template <typename Visit>
bool everyElement(const ScriptValue &array, Visit visit)
{
    if (isVector(array)) {
        Vector *v = vectorOf(array);
        for (uint64_t i = 0; i < v->length; ++i)
            if (!visit(v->items()[i]))
                return false;
        return true;
    }
    for (ArrayElement *e = array.u.array; e != nullptr; e = e->next)
        if (!visit(e->value))
            return false;
    return true;
}

// Turns a plain array's chain into a vector with room for `extra` more
// elements (a vector only grows to make that room). False when memory ran
// out: the array is unchanged. Arrays that are not plain are left alone.
bool own(ScriptValue &array, uint64_t extra = 0);

// push() when the array is not a vector with room to spare.
bool pushGrowing(ScriptValue &array, ScriptValue &item);

// Moves item behind the last element (item is left empty). An array that
// is not plain gets a chain element holding item in the public form. False
// when memory ran out (the message is the caller's): item is not taken.
inline bool push(ScriptValue &array, ScriptValue &item)
{
    Vector *v = vectorOf(array);
    if (!isVector(array) || v->length == v->capacity)
        return pushGrowing(array, item);
    v->items()[v->length++] = item;
    std::memset(&item, 0, sizeof item);
    return true;
}

// Links item behind a chain's last element where the chain is (item is
// left empty, in the public form): for a chain that must stay one, as a
// module's variable. False when memory ran out: item is not taken.
bool pushToChain(ScriptValue &array, ScriptValue &item);

// Moves every element of `other`, a plain array, behind the plain array's
// last one; other is left an empty array. False when memory ran out: both
// are unchanged.
bool takeAll(ScriptValue &array, ScriptValue &other);

// Appends a copy of each of other's elements, for an `other` whose
// elements cannot change hands. False (after the message "Not enough
// memory to copy the value.") when a copy failed; what was appended stays.
bool appendCopies(ScriptValue &array, const ScriptValue &other);

// Releases every element and the storage; the array is left empty.
void releaseElements(ScriptValue &array);

// Fills destination's payload with copies of source's elements: a vector
// for a plain source, a chain in the public form otherwise. False (after
// the copy's message) when a copy failed; destination then holds nothing.
bool copyElements(const ScriptValue &source, ScriptValue &destination);

// Puts every array in the value, at any depth, in the public form, for a
// module or host to read. False (after the message "Not enough memory to
// copy the value.") when memory ran out: the value stays whole, partly in
// the engine's form.
bool publish(ScriptValue &value);

} // namespace pelorn::value::arrays
