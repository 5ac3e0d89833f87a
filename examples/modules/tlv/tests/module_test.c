/*
 * module_test.c - drives the TLV module the way the engine does, without a
 * script: loads it, numbers its type, initialises it and calls its routines
 * with argument slots. The paths that throw are covered by the scripts.
 *
 *   module_test path/to/tlv.so
 */
#include <pelorn.h>

#include <dlfcn.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#define TLV_TYPE_CODE 2001

static int failures;
static int checks;

#define EXPECT(condition)                                                          \
    do {                                                                           \
        checks++;                                                                  \
        if (!(condition)) {                                                        \
            failures++;                                                            \
            fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition); \
        }                                                                          \
    } while (0)

/* What the module wrote through the two routines handed to Initialize. */
static char output[4096];
static char messages[1024];

static int32_t append(char *buffer, size_t size, const char *format, va_list arguments)
{
    size_t used = strlen(buffer);
    return (int32_t)vsnprintf(buffer + used, size - used, format, arguments);
}

static int32_t capture_output(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int32_t n = append(output, sizeof output, format, arguments);
    va_end(arguments);
    return n;
}

static int32_t capture_message(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int32_t n = append(messages, sizeof messages, format, arguments);
    va_end(arguments);
    return n;
}

static SymbolEntry *symbols;

static void *routine(const char *name, int32_t routineKind)
{
    for (SymbolEntry *e = symbols; e != NULL; e = e->next) {
        if (e->kind == PELORN_SYM_ROUTINE && strcmp(e->b.name, name) == 0) {
            EXPECT(e->a.routineKind == routineKind);
            return e->c.entry;
        }
    }
    fprintf(stderr, "no routine %s\n", name);
    failures++;
    return NULL;
}

static ScriptValue bytes_value(const char *hex)
{
    ScriptValue v = stringToBytearray(hex);
    EXPECT(v.type == PELORN_BYTEARRAY);
    return v;
}

static ScriptValue integer_value(int64_t number)
{
    ScriptValue v;
    memset(&v, 0, sizeof v);
    v.type = PELORN_INTEGER;
    v.u.integer = number;
    return v;
}

static ScriptValue string_value(const char *text)
{
    ScriptValue v;
    int32_t length;
    memset(&v, 0, sizeof v);
    v.type = PELORN_STRING;
    v.u.string.first.text = zstrdup2(text, &length);
    v.u.string.length = (uint32_t)length;
    return v;
}

/* Calls a function with up to three arguments; the slots are released. */
static int32_t call(const char *name, ScriptValue *result, int count, ScriptValue a, ScriptValue b, ScriptValue c)
{
    ArgumentSlot slots[3];
    memset(slots, 0, sizeof slots);
    slots[0].value = a;
    slots[1].value = b;
    slots[2].value = c;
    memset(result, 0, sizeof *result);
    FunctionEntry entry = (FunctionEntry)routine(name, PELORN_FUNCTION);
    int32_t code = entry != NULL ? entry((uint32_t)count, slots, result) : -1;
    for (int i = 0; i < 3; i++)
        FreeValue(&slots[i].value);
    return code;
}

static int has_bytes(const ScriptValue *v, const char *hex)
{
    ScriptValue expected = stringToBytearray(hex);
    int same = v->type == PELORN_BYTEARRAY && v->u.bytes.length == expected.u.bytes.length &&
               (expected.u.bytes.length == 0 || memcmp(v->u.bytes.data, expected.u.bytes.data, (size_t)expected.u.bytes.length) == 0);
    FreeValue(&expected);
    return same;
}

static int has_text(const ScriptValue *v, const char *text)
{
    return v->type == PELORN_STRING && v->u.string.first.next == NULL && strcmp(v->u.string.first.text, text) == 0 &&
           v->u.string.length == strlen(text);
}

static const ScriptValue none;
static const char *const FCI = "6F 19 84 07 A0000000031010 A5 0E 50 04 56495341 BF0C 05 9F4D 02 0B0A";

