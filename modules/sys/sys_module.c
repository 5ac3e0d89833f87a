/*
 * sys_module.c - the "sys" module: what a script learns from and hands back
 * to the command that runs it.
 *
 *   use "sys"
 *   args = GetArgs()          the words after the script on pelorn's command
 *                             line, as strings (none under pelornrun)
 *   home = GetEnv("HOME")     an environment variable's text, or an untyped
 *                             value when it is not set
 *   SetExitStatus(3)          the status pelorn exits with when the run
 *                             succeeds (0 to 125)
 *
 * The values pass through the engine (SetScriptArguments and
 * SetRequestedExitStatus for hosts), so any host can serve them.
 */
#include <pelorn.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MSG_GETARGS_ARGUMENTS "Bad argument(s) for function \"GetArgs\".Prototypes: array GetArgs()."
#define MSG_GETENV_ARGUMENTS "Bad argument(s) for function \"GetEnv\".Prototypes: string GetEnv(string name)."
#define MSG_SETEXIT_ARGUMENTS \
    "Bad argument(s) for function \"SetExitStatus\".Prototypes: void SetExitStatus(int status)."
#define MSG_STATUS_RANGE "SetExitStatus: %lld is not an exit status (0 to 125)"
#define MSG_NO_MEMORY "%s: out of memory"

/* Room for a thrown text: a routine's name and a number. */
#define THROW_TEXT_SIZE 96

static PrintfLikeFn writeMessage;

enum { ENTRY_GETARGS, ENTRY_GETENV, ENTRY_SETEXIT, ENTRY_COUNT };
static SymbolEntry symbols[ENTRY_COUNT];

static int32_t bad_arguments(const char *text)
{
    if (writeMessage != NULL)
        writeMessage("%s", text);
    return PELORN_BAD_ARGUMENTS;
}

static __attribute__((noreturn)) void throw_no_memory(const char *routine)
{
    char text[THROW_TEXT_SIZE];
    snprintf(text, sizeof text, MSG_NO_MEMORY, routine);
    ThrowStringException(text);
}

/* A string value holding a copy of text; zero when memory ran out. */
static int make_string(ScriptValue *out, const char *text)
{
    int32_t length = 0;
    memset(out, 0, sizeof *out);
    out->u.string.first.text = zstrdup2(text, &length);
    if (out->u.string.first.text == NULL)
        return 0;
    out->type = PELORN_STRING;
    out->u.string.length = (uint32_t)length;
    out->getProperty = GetField;
    out->setProperty = SetField;
    return 1;
}

/* The whole text of a string value, every segment (free it with zfree). */
static char *joined_text(const ScriptValue *value)
{
    char *text = zalloc((int32_t)value->u.string.length);
    if (text == NULL)
        return NULL;
    size_t at = 0;
    for (const StringChunk *c = &value->u.string.first; c != NULL; c = c->next) {
        size_t n = c->text != NULL ? strlen(c->text) : 0;
        if (at + n > value->u.string.length)
            n = value->u.string.length - at;
        memcpy(text + at, c->text, n);
        at += n;
    }
    text[at] = '\0';
    return text;
}

/* function GetArgs(): an array of the script's arguments. */
static int32_t sys_get_args(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    (void)arguments;
    if (count != 0)
        return bad_arguments(MSG_GETARGS_ARGUMENTS);
    memset(result, 0, sizeof *result);
    result->type = PELORN_ARRAY;
    result->getProperty = GetField;
    result->setProperty = SetField;
    ArrayElement **tail = &result->u.array;
    int32_t total = GetScriptArgumentCount();
    for (int32_t i = 0; i < total; i++) {
        ArrayElement *element = zalloc((int32_t)sizeof *element);
        if (element == NULL || !make_string(&element->value, GetScriptArgument(i))) {
            zfree(element);
            FreeValue(result);
            throw_no_memory("GetArgs");
        }
        *tail = element;
        tail = &element->next;
    }
    return PELORN_OK;
}

/* function GetEnv(name): the variable's text, untyped when it is not set. */
static int32_t sys_get_env(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count != 1 || arguments[0].value.type != PELORN_STRING)
        return bad_arguments(MSG_GETENV_ARGUMENTS);
    char *name = joined_text(&arguments[0].value);
    if (name == NULL)
        throw_no_memory("GetEnv");
    const char *text = getenv(name);
    zfree(name);
    memset(result, 0, sizeof *result);
    if (text != NULL && !make_string(result, text))
        throw_no_memory("GetEnv");
    return PELORN_OK;
}

/* procedure SetExitStatus(status). */
static int32_t sys_set_exit_status(uint32_t count, ArgumentSlot *arguments)
{
    if (count != 1 || arguments[0].value.type != PELORN_INTEGER)
        return bad_arguments(MSG_SETEXIT_ARGUMENTS);
    int64_t status = arguments[0].value.u.integer;
    if (status < 0 || status > INT32_MAX || !SetRequestedExitStatus((int32_t)status)) {
        char text[THROW_TEXT_SIZE];
        snprintf(text, sizeof text, MSG_STATUS_RANGE, (long long)status);
        ThrowStringException(text);
    }
    return PELORN_OK;
}

static void set_routine(SymbolEntry *entry, int32_t routineKind, const char *name, void *code)
{
    entry->kind = PELORN_SYM_ROUTINE;
    entry->a.routineKind = routineKind;
    entry->b.name = (char *)name;
    entry->c.entry = code;
}

__attribute__((visibility("default"))) SymbolEntry *GetSymTable(void)
{
    memset(symbols, 0, sizeof symbols);
    set_routine(&symbols[ENTRY_GETARGS], PELORN_FUNCTION, "GetArgs", (void *)sys_get_args);
    set_routine(&symbols[ENTRY_GETENV], PELORN_FUNCTION, "GetEnv", (void *)sys_get_env);
    set_routine(&symbols[ENTRY_SETEXIT], PELORN_PROCEDURE, "SetExitStatus", (void *)sys_set_exit_status);
    for (int i = 0; i + 1 < ENTRY_COUNT; i++)
        symbols[i].next = &symbols[i + 1];
    return &symbols[0];
}

__attribute__((visibility("default"))) uint8_t Initialize(PrintfLikeFn standardOutput, PrintfLikeFn message)
{
    (void)standardOutput;
    writeMessage = message;
    return 1;
}
