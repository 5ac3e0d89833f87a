/*
 * pelorn.h - the public interface of the pelorn engine library.
 *
 * Hosts compile and run scripts through it; extension modules exchange
 * values and symbols with the engine through it. Every record here has a
 * fixed layout on 64-bit Linux (the offsets are noted on the right); a host
 * or module built against this header works with any build of the engine.
 *
 * Ownership in one sentence: a ScriptValue owns its payload, and payload
 * blocks come from zalloc/zstrdup so that engine and modules can free each
 * other's blocks (or the value names its own BlockFreeFn).
 */
#ifndef PELORN_H
#define PELORN_H

#include <stddef.h>
#include <stdint.h>

#include <PCSC/pcsclite.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(PELORN_BUILDING_LIBRARY)
#define PELORN_API __attribute__((visibility("default")))
#else
#define PELORN_API
#endif

/* Type codes of values. Module value types are numbered from 2001. */
enum {
    PELORN_UNDEFINED = 0,
    PELORN_INTEGER = 1000,
    PELORN_FLOAT = 1001,
    PELORN_STRING = 1002,
    PELORN_BOOLEAN = 1003,
    PELORN_BYTEARRAY = 1004,
    PELORN_ARRAY = 1005,
    PELORN_READER = 1007,
    PELORN_FIRST_MODULE_TYPE = 2001
};

/* Kinds of symbol entries and of routines. */
enum { PELORN_SYM_VARIABLE = 1, PELORN_SYM_ROUTINE = 2, PELORN_SYM_TYPE = 3 };
enum { PELORN_PROCEDURE = 1, PELORN_FUNCTION = 2, PELORN_UNCALLABLE = 3 };

/* Result codes of routines: 0 success, 160 bad arguments (the routine has
 * already written its message), anything else a failure code. */
enum { PELORN_OK = 0, PELORN_BAD_ARGUMENTS = 160 };

/* Status values written by ParseScript. */
enum { PELORN_PARSED = 0, PELORN_OPEN_FAILED = 1, PELORN_COMPILE_ERROR = 2 };

/* One segment of a string value's chain; the first one is embedded in the
 * value, further ones are separate blocks. */
typedef struct StringChunk {
    char *text;                 /*  0: NUL-terminated, owned by the string */
    struct StringChunk *next;   /*  8: null on the last segment */
} StringChunk;                  /* 16 bytes */

typedef struct ScriptValue ScriptValue;
struct ArrayElement;
struct ReaderEntry;

/* Property hooks: 0 done, 1 no such property, other codes are failures
 * (set: 2 read-only, anything else an unacceptable value). */
typedef int32_t (*GetPropertyFn)(ScriptValue *value, const char *name, ScriptValue *out);
typedef int32_t (*SetPropertyFn)(ScriptValue *value, const char *name, ScriptValue *newValue);
/* Releases the payload and leaves the whole record zero. */
typedef void (*ReleaseFn)(ScriptValue *value);
/* Fills destination's payload from source; non-zero on success. */
typedef uint8_t (*CopyFn)(ScriptValue *destination, ScriptValue *source);
/* Frees one payload block (segment text, segment block, byte data). */
typedef void (*BlockFreeFn)(void *block);

struct ScriptValue {
    int32_t type;                           /*  0 */
    int32_t reserved;                       /*  4 */
    union {
        int64_t integer;                    /*  8 */
        double real;                        /*  8 */
        uint8_t boolean;                    /*  8 */
        struct {
            StringChunk first;              /*  8 */
            uint32_t length;                /* 24: characters of all segments */
        } string;
        struct {
            uint8_t *data;                  /*  8 */
            int32_t length;                 /* 16 */
        } bytes;
        struct ArrayElement *array;         /*  8: null for an empty array */
        struct ReaderEntry *reader;         /*  8 */
        uint8_t raw[24];                    /*  8 .. 31 */
    } u;
    GetPropertyFn getProperty;              /* 32 */
    SetPropertyFn setProperty;              /* 40 */
    ReleaseFn release;                      /* 48 */
    CopyFn copy;                            /* 56 */
    BlockFreeFn freeBlock;                  /* 64 */
};                                          /* 72 bytes */

