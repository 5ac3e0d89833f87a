// Positions in array element chains. An array is a singly linked chain, so
// reaching element i or the end costs a walk; the interpreter remembers
// where it last was in a few recently used chains, which makes loops that
// read an array in order, or append to it, cost one step per iteration.
#pragma once

#include "pelorn.h"

#include <cstdint>

namespace pelorn::interp::arrays {

// The element at index (0-based) of an ARRAY value, or null past the end.
ArrayElement *elementAt(const ScriptValue &array, uint64_t index);
// The number of elements of an ARRAY value.
uint64_t length(const ScriptValue &array);
// Links the chain first..last (count elements) behind the array's last
// element; an empty array takes it as its chain.
void append(ScriptValue &array, ArrayElement *first, ArrayElement *last, uint64_t count);

} // namespace pelorn::interp::arrays

namespace pelorn::interp::arrays {

// Moves every element of `other` (an ARRAY) behind the array's last one;
// other is left empty.
void appendAll(ScriptValue &array, ScriptValue &other);

} // namespace pelorn::interp::arrays
