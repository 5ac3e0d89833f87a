// Arrays as vectors inside the engine, chains outside it.
#include "value/arrays.h"

#include "api/channels.h"
#include "value/messages.h"
#include "value/value.h"

#include <cstdlib>
#include <cstring>

namespace pelorn::value::arrays {

namespace {

// The room a vector starts with: appends to a small array do not realloc
// at every step.
constexpr uint64_t kFirstCapacity = 4;
// A vector's block size must fit in size_t with room to double.
constexpr uint64_t kMaxCapacity = (SIZE_MAX / 2 - sizeof(Vector)) / sizeof(ScriptValue);

void setVector(ScriptValue &array, Vector *v)
{
    array.u.array = reinterpret_cast<ArrayElement *>(reinterpret_cast<uintptr_t>(v) | 1);
}

// A vector block with room for `capacity` elements, holding none; null
// when memory ran out.
Vector *newVector(uint64_t capacity)
{
    if (capacity > kMaxCapacity)
        return nullptr;
    auto *v = static_cast<Vector *>(std::malloc(sizeof(Vector) + capacity * sizeof(ScriptValue)));
    if (v != nullptr) {
        v->length = 0;
        v->capacity = capacity;
    }
    return v;
}

// Makes room for `extra` more elements in a vector-form array, growing it
// geometrically.
bool makeRoom(ScriptValue &array, uint64_t extra)
{
    Vector *v = vectorOf(array);
    if (extra <= v->capacity - v->length)
        return true;
    if (extra > kMaxCapacity - v->length)
        return false;
    uint64_t wanted = v->length + extra;
    uint64_t capacity = v->capacity * 2 > wanted ? v->capacity * 2 : wanted;
    if (capacity > kMaxCapacity)
        capacity = wanted;
    auto *grown = static_cast<Vector *>(std::realloc(v, sizeof(Vector) + capacity * sizeof(ScriptValue)));
    if (grown == nullptr)
        return false;
    grown->capacity = capacity;
    setVector(array, grown);
    return true;
}

uint64_t chainLength(const ArrayElement *e)
{
    uint64_t n = 0;
    for (; e != nullptr; e = e->next)
        ++n;
    return n;
}

// Frees a chain's blocks, not the values they held.
void freeBlocks(ArrayElement *e)
{
    while (e != nullptr) {
        ArrayElement *next = e->next;
        zfree(e);
        e = next;
    }
}

// publish() without its message.
bool toChain(ScriptValue &value)
{
    if (value.type != PELORN_ARRAY || !isVector(value))
        return true;
    Vector *v = vectorOf(value);
    for (uint64_t i = 0; i < v->length; ++i)
        if (!toChain(v->items()[i]))
            return false;
    // Every block first, so that running out leaves the vector whole.
    ArrayElement *head = nullptr;
    ArrayElement **tail = &head;
    // Blocks for zfree like every chain's; each field is written below.
    for (uint64_t i = 0; i < v->length; ++i) {
        auto *element = static_cast<ArrayElement *>(std::malloc(sizeof(ArrayElement)));
        if (element == nullptr) {
            *tail = nullptr;
            freeBlocks(head);
            return false;
        }
        *tail = element;
        tail = &element->next;
    }
    *tail = nullptr;
    ArrayElement *e = head;
    for (uint64_t i = 0; i < v->length; ++i, e = e->next)
        e->value = v->items()[i];
    std::free(v);
    value.u.array = head;
    return true;
}

} // namespace

bool isPlain(const ScriptValue &array)
{
    return array.release == nullptr && array.copy == nullptr &&
           (array.getProperty == nullptr || array.getProperty == GetField) &&
           (array.setProperty == nullptr || array.setProperty == SetField);
}

uint64_t length(const ScriptValue &array)
{
    return isVector(array) ? vectorOf(array)->length : chainLength(array.u.array);
}

ScriptValue *at(const ScriptValue &array, uint64_t index)
{
    if (isVector(array)) {
        Vector *v = vectorOf(array);
        return index < v->length ? &v->items()[index] : nullptr;
    }
    ArrayElement *e = array.u.array;
    for (; e != nullptr && index > 0; --index)
        e = e->next;
    return e != nullptr ? &e->value : nullptr;
}

bool own(ScriptValue &array, uint64_t extra)
{
    if (isVector(array))
        return makeRoom(array, extra);
    if (!isPlain(array) || (array.u.array == nullptr && extra == 0)) // the empty array needs no block
        return true;
    uint64_t n = chainLength(array.u.array);
    if (extra > kMaxCapacity - n)
        return false;
    uint64_t capacity = n + extra;
    Vector *v = newVector(capacity > kFirstCapacity ? capacity : kFirstCapacity);
    if (v == nullptr)
        return false;
    ScriptValue *item = v->items();
    for (const ArrayElement *e = array.u.array; e != nullptr; e = e->next)
        *item++ = e->value;
    v->length = n;
    freeBlocks(array.u.array);
    setVector(array, v);
    return true;
}

bool pushGrowing(ScriptValue &array, ScriptValue &item)
{
    if (isPlain(array)) {
        if (!own(array, 1))
            return false;
        Vector *v = vectorOf(array);
        v->items()[v->length++] = item;
        clear(item);
        return true;
    }
    return pushToChain(array, item);
}

bool pushToChain(ScriptValue &array, ScriptValue &item)
{
    if (!toChain(item))
        return false;
    auto *element = static_cast<ArrayElement *>(zalloc(sizeof(ArrayElement)));
    if (element == nullptr)
        return false;
    ArrayElement **tail = &array.u.array;
    while (*tail != nullptr)
        tail = &(*tail)->next;
    element->value = item;
    *tail = element;
    clear(item);
    return true;
}

bool takeAll(ScriptValue &array, ScriptValue &other)
{
    uint64_t n = length(other);
    if (n == 0)
        return true;
    if (array.u.array == nullptr && isVector(other)) { // the whole vector changes hands
        array.u.array = other.u.array;
        other.u.array = nullptr;
        return true;
    }
    if (!own(array, n))
        return false;
    Vector *v = vectorOf(array);
    ScriptValue *item = v->items() + v->length;
    everyElement(other, [&item](ScriptValue &e) {
        *item++ = e;
        return true;
    });
    v->length += n;
    if (isVector(other))
        std::free(vectorOf(other));
    else
        freeBlocks(other.u.array);
    other.u.array = nullptr;
    return true;
}

bool appendCopies(ScriptValue &array, const ScriptValue &other)
{
    return everyElement(other, [&array](const ScriptValue &e) {
        ScriptValue element = empty();
        if (!copy(e, element))
            return false;
        if (push(array, element))
            return true;
        release(element);
        api::WriteMessage("%s", messages::kNotEnoughMemoryToCopy);
        return false;
    });
}

void releaseElements(ScriptValue &array)
{
    if (isVector(array)) {
        Vector *v = vectorOf(array);
        for (uint64_t i = 0; i < v->length; ++i)
            release(v->items()[i]);
        std::free(v);
    } else {
        ArrayElement *e = array.u.array;
        while (e != nullptr) {
            ArrayElement *next = e->next;
            release(e->value);
            zfree(e);
            e = next;
        }
    }
    array.u.array = nullptr;
}

bool copyElements(const ScriptValue &source, ScriptValue &destination)
{
    destination.u.array = nullptr;
    uint64_t n = length(source);
    if (n == 0)
        return true;
    bool plain = isPlain(source);
    ScriptValue partial = makeEmptyArray();
    if (plain) {
        Vector *v = newVector(n);
        if (v == nullptr) {
            api::WriteMessage("%s", messages::kNotEnoughMemoryToCopy);
            return false;
        }
        setVector(partial, v);
    }
    ArrayElement **tail = &partial.u.array;
    bool complete = everyElement(source, [&](const ScriptValue &e) {
        if (plain) {
            Vector *v = vectorOf(partial);
            ScriptValue &item = v->items()[v->length++];
            clear(item);
            return copy(e, item);
        }
        auto *element = static_cast<ArrayElement *>(zalloc(sizeof(ArrayElement)));
        if (element == nullptr) {
            api::WriteMessage("%s", messages::kNotEnoughMemoryToCopy);
            return false;
        }
        *tail = element;
        tail = &element->next;
        if (!copy(e, element->value))
            return false;
        if (toChain(element->value))
            return true;
        api::WriteMessage("%s", messages::kNotEnoughMemoryToCopy);
        return false;
    });
    if (!complete) {
        releaseElements(partial);
        return false;
    }
    destination.u.array = partial.u.array;
    return true;
}

bool publish(ScriptValue &value)
{
    if (toChain(value))
        return true;
    api::WriteMessage("%s", messages::kNotEnoughMemoryToCopy);
    return false;
}

} // namespace pelorn::value::arrays
