// String operands of concatenation: chains are linked, never copied.
#pragma once

#include "pelorn.h"

namespace pelorn::interp {

// Makes a string whose blocks a module frees its own way (a payload-free
// function or release hook) an ordinary engine string with the same text,
// so that its segments can be linked into engine chains.
void adoptAsEngineString(ScriptValue &s);

// Whether joining the two operands (strings, byte arrays, or a byte array
// and an integer taken as one byte) gives a length that still fits the
// signed 32-bit length field of strings and byte arrays.
bool joinedLengthFits(const ScriptValue &left, const ScriptValue &right);

// Links right's chain behind left's (both strings); right is left empty.
void concatenate(ScriptValue &left, ScriptValue &right);

// Pieces up to this many characters are copied into a growing block by
// appendInPlace; longer ones are linked as a segment of their own, which
// costs less than copying them and needs no room for a second copy.
constexpr uint32_t kLongestCopiedPiece = 4096;
inline bool copiedInPlace(const ScriptValue &piece) { return piece.u.string.length <= kLongestCopiedPiece; }

// Appends a copy of right's text (a string; it is left as it is) behind
// left's (an engine string, see adoptAsEngineString). Repeated appends to
// one chain fill a block that grows geometrically instead of linking a
// segment each. False, with left unchanged, when memory ran out.
bool appendInPlace(ScriptValue &left, const ScriptValue &right);

// The character at index (0-based, counted across segments) of a string,
// or null past the end of its chain. Reading a long chain in order costs
// one step per character.
char *characterAt(ScriptValue &s, uint64_t index);

// To be called after a character of a string was set to 0: the texts of
// its segments are now shorter, and remembered positions are stale.
void forgetPositions();

} // namespace pelorn::interp
