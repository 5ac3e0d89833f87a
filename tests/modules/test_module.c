/* Extension modules for the module-loader tests, one per MODULE_* variant. */
#include "pelorn.h"

#include <string.h>

__attribute__((unused)) static int32_t nothing(uint32_t count, ArgumentSlot *arguments)
{
    (void)count;
    (void)arguments;
    return PELORN_OK;
}

__attribute__((unused)) static int32_t zero(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    (void)count;
    (void)arguments;
    memset(result, 0, sizeof *result);
    result->type = PELORN_INTEGER;
    return PELORN_OK;
}

__attribute__((unused)) static SymbolEntry table[4];
static int initializations;

/* How often Initialize ran since the library was loaded. */
int InitializeCount(void)
{
    return initializations;
}

__attribute__((unused)) static void variable(SymbolEntry *e, const char *name, int64_t value)
{
    e->kind = PELORN_SYM_VARIABLE;
    e->a.name = (char *)name;
    e->c.value.type = PELORN_INTEGER;
    e->c.value.u.integer = value;
}

__attribute__((unused)) static void routine(SymbolEntry *e, const char *name, int32_t kind, void *entry)
{
    e->kind = PELORN_SYM_ROUTINE;
    e->a.routineKind = kind;
    e->b.name = (char *)name;
    e->c.entry = entry;
}

__attribute__((unused)) static void type(SymbolEntry *e, const char *name)
{
    e->kind = PELORN_SYM_TYPE;
    e->a.name = (char *)name;
}

#if !defined(MODULE_NULL_TABLE)
SymbolEntry *GetSymTable(void)
{
    memset(table, 0, sizeof table);
#if defined(MODULE_GOOD)
    type(&table[0], "TOKEN");
    routine(&table[1], "ModProc", PELORN_PROCEDURE, (void *)nothing);
    routine(&table[2], "ModFunc", PELORN_FUNCTION, (void *)zero);
    type(&table[3], "COLOR");
    table[2].next = &table[3];
    table[1].next = &table[2];
    table[0].next = &table[1];
#elif defined(MODULE_SHADOW)
    variable(&table[0], "Shared", 2);
    type(&table[1], "SHADE");
    table[0].next = &table[1];
#elif defined(MODULE_WEIRD)
    routine(&table[0], "Weird", 4, (void *)nothing);
#else
    variable(&table[0], "Shared", 1);
#endif
    return table;
}
#else
SymbolEntry *GetSymTable(void)
{
    return NULL;
}
#endif

#if !defined(MODULE_NO_INITIALIZE)
uint8_t Initialize(PrintfLikeFn standardOutput, PrintfLikeFn message)
{
    (void)standardOutput;
    (void)message;
    ++initializations;
#if defined(MODULE_GOOD)
    /* The codes of the module's value types are there already. */
    message("TOKEN is %d, COLOR is %d", table[0].b.typeCode, table[3].b.typeCode);
#endif
#if defined(MODULE_FAILING_INIT)
    return 0;
#else
    return 1;
#endif
}
#endif