static void test_build(void)
{
    ScriptValue r;
    EXPECT(call("TlvBuild", &r, 2, integer_value(0x84), bytes_value("A0000000031010"), none) == PELORN_OK);
    EXPECT(has_bytes(&r, "84 07 A0000000031010"));
    FreeValue(&r);

    EXPECT(call("TlvBuild", &r, 2, bytes_value("9F38"), bytes_value(""), none) == PELORN_OK);
    EXPECT(has_bytes(&r, "9F38 00"));
    FreeValue(&r);

    /* 200 bytes need the long length form. */
    char hex[401];
    memset(hex, 'A', 400);
    hex[400] = '\0';
    EXPECT(call("TlvBuild", &r, 2, integer_value(0xDF01), bytes_value(hex), none) == PELORN_OK);
    EXPECT(r.u.bytes.length == 204 && r.u.bytes.data[2] == 0x81 && r.u.bytes.data[3] == 200);
    FreeValue(&r);

    /* An array value: byte array, string and TLV value concatenated. */
    ScriptValue child;
    EXPECT(call("TlvParse", &child, 1, bytes_value("50 01 41"), none, none) == PELORN_OK);
    ScriptValue list;
    memset(&list, 0, sizeof list);
    list.type = PELORN_ARRAY;
    ArrayElement *second = zalloc(sizeof *second);
    ArrayElement *third = zalloc(sizeof *third);
    ArrayElement *first = zalloc(sizeof *first);
    first->value = bytes_value("84 01 01");
    second->value = string_value("AB");
    third->value = child;
    first->next = second;
    second->next = third;
    list.u.array = first;
    EXPECT(call("TlvBuild", &r, 2, integer_value(0x70), list, none) == PELORN_OK);
    EXPECT(has_bytes(&r, "70 08 840101 4142 500141"));
    FreeValue(&r);
}

static void test_find(void)
{
    ScriptValue r;
    EXPECT(call("TlvFind", &r, 2, bytes_value(FCI), integer_value(0x50), none) == PELORN_OK);
    EXPECT(has_bytes(&r, "56495341"));
    FreeValue(&r);
    EXPECT(call("TlvFind", &r, 2, bytes_value(FCI), bytes_value("9F4D"), none) == PELORN_OK);
    EXPECT(has_bytes(&r, "0B0A"));
    FreeValue(&r);

    static const struct {
        int64_t tag;
        int present;
    } cases[] = {{0x84, 1}, {0xBF0C, 1}, {0x6F, 1}, {0x9F38, 0}, {0x4D, 0}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        EXPECT(call("TlvHas", &r, 2, bytes_value(FCI), integer_value(cases[i].tag), none) == PELORN_OK);
        EXPECT(r.type == PELORN_BOOLEAN && r.u.boolean == cases[i].present);
        FreeValue(&r);
    }
}

static void test_value_type(void)
{
    ScriptValue fci;
    EXPECT(call("TlvParse", &fci, 1, bytes_value(FCI), none, none) == PELORN_OK);
    EXPECT(fci.type == TLV_TYPE_CODE && fci.release != NULL && fci.copy != NULL);

    static const struct {
        const char *property;
        int64_t integer;
    } integers[] = {{"tag", 0x6F}, {"LENGTH", 0x19}};
    ScriptValue p;
    for (size_t i = 0; i < sizeof integers / sizeof integers[0]; i++) {
        memset(&p, 0, sizeof p);
        EXPECT(fci.getProperty(&fci, integers[i].property, &p) == 0);
        EXPECT(p.type == PELORN_INTEGER && p.u.integer == integers[i].integer);
    }
    EXPECT(fci.getProperty(&fci, "constructed", &p) == 0 && p.type == PELORN_BOOLEAN && p.u.boolean == 1);
    EXPECT(fci.getProperty(&fci, "value", &p) == 0 && has_bytes(&p, "84 07 A0000000031010 A5 0E 50 04 56495341 BF0C 05 9F4D 02 0B0A"));
    FreeValue(&p);
    EXPECT(fci.getProperty(&fci, "encoded", &p) == 0 && has_bytes(&p, FCI));
    FreeValue(&p);
    EXPECT(fci.getProperty(&fci, "hex", &p) == 0 && has_text(&p, "6F198407A0000000031010A50E500456495341BF0C059F4D020B0A"));
    FreeValue(&p);
    EXPECT(fci.getProperty(&fci, "string", &p) == 0 && has_text(&p, "6F{84=A0000000031010 A5{50=56495341 BF0C{9F4D=0B0A}}}"));
    FreeValue(&p);
    EXPECT(fci.getProperty(&fci, "colour", &p) == 1);
    EXPECT(fci.setProperty(&fci, "Tag", &p) == 2);
    EXPECT(fci.setProperty(&fci, "colour", &p) == 1);

    /* The engine's copy: the hook fills the payload, then the header follows. */
    ScriptValue copy;
    memset(&copy, 0, sizeof copy);
    EXPECT(fci.copy(&copy, &fci) == 1);
    EXPECT(copy.u.bytes.data != fci.u.bytes.data && copy.u.bytes.length == fci.u.bytes.length);
    copy.type = fci.type;
    copy.getProperty = fci.getProperty;
    copy.setProperty = fci.setProperty;
    copy.release = fci.release;
    copy.copy = fci.copy;

    /* The children of a constructed value, and of a byte array. */
    ScriptValue children;
    EXPECT(call("TlvList", &children, 1, copy, none, none) == PELORN_OK);
    EXPECT(children.type == PELORN_ARRAY);
    const char *tags[] = {"84", "A5"};
    int n = 0;
    for (ArrayElement *e = children.u.array; e != NULL; e = e->next, n++) {
        EXPECT(e->value.type == TLV_TYPE_CODE);
        EXPECT(n < 2 && e->value.getProperty(&e->value, "hex", &p) == 0 && strncmp(p.u.string.first.text, tags[n], 2) == 0);
        FreeValue(&p);
    }
    EXPECT(n == 2);
    FreeValue(&children);
    EXPECT(call("TlvList", &children, 1, bytes_value("84 00 00 85 00 FF"), none, none) == PELORN_OK);
    EXPECT(children.u.array != NULL && children.u.array->next != NULL && children.u.array->next->next == NULL);
    FreeValue(&children);
    EXPECT(call("TlvList", &children, 1, bytes_value(""), none, none) == PELORN_OK);
    EXPECT(children.type == PELORN_ARRAY && children.u.array == NULL);

    FreeValue(&fci);
    EXPECT(fci.type == 0 && fci.u.bytes.data == NULL);
}