typedef struct ArrayElement {
    ScriptValue value;                      /*  0 */
    struct ArrayElement *next;              /* 72 */
} ArrayElement;                             /* 80 bytes */

/* Every name a script can use. Modules hand the engine chains of these. */
typedef struct SymbolEntry {
    int32_t kind;                           /*  0: PELORN_SYM_* */
    int32_t reserved;                       /*  4 */
    union {
        char *name;                         /*  8: variables and value types */
        int32_t routineKind;                /*  8: routines */
    } a;
    union {
        char *name;                         /* 16: routines */
        int32_t typeCode;                   /* 16: value types, written by the engine */
    } b;
    union {
        ScriptValue value;                  /* 24: variables */
        void *entry;                        /* 24: routines */
    } c;
    uint8_t isConstant;                     /* 96 */
    uint8_t isReadOnly;                     /* 97 */
    struct SymbolEntry *next;               /* 104 */
    struct SymbolEntry *previous;           /* 112: engine lists only */
} SymbolEntry;                              /* 120 bytes */

/* One argument of a call, evaluated just before the routine runs. A routine
 * may change or replace the value; plain-variable arguments are copied back
 * after a successful call. */
typedef struct ArgumentSlot {
    void *expression;                       /*  0: the engine's own node */
    ScriptValue value;                      /*  8 */
} ArgumentSlot;                             /* 80 bytes */

typedef int32_t (*ProcedureEntry)(uint32_t count, ArgumentSlot *arguments);
typedef int32_t (*FunctionEntry)(uint32_t count, ArgumentSlot *arguments, ScriptValue *result);
typedef int32_t (*PrintfLikeFn)(const char *format, ...);

/* What every extension module exports. */
typedef SymbolEntry *(*GetSymTableFn)(void);
typedef uint8_t (*InitializeFn)(PrintfLikeFn standardOutput, PrintfLikeFn message);

/* The prefix of the compiled script object that hosts use: call run and
 * release through it. */
typedef struct ScriptObject ScriptObject;
struct ScriptObject {
    void *owner;                            /*  0 */
    void *parent;                           /*  8 */
    SymbolEntry *symbols;                   /* 16 */
    char *file;                             /* 24 */
    int32_t line;                           /* 32 */
    char *directory;                        /* 40 */
    void (*release)(ScriptObject *self);    /* 48 */
    uint8_t (*run)(ScriptObject *self);     /* 56 */
    void *attach;                           /* 64 */
    /* the engine's own fields follow */
};

/* One smart-card reader of the registry. */
typedef struct ReaderEntry {
    char *name;                             /*  0 */
    uint8_t *receiveBuffer;                 /*  8 */
    uint32_t receiveBufferSize;             /* 16 */
    SCARDCONTEXT context;                   /* 24 */
    SCARDHANDLE card;                       /* 32 */
    uint32_t protocol;                      /* 40 */
    int32_t referenceCount;                 /* 44: atomic */
    uint8_t locked;                         /* 48 */
} ReaderEntry;                              /* 56 bytes */

typedef int32_t (*StandardOutputFn)(const char *text);
typedef int32_t (*MessageOutputFn)(const char *text);
typedef int32_t (*StandardInputFn)(char *buffer, int32_t size);
typedef void (*CardWaitFn)(SCARDCONTEXT context, SCARD_READERSTATE *states, ScriptValue *result);

/* Engine lifecycle and channels. */
PELORN_API ScriptObject *ParseScript(const char *path, int32_t *status);
PELORN_API void FreeScript(ScriptObject *script);
PELORN_API uint8_t InitializeEngine(void);
PELORN_API StandardOutputFn SetStandardOutputFn(StandardOutputFn fn);
PELORN_API MessageOutputFn SetMessageOutputFn(MessageOutputFn fn);
PELORN_API StandardInputFn SetStandardInputFn(StandardInputFn fn);
PELORN_API uint8_t SwitchDebugMode(uint8_t on);

