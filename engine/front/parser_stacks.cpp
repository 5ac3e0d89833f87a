// Heap blocks of the parser's stacks. A compile error unwinds the parser
// without letting it free them, so the compilation keeps a list.
#include "front/compilation.h"
#include "front/parser.h"

#include <algorithm>
#include <cstdlib>

namespace pelorn::front::parser {

void *allocateStack(size_t size)
{
    std::vector<void *> &blocks = compilation().parserStacks;
    blocks.reserve(blocks.size() + 1);
    void *block = std::malloc(size);
    if (block != nullptr)
        blocks.push_back(block);
    return block;
}

void freeStack(void *block)
{
    std::vector<void *> &blocks = compilation().parserStacks;
    auto found = std::find(blocks.begin(), blocks.end(), block);
    if (found != blocks.end())
        blocks.erase(found);
    std::free(block);
}

void releaseStacks()
{
    std::vector<void *> &blocks = compilation().parserStacks;
    for (void *block : blocks)
        std::free(block);
    blocks.clear();
}

} // namespace pelorn::front::parser
