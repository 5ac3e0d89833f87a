// The built-in routines, in the order of their registration tables.
// ORDER MATTERS: the tables are registered in this order (Sin first,
// SHA512Final last; Print first, SHA512Update last).
#pragma once

#include "pelorn.h"

#define PELORN_BUILTIN_FUNCTIONS(X)                                                                                \
    X(Sin) X(Cos) X(Tan) X(ASin) X(ACos) X(ATan) X(Log) X(Log10) X(Sqrt) X(Exp) X(Rand) X(Abs) X(Time) X(Clock)    \
    X(GetPerfCounter)                                                                                              \
    X(CreateByteArray) X(CreateArray)                                                                              \
    X(ReadLine) X(ReadFile) X(GetFileSize)                                                                         \
    X(StringFromByteArray)                                                                                         \
    X(GetReaders) X(GetCurrentReader)                                                                              \
    X(WaitForCard) X(GetATR)                                                                                       \
    X(LockCard) X(IsCardConnected)                                                                                 \
    X(IsCardPresent)                                                                                               \
    X(SendAPDU)                                                                                                    \
    X(DES) X(DesCBC) X(TDes) X(TDesCBC) X(Aes) X(AesCBC) X(MD5) X(MD5Init) X(MD5Final) X(SHA1) X(SHA1Init)          \
    X(SHA1Final) X(SHA256) X(SHA256Init) X(SHA256Final) X(SHA384) X(SHA384Init) X(SHA384Final) X(SHA512)           \
    X(SHA512Init) X(SHA512Final)

#define PELORN_BUILTIN_PROCEDURES(X)                                                                               \
    X(Print) X(SetAPDUVerbose) X(Println)                                                                          \
    X(SRand) X(Sleep)                                                                                              \
    X(PowerON) X(SetCurrentReader) X(PowerOFF) X(DisconnectCard) X(ResetCard) X(UnlockCard)                        \
    X(SaveFile)                                                                                                    \
    X(SetByteArray) X(CopyByteArray)                                                                               \
    X(MD5Update) X(SHA1Update) X(SHA256Update) X(SHA384Update) X(SHA512Update)

namespace pelorn::builtins {

#define PELORN_DECLARE_FUNCTION(name) int32_t name(uint32_t count, ArgumentSlot *arguments, ScriptValue *result);
#define PELORN_DECLARE_PROCEDURE(name) int32_t name(uint32_t count, ArgumentSlot *arguments);
PELORN_BUILTIN_FUNCTIONS(PELORN_DECLARE_FUNCTION)
PELORN_BUILTIN_PROCEDURES(PELORN_DECLARE_PROCEDURE)
#undef PELORN_DECLARE_FUNCTION
#undef PELORN_DECLARE_PROCEDURE

} // namespace pelorn::builtins