/* Compiles script text as ParseScript compiles a file. Messages name the
 * script `name` as given (say "-e"); include, use and the files of calls
 * take relative paths from `directory` (the current directory when null).
 * The text need not end with a NUL: `length` bytes are read. */
PELORN_API ScriptObject *ParseScriptText(const char *text, size_t length, const char *name,
                                         const char *directory, int32_t *status);
/* The APDU trace of a compiled script, as SetAPDUVerbose sets it from inside. */
PELORN_API void SetScriptAPDUVerbose(ScriptObject *script, uint8_t on);
/* Non-zero (the default): every run ends with the script's globals in the
 * public form of this header in ScriptObject.symbols. Zero: arrays may stay
 * in the engine's own form there; the host then reads and writes globals
 * only through GetScriptGlobal and SetScriptGlobal. */
PELORN_API void SetScriptGlobalsPublic(ScriptObject *script, uint8_t on);

/* What the host hands the scripts it runs and what they hand back; both
 * process-wide. SetScriptArguments copies the texts (non-zero on success);
 * GetScriptArgument gives null past the last one. A script asks for an
 * exit status of 0 to 125 (the "sys" module's SetExitStatus); -1 clears
 * the request, other values are refused (result 0). */
PELORN_API uint8_t SetScriptArguments(int32_t count, const char *const *arguments);
PELORN_API int32_t GetScriptArgumentCount(void);
PELORN_API const char *GetScriptArgument(int32_t index);
PELORN_API uint8_t SetRequestedExitStatus(int32_t status);
PELORN_API int32_t GetRequestedExitStatus(void);

/* A compiled script's global variables, between runs: a copy out into a
 * record the caller then owns, a copy in (the variable's old value is
 * released). Names match exactly. */
enum {
    PELORN_GLOBAL_DONE = 0,
    PELORN_NO_SUCH_GLOBAL = 1,
    PELORN_GLOBAL_READ_ONLY = 2,   /* a constant or read-only variable */
    PELORN_GLOBAL_NOT_COPIED = 3   /* the value has no copy (message delivered) */
};
PELORN_API int32_t GetScriptGlobal(ScriptObject *script, const char *name, ScriptValue *out);
PELORN_API int32_t SetScriptGlobal(ScriptObject *script, const char *name, const ScriptValue *value);

/* The static check: compiles a script file without running anything
 * (modules are loaded as by ParseScript) and reports what would fail when
 * it runs, one call of `report` each: a call of a routine nothing defines,
 * a wrong number of arguments, an assignment to a constant or read-only
 * variable, a variable read before anything assigns it, a statement that
 * can never run. A note follows the warning it explains. The main file is
 * named as `path` is given, included files by their canonical paths. A
 * compile error goes through the message routine as ParseScript reports
 * it; a note may then name the line of a block left without its "end". */
enum { PELORN_CHECK_CLEAN = 0, PELORN_CHECK_WARNINGS = 1, PELORN_CHECK_NOT_COMPILED = 2 };
enum { PELORN_CHECK_WARNING = 1, PELORN_CHECK_NOTE = 2 };
typedef void (*CheckReportFn)(void *context, const char *file, int32_t line, int32_t kind, const char *text);
PELORN_API int32_t CheckScript(const char *path, CheckReportFn report, void *context);
/* The same for script text, compiled as ParseScriptText compiles it; the
 * main file is named `name`. */
PELORN_API int32_t CheckScriptText(const char *text, size_t length, const char *name, const char *directory,
                                   CheckReportFn report, void *context);