static void test_bad_arguments(void)
{
    static const struct {
        const char *routine;
        int count;
        int64_t tag;
    } cases[] = {
        {"TlvFind", 1, 0x84},     /* tag missing */
        {"TlvFind", 2, 0x9F},     /* 9F announces a second tag byte */
        {"TlvFind", 2, 0},
        {"TlvHas", 2, 0x1FFFFFFFFll},
        {"TlvBuild", 2, 0x8401},  /* 84 is a one-byte tag */
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        ScriptValue r;
        messages[0] = '\0';
        int builds = strcmp(cases[i].routine, "TlvBuild") == 0;
        ScriptValue first = builds ? integer_value(cases[i].tag) : bytes_value("84 00");
        ScriptValue second = builds ? bytes_value("00") : integer_value(cases[i].tag);
        EXPECT(call(cases[i].routine, &r, cases[i].count, first, second, none) == PELORN_BAD_ARGUMENTS);
        EXPECT(strstr(messages, cases[i].routine) != NULL && strncmp(messages, "Bad argument(s) for function", 28) == 0);
    }
    ScriptValue r;
    EXPECT(call("TlvParse", &r, 1, integer_value(1), none, none) == PELORN_BAD_ARGUMENTS);
    EXPECT(call("TlvBuild", &r, 2, integer_value(0x84), integer_value(1), none) == PELORN_BAD_ARGUMENTS);
}

static void test_dump(void)
{
    ArgumentSlot slot;
    memset(&slot, 0, sizeof slot);
    slot.value = bytes_value(FCI);
    output[0] = '\0';
    ProcedureEntry dump = (ProcedureEntry)routine("TlvDump", PELORN_PROCEDURE);
    EXPECT(dump != NULL && dump(1, &slot) == PELORN_OK);
    EXPECT(strcmp(output, "6F (25)\n"
                          "  84 (7) A0000000031010\n"
                          "  A5 (14)\n"
                          "    50 (4) 56495341\n"
                          "    BF0C (5)\n"
                          "      9F4D (2) 0B0A\n") == 0);
    FreeValue(&slot.value);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: module_test path/to/tlv.so\n");
        return 2;
    }
    void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    GetSymTableFn getSymTable = (GetSymTableFn)dlsym(library, "GetSymTable");
    InitializeFn initialize = (InitializeFn)dlsym(library, "Initialize");
    EXPECT(getSymTable != NULL && initialize != NULL);
    if (getSymTable == NULL || initialize == NULL)
        return 1;
    symbols = getSymTable();
    int types = 0;
    for (SymbolEntry *e = symbols; e != NULL; e = e->next) {
        if (e->kind == PELORN_SYM_TYPE) {
            EXPECT(strcmp(e->a.name, "TLV") == 0);
            e->b.typeCode = TLV_TYPE_CODE + types++;
        }
    }
    EXPECT(types == 1);
    EXPECT(initialize(capture_output, capture_message) != 0);

    test_build();
    test_find();
    test_value_type();
    test_bad_arguments();
    test_dump();

    dlclose(library);
    printf("module: %d passed, %d failed\n", checks - failures, failures);
    return failures == 0 ? 0 : 1;
}
