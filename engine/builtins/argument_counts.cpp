// The argument counts of the built-in routines. Every routine of the
// catalogue must have its line here: the table is built from the
// catalogue's lists, so a routine without one does not compile.
#include "builtins/argument_counts.h"

#include "builtins/catalogue.h"

#include <strings.h>

namespace pelorn::builtins {

namespace {

namespace counts {

constexpr ArgumentCounts Sin{1, 1}, Cos{1, 1}, Tan{1, 1}, ASin{1, 1}, ACos{1, 1}, ATan{1, 1}, Log{1, 1},
    Log10{1, 1}, Sqrt{1, 1}, Exp{1, 1}, Rand{0, 1}, Abs{1, 1}, Time{0, 0}, Clock{0, 0}, GetPerfCounter{0, 0};
constexpr ArgumentCounts CreateByteArray{1, 2}, CreateArray{1, 1};
constexpr ArgumentCounts ReadLine{0, 0}, ReadFile{1, 3}, GetFileSize{1, 1};
constexpr ArgumentCounts StringFromByteArray{1, 1};
constexpr ArgumentCounts GetReaders{0, 0}, GetCurrentReader{0, 0};
constexpr ArgumentCounts WaitForCard{0, 1}, GetATR{1, 1};
constexpr ArgumentCounts LockCard{0, 1}, IsCardConnected{1, 1};
constexpr ArgumentCounts IsCardPresent{1, 1};
constexpr ArgumentCounts SendAPDU{2, 3};
// Ciphers: data, key [, iv], then an optional direction.
constexpr ArgumentCounts DES{2, 3}, DesCBC{3, 4}, TDes{2, 3}, TDesCBC{3, 4}, Aes{2, 3}, AesCBC{3, 4};
// Digests: the one-call form, Init, Final (the context) and Update (context, data).
constexpr ArgumentCounts MD5{1, 1}, MD5Init{0, 0}, MD5Final{1, 1}, SHA1{1, 1}, SHA1Init{0, 0}, SHA1Final{1, 1},
    SHA256{1, 1}, SHA256Init{0, 0}, SHA256Final{1, 1}, SHA384{1, 1}, SHA384Init{0, 0}, SHA384Final{1, 1},
    SHA512{1, 1}, SHA512Init{0, 0}, SHA512Final{1, 1};

constexpr ArgumentCounts Print{1, kNoMostCount}, SetAPDUVerbose{1, 1}, Println{1, kNoMostCount};
constexpr ArgumentCounts SRand{1, 1}, Sleep{1, 1};
// The card routines without a reader argument work on the current reader.
constexpr ArgumentCounts PowerON{0, 3}, SetCurrentReader{1, 1}, PowerOFF{0, 1}, DisconnectCard{0, 1},
    ResetCard{0, 1}, UnlockCard{0, 1};
constexpr ArgumentCounts SaveFile{2, 3};
constexpr ArgumentCounts SetByteArray{4, 4}, CopyByteArray{5, 5};
constexpr ArgumentCounts MD5Update{2, 2}, SHA1Update{2, 2}, SHA256Update{2, 2}, SHA384Update{2, 2},
    SHA512Update{2, 2};

} // namespace counts

struct NamedCounts {
    const char *name;
    ArgumentCounts counts;
};

#define PELORN_COUNTS_ENTRY(name) NamedCounts{#name, counts::name},
constexpr NamedCounts kTable[] = {PELORN_BUILTIN_FUNCTIONS(PELORN_COUNTS_ENTRY)
                                      PELORN_BUILTIN_PROCEDURES(PELORN_COUNTS_ENTRY)};
#undef PELORN_COUNTS_ENTRY

} // namespace

const ArgumentCounts *argumentCountsOf(const char *name)
{
    for (const NamedCounts &entry : kTable)
        if (strcasecmp(entry.name, name) == 0)
            return &entry.counts;
    return nullptr;
}

} // namespace pelorn::builtins