/* Sessions: a host that compiles and runs a script piece by piece, as
 * pelorn -i does with what is typed.
 *
 * ParseScriptPart compiles more text into a compiled script, as if it
 * followed what the script holds: the text sees the script's global
 * variables, constants, routines and modules, and what it declares (and
 * the global variables it makes) stays for later parts. Its routines see
 * the constants but no global variable, as in a script; a routine of a
 * name already declared takes the name over, for every call. Messages name the text `name`, its lines numbered from `firstLine`;
 * relative paths start from `directory` (the current directory when
 * null). The result is PELORN_PARSED; PELORN_COMPILE_ERROR (the message
 * delivered, the script as it was); or PELORN_INCOMPLETE (nothing
 * delivered, the script as it was): the text ends inside a block, a
 * routine or a continued line, and more text could complete it.
 *
 * RunScriptPart runs the top-level statements that no call of it has run:
 * all of a fresh script's, then those of each part compiled since. It
 * reports what goes wrong as the run entry does, but leaves the cards
 * connected and the current reader chosen, for the next part; a session
 * ends with DisconnectCards, which does what the end of every run does.
 *
 * InterruptScript, from any thread or a signal handler, stops the run in
 * progress at the next block it enters (the next turn of a loop, the next
 * routine call): the run fails with "Run interrupted.", and a wait for a
 * card ends. A request made while nothing runs is dropped when a run
 * starts. */
enum { PELORN_INCOMPLETE = 3 };
PELORN_API int32_t ParseScriptPart(ScriptObject *script, const char *text, size_t length, const char *name,
                                   const char *directory, int32_t firstLine);
PELORN_API uint8_t RunScriptPart(ScriptObject *script);
PELORN_API void DisconnectCards(void);
PELORN_API void InterruptScript(void);

/* Throwing a value into the script from a routine or hook. Both unwind as
 * a C++ exception: build C modules with -fexceptions. */
PELORN_API __attribute__((noreturn)) void ThrowException(ScriptValue value);
PELORN_API __attribute__((noreturn)) void ThrowStringException(const char *text);
/* The text of a PC/SC error code (free it with zfree), or null. */
PELORN_API char *GetErrorMessage(uint32_t code);

/* Values. */
PELORN_API void FreeValue(ScriptValue *value);
PELORN_API int32_t GetField(ScriptValue *value, const char *name, ScriptValue *out);
PELORN_API int32_t SetField(ScriptValue *value, const char *name, ScriptValue *newValue);

/* Memory and text helpers. */
PELORN_API void *zalloc(int32_t size);
PELORN_API void zfree(void *block);
PELORN_API char *zstrdup(const char *text);
PELORN_API char *zstrdup2(const char *text, int32_t *length);
PELORN_API void htoa(char *out, const uint8_t *data, uint32_t count, int32_t spaced);
PELORN_API ScriptValue stringToBytearray(const char *text);
PELORN_API ScriptValue stringToBytearray2(const void *stringPayload);

/* One command APDU through the engine's exchange, for modules that send
 * commands on a script's behalf: the command is checked and fitted to the
 * connection's protocol exactly as for SendAPDU, and __SW, __SW1, __SW2 and
 * __Response are set from the answer. The result is the response length,
 * SW1 SW2 included (at least 2); the response stays in the reader's
 * receiveBuffer until the next exchange. Every failure is thrown, as by
 * SendAPDU, so call it only from a routine the engine called. */
PELORN_API uint32_t TransmitAPDU(ReaderEntry *reader, const uint8_t *command, uint32_t length);

/* Card waiting. */
PELORN_API void PerformCardWait(SCARDCONTEXT context, SCARD_READERSTATE *states, ScriptValue *result);
PELORN_API void StopCardWait(void);
PELORN_API CardWaitFn SetExternCardWaitFn(CardWaitFn fn);

/* The reader registry. */
#define PELORN_MAX_READERS 24
PELORN_API extern ReaderEntry *g_readersList[PELORN_MAX_READERS];
PELORN_API extern uint32_t g_readersCount;
PELORN_API extern ReaderEntry *g_currentReader;
/* Before a run: makes an entry of g_readersList the current reader, as a
 * script's SetCurrentReader does (null: none). Every run ends with none. */
PELORN_API void SetCurrentReaderEntry(ReaderEntry *reader);
/* Non-zero when the reader holds a card that answers (present, not mute). */
PELORN_API uint8_t ReaderHoldsCard(const ReaderEntry *reader);

#ifdef __cplusplus
}
#endif

#endif
