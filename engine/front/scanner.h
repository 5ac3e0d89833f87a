// The generated scanner, seen from the rest of the front end: its life,
// its read buffers (one per open script file) and its next token.
#pragma once

#include "front/semantic_value.h"

#include <cstdio>

namespace pelorn::front::scanner {

// Each open script file is read through a buffer of this size.
constexpr int kReadBufferSize = 16384;

void *create();
// Frees the scanner; buffers must have been deleted before.
void destroy(void *scanner);
void *openBuffer(void *scanner, FILE *file);
// Reading goes on in buffer, where it stopped when the buffer was left.
void switchTo(void *scanner, void *buffer);
void deleteBuffer(void *scanner, void *buffer);
// Returns the next token's code (0 at the end of the main file).
int nextToken(SemanticValue *value, void *scanner);

} // namespace pelorn::front::scanner
