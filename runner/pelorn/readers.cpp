// Finding readers in the engine's registry for the reader options.
#include "readers.h"

#include "messages.h"

#include <cstdio>
#include <strings.h>

namespace pelorn::command {

namespace {

bool isIndex(const std::string &word)
{
    return !word.empty() && word.size() <= 9 && word.find_first_not_of("0123456789") == std::string::npos;
}

void reportUnknown(const std::string &word)
{
    if (g_readersCount == 0) {
        std::fprintf(stderr, text::kNoReaderAtAll, word.c_str());
        return;
    }
    std::fprintf(stderr, text::kNoSuchReader, word.c_str());
    for (uint32_t i = 0; i < g_readersCount; ++i)
        std::fprintf(stderr, text::kReaderListLine, i, g_readersList[i]->name);
}

} // namespace

ReaderEntry *findReader(const std::string &word)
{
    InitializeEngine(); // a failure shows as an empty registry
    for (uint32_t i = 0; i < g_readersCount; ++i)
        if (strcasecmp(g_readersList[i]->name, word.c_str()) == 0)
            return g_readersList[i];
    if (isIndex(word)) {
        unsigned long index = std::stoul(word);
        if (index < g_readersCount)
            return g_readersList[index];
    }
    reportUnknown(word);
    return nullptr;
}

std::vector<std::string> readersWithCard()
{
    InitializeEngine();
    std::vector<std::string> names;
    for (uint32_t i = 0; i < g_readersCount; ++i)
        if (ReaderHoldsCard(g_readersList[i]) != 0)
            names.emplace_back(g_readersList[i]->name);
    return names;
}

} // namespace pelorn::command
