/* Extension modules for the module-loader tests, one per MODULE_* variant. */
#include "pelorn.h"

#include <stdint.h>
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

__attribute__((unused)) static SymbolEntry table[10];
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

#if defined(MODULE_RESHAPING)
/* Edits its own variables Arr (an array) and Str (a string) in place
 * between calls, as a module may: the engine must not trust anything it
 * remembered about them across a call. */
static ArrayElement *integerElement(int64_t n)
{
    ArrayElement *e = (ArrayElement *)zalloc((int32_t)sizeof(ArrayElement));
    e->value.type = PELORN_INTEGER;
    e->value.u.integer = n;
    return e;
}

/* Arr keeps its first element only. */
static int32_t truncateArray(uint32_t count, ArgumentSlot *arguments)
{
    (void)count;
    (void)arguments;
    ArrayElement *first = table[0].c.value.u.array;
    if (first == NULL)
        return PELORN_OK;
    ArrayElement *e = first->next;
    first->next = NULL;
    while (e != NULL) {
        ArrayElement *next = e->next;
        FreeValue(&e->value);
        zfree(e);
        e = next;
    }
    return PELORN_OK;
}

/* Appends the integer 100 + its former length to Arr. */
static int32_t growArray(uint32_t count, ArgumentSlot *arguments)
{
    (void)count;
    (void)arguments;
    ArrayElement **at = &table[0].c.value.u.array;
    int64_t n = 0;
    for (; *at != NULL; at = &(*at)->next)
        ++n;
    *at = integerElement(100 + n);
    return PELORN_OK;
}

/* Str becomes the two segments "x" and "y": a new chain in new blocks. */
static int32_t replaceText(uint32_t count, ArgumentSlot *arguments)
{
    (void)count;
    (void)arguments;
    ScriptValue *s = &table[1].c.value;
    FreeValue(s);
    StringChunk *second = (StringChunk *)zalloc((int32_t)sizeof(StringChunk));
    second->text = zstrdup("y");
    s->type = PELORN_STRING;
    s->u.string.first.text = zstrdup("x");
    s->u.string.first.next = second;
    s->u.string.length = 2;
    return PELORN_OK;
}

/* The integers of an array at every depth, read as a module reads them:
 * along chains. -1 when a block is not one of the public form. */
static int64_t deepSum(const ScriptValue *array)
{
    int64_t sum = 0;
    for (const ArrayElement *e = array->u.array; e != NULL; e = e->next) {
        if (((uintptr_t)e & 7) != 0)
            return -1;
        int64_t part = e->value.type == PELORN_ARRAY ? deepSum(&e->value) : e->value.u.integer;
        if (part < 0)
            return -1;
        sum += part;
    }
    return sum;
}

/* function Mirror(a): reverses the array a (written back to its variable)
 * and answers [the sum of a's integers at every depth; the same of Arr]. */
static int32_t mirror(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count != 1 || arguments[0].value.type != PELORN_ARRAY)
        return PELORN_BAD_ARGUMENTS;
    ScriptValue *a = &arguments[0].value;
    int64_t sums[2] = {deepSum(a), deepSum(&table[0].c.value)};
    if (sums[0] < 0 || sums[1] < 0)
        return 1000; /* an array in a form a module cannot read */
    ArrayElement *reversed = NULL;
    for (ArrayElement *e = a->u.array; e != NULL;) {
        ArrayElement *next = e->next;
        e->next = reversed;
        reversed = e;
        e = next;
    }
    a->u.array = reversed;
    memset(result, 0, sizeof *result);
    result->type = PELORN_ARRAY;
    result->getProperty = GetField;
    result->setProperty = SetField;
    result->u.array = integerElement(sums[0]);
    result->u.array->next = integerElement(sums[1]);
    return PELORN_OK;
}

/* A BOX keeps the deep sum of the last array set as its "content". */
static int32_t getBox(ScriptValue *value, const char *name, ScriptValue *out)
{
    if (strcmp(name, "sum") != 0)
        return 1;
    memset(out, 0, sizeof *out);
    out->type = PELORN_INTEGER;
    out->u.integer = value->u.integer;
    return PELORN_OK;
}

static int32_t setBox(ScriptValue *value, const char *name, ScriptValue *newValue)
{
    if (strcmp(name, "content") != 0)
        return 1;
    if (newValue->type != PELORN_ARRAY)
        return 3;
    value->u.integer = deepSum(newValue);
    return PELORN_OK;
}

static uint8_t copyBox(ScriptValue *destination, ScriptValue *source)
{
    destination->u.integer = source->u.integer;
    return 1;
}

/* function MakeBox(): an empty BOX. */
static int32_t makeBox(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    (void)count;
    (void)arguments;
    memset(result, 0, sizeof *result);
    result->type = table[7].b.typeCode;
    result->getProperty = getBox;
    result->setProperty = setBox;
    result->copy = copyBox;
    return PELORN_OK;
}

/* The module owns its variables: what they hold goes with the library. */
__attribute__((destructor)) static void releaseVariables(void)
{
    FreeValue(&table[0].c.value);
    FreeValue(&table[1].c.value);
}

/* Str loses every segment after its first. */
static int32_t truncateText(uint32_t count, ArgumentSlot *arguments)
{
    (void)count;
    (void)arguments;
    ScriptValue *s = &table[1].c.value;
    StringChunk *c = s->u.string.first.next;
    s->u.string.first.next = NULL;
    s->u.string.length = s->u.string.first.text != NULL ? (uint32_t)strlen(s->u.string.first.text) : 0;
    while (c != NULL) {
        StringChunk *next = c->next;
        zfree(c->text);
        zfree(c);
        c = next;
    }
    return PELORN_OK;
}
#endif

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
#elif defined(MODULE_RESHAPING)
    table[0].kind = PELORN_SYM_VARIABLE;
    table[0].a.name = (char *)"Arr";
    table[1].kind = PELORN_SYM_VARIABLE;
    table[1].a.name = (char *)"Str";
    routine(&table[2], "TruncateArray", PELORN_PROCEDURE, (void *)truncateArray);
    routine(&table[3], "GrowArray", PELORN_PROCEDURE, (void *)growArray);
    routine(&table[4], "ReplaceText", PELORN_PROCEDURE, (void *)replaceText);
    routine(&table[5], "TruncateText", PELORN_PROCEDURE, (void *)truncateText);
    routine(&table[6], "Mirror", PELORN_FUNCTION, (void *)mirror);
    type(&table[7], "BOX");
    routine(&table[8], "MakeBox", PELORN_FUNCTION, (void *)makeBox);
    for (int i = 0; i < 8; ++i)
        table[i].next = &table[i + 1];
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
