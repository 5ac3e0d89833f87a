/* The fixed binary layout of the public records, checked at compile time
 * in C and C++ alike. Hosts and modules built against any copy of the
 * interface rely on these numbers. */
#ifndef PELORN_LAYOUT_CHECK_H
#define PELORN_LAYOUT_CHECK_H

#include "pelorn.h"

#include <stddef.h>

#ifdef __cplusplus
#define PELORN_STATIC_ASSERT static_assert
#else
#define PELORN_STATIC_ASSERT _Static_assert
#endif

PELORN_STATIC_ASSERT(sizeof(StringChunk) == 16, "StringChunk");
PELORN_STATIC_ASSERT(sizeof(ScriptValue) == 72, "ScriptValue size");
PELORN_STATIC_ASSERT(offsetof(ScriptValue, u) == 8, "ScriptValue payload");
PELORN_STATIC_ASSERT(offsetof(ScriptValue, u.string.length) == 24, "string length");
PELORN_STATIC_ASSERT(offsetof(ScriptValue, u.bytes.length) == 16, "bytes length");
PELORN_STATIC_ASSERT(offsetof(ScriptValue, getProperty) == 32, "getProperty");
PELORN_STATIC_ASSERT(offsetof(ScriptValue, setProperty) == 40, "setProperty");
PELORN_STATIC_ASSERT(offsetof(ScriptValue, release) == 48, "release");
PELORN_STATIC_ASSERT(offsetof(ScriptValue, copy) == 56, "copy");
PELORN_STATIC_ASSERT(offsetof(ScriptValue, freeBlock) == 64, "freeBlock");
PELORN_STATIC_ASSERT(sizeof(ArrayElement) == 80, "ArrayElement");
PELORN_STATIC_ASSERT(offsetof(ArrayElement, next) == 72, "ArrayElement next");
PELORN_STATIC_ASSERT(sizeof(SymbolEntry) == 120, "SymbolEntry size");
PELORN_STATIC_ASSERT(offsetof(SymbolEntry, a) == 8, "SymbolEntry a");
PELORN_STATIC_ASSERT(offsetof(SymbolEntry, b) == 16, "SymbolEntry b");
PELORN_STATIC_ASSERT(offsetof(SymbolEntry, c) == 24, "SymbolEntry c");
PELORN_STATIC_ASSERT(offsetof(SymbolEntry, isConstant) == 96, "isConstant");
PELORN_STATIC_ASSERT(offsetof(SymbolEntry, isReadOnly) == 97, "isReadOnly");
PELORN_STATIC_ASSERT(offsetof(SymbolEntry, next) == 104, "next");
PELORN_STATIC_ASSERT(offsetof(SymbolEntry, previous) == 112, "previous");
PELORN_STATIC_ASSERT(sizeof(ArgumentSlot) == 80, "ArgumentSlot size");
PELORN_STATIC_ASSERT(offsetof(ArgumentSlot, value) == 8, "ArgumentSlot value");
PELORN_STATIC_ASSERT(offsetof(ScriptObject, symbols) == 16, "ScriptObject symbols");
PELORN_STATIC_ASSERT(offsetof(ScriptObject, file) == 24, "ScriptObject file");
PELORN_STATIC_ASSERT(offsetof(ScriptObject, line) == 32, "ScriptObject line");
PELORN_STATIC_ASSERT(offsetof(ScriptObject, directory) == 40, "ScriptObject directory");
PELORN_STATIC_ASSERT(offsetof(ScriptObject, release) == 48, "ScriptObject release");
PELORN_STATIC_ASSERT(offsetof(ScriptObject, run) == 56, "ScriptObject run");
PELORN_STATIC_ASSERT(offsetof(ScriptObject, attach) == 64, "ScriptObject attach");
PELORN_STATIC_ASSERT(offsetof(ReaderEntry, receiveBuffer) == 8, "ReaderEntry buffer");
PELORN_STATIC_ASSERT(offsetof(ReaderEntry, receiveBufferSize) == 16, "ReaderEntry size");
PELORN_STATIC_ASSERT(offsetof(ReaderEntry, context) == 24, "ReaderEntry context");
PELORN_STATIC_ASSERT(offsetof(ReaderEntry, card) == 32, "ReaderEntry card");
PELORN_STATIC_ASSERT(offsetof(ReaderEntry, protocol) == 40, "ReaderEntry protocol");
PELORN_STATIC_ASSERT(offsetof(ReaderEntry, referenceCount) == 44, "ReaderEntry count");
PELORN_STATIC_ASSERT(offsetof(ReaderEntry, locked) == 48, "ReaderEntry locked");

#endif
