// The generated parser, seen from the compiler.
#pragma once

#include <cstddef>

namespace pelorn::front::parser {

// Parses the whole input of the scanner, running the rule actions; every
// error is raised as a compile error, so a return means success.
int parse(void *scanner);

// The parser's stack blocks, tracked by the compilation in progress.
void *allocateStack(size_t size);
void freeStack(void *block);
// Frees the blocks a compile error left behind.
void releaseStacks();

} // namespace pelorn::front::parser
