/*
 * host_data_test.c - what a host hands a script and gets back, written
 * against pelorn.h alone: globals set before a run and read after it,
 * script text compiled under a name, the script's arguments and the exit
 * status it asks for (through the "sys" module, found beside the library).
 */
#include <pelorn.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

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

static char output[4096];
static char messages[4096];

static void reset(void)
{
    output[0] = messages[0] = '\0';
}

static int32_t take_output(const char *text)
{
    strncat(output, text, sizeof output - strlen(output) - 1);
    return 0;
}

static int32_t take_message(const char *text)
{
    strncat(messages, text, sizeof messages - strlen(messages) - 2);
    strcat(messages, "|");
    return 0;
}

static ScriptObject *compile(const char *text)
{
    reset();
    ScriptObject *script = ParseScriptText(text, strlen(text), "host", NULL, NULL);
    if (script == NULL)
        fprintf(stderr, "  did not compile: %s\n", messages);
    return script;
}

static ScriptValue make_string(const char *text)
{
    ScriptValue v;
    int32_t length;
    memset(&v, 0, sizeof v);
    v.type = PELORN_STRING;
    v.u.string.first.text = zstrdup2(text, &length);
    v.u.string.length = (uint32_t)length;
    v.getProperty = GetField;
    v.setProperty = SetField;
    return v;
}

static ScriptValue make_integer(int64_t n)
{
    ScriptValue v;
    memset(&v, 0, sizeof v);
    v.type = PELORN_INTEGER;
    v.u.integer = n;
    v.getProperty = GetField;
    v.setProperty = SetField;
    return v;
}

static void test_globals_in_and_out(void)
{
    ScriptObject *script = compile("const LIMIT = 3\n"
                                   "Println(greeting, \" \", count)\n"
                                   "count = count + 1\n"
                                   "codes = [<9000>; \"ok\"]\n");
    if (script == NULL)
        return;
    ScriptValue greeting = make_string("hello");
    ScriptValue count = make_integer(41);
    EXPECT(SetScriptGlobal(script, "greeting", &greeting) == PELORN_GLOBAL_DONE);
    EXPECT(SetScriptGlobal(script, "count", &count) == PELORN_GLOBAL_DONE);
    /* The engine took copies: the host's own values are still its own. */
    FreeValue(&greeting);
    EXPECT(script->run(script) != 0);
    EXPECT(strcmp(output, "hello 41\n") == 0);

    ScriptValue out;
    memset(&out, 0, sizeof out);
    EXPECT(GetScriptGlobal(script, "count", &out) == PELORN_GLOBAL_DONE);
    EXPECT(out.type == PELORN_INTEGER && out.u.integer == 42);
    FreeValue(&out);
    EXPECT(GetScriptGlobal(script, "codes", &out) == PELORN_GLOBAL_DONE);
    EXPECT(out.type == PELORN_ARRAY && out.u.array != NULL && out.u.array->value.type == PELORN_BYTEARRAY &&
           out.u.array->value.u.bytes.length == 2 && out.u.array->value.u.bytes.data[0] == 0x90 &&
           out.u.array->next != NULL && out.u.array->next->value.type == PELORN_STRING);
    FreeValue(&out);
    EXPECT(GetScriptGlobal(script, "LIMIT", &out) == PELORN_GLOBAL_DONE && out.u.integer == 3);

    /* Only variables of that exact name; constants cannot be set. */
    EXPECT(GetScriptGlobal(script, "Count", &out) == PELORN_NO_SUCH_GLOBAL);
    EXPECT(GetScriptGlobal(script, "Println", &out) == PELORN_NO_SUCH_GLOBAL);
    EXPECT(SetScriptGlobal(script, "nosuch", &count) == PELORN_NO_SUCH_GLOBAL);
    EXPECT(SetScriptGlobal(script, "LIMIT", &count) == PELORN_GLOBAL_READ_ONLY);
    EXPECT(GetScriptGlobal(NULL, "count", &out) == PELORN_NO_SUCH_GLOBAL);
    EXPECT(GetScriptGlobal(script, NULL, &out) == PELORN_NO_SUCH_GLOBAL);
    EXPECT(SetScriptGlobal(script, "count", NULL) == PELORN_NO_SUCH_GLOBAL);

    /* A value the engine cannot copy leaves the variable as it was. */
    ScriptValue strange;
    memset(&strange, 0, sizeof strange);
    strange.type = PELORN_FIRST_MODULE_TYPE + 40;
    reset();
    EXPECT(SetScriptGlobal(script, "count", &strange) == PELORN_GLOBAL_NOT_COPIED);
    EXPECT(messages[0] != '\0');
    EXPECT(GetScriptGlobal(script, "count", &out) == PELORN_GLOBAL_DONE && out.u.integer == 42);

    /* What the host sets between runs is what the next run starts with. */
    count = make_integer(-7);
    EXPECT(SetScriptGlobal(script, "count", &count) == PELORN_GLOBAL_DONE);
    reset();
    EXPECT(script->run(script) != 0);
    EXPECT(strcmp(output, "hello -7\n") == 0);
    FreeScript(script);
}

/* An array as the host reads it, walking chains alone: "1 (2 3)". */
static void array_text(const ScriptValue *v, char *out, size_t size)
{
    for (const ArrayElement *e = v->u.array; e != NULL; e = e->next) {
        if (((uintptr_t)e & 7) != 0) { /* not a block of the public form */
            strncat(out, "?", size - strlen(out) - 1);
            return;
        }
        if (e != v->u.array)
            strncat(out, " ", size - strlen(out) - 1);
        if (e->value.type == PELORN_ARRAY) {
            strncat(out, "(", size - strlen(out) - 1);
            array_text(&e->value, out, size);
            strncat(out, ")", size - strlen(out) - 1);
        } else {
            char number[32];
            snprintf(number, sizeof number, "%lld", (long long)e->value.u.integer);
            strncat(out, number, size - strlen(out) - 1);
        }
    }
}

static const ScriptValue *global_entry(ScriptObject *script, const char *name)
{
    for (const SymbolEntry *e = script->symbols; e != NULL; e = e->next)
        if (e->kind == PELORN_SYM_VARIABLE && strcmp(e->a.name, name) == 0)
            return &e->c.value;
    return NULL;
}

static ArrayElement *element_of(ScriptValue value)
{
    ArrayElement *e = zalloc((int32_t)sizeof *e);
    e->value = value;
    return e;
}

/* Arrays the script grows and nests are chains again for the host after a
 * run, in the symbol list and through GetScriptGlobal; a chain the host
 * sets is what the next run works on. A host that keeps the globals in the
 * engine's form reads the same through GetScriptGlobal, and the symbol
 * list is chains again once it asks for the public form back. */
static void test_array_globals_between_runs(int public_globals)
{
    ScriptObject *script = compile("before = grid.length\n"
                                   "grid[1] += 5\n"
                                   "grid += [[7; [8]]]\n"
                                   "for i = 1 to 20\n"
                                   "  grid[2][1] += i\n"
                                   "end\n"
                                   "Println(before, \" \", grid.length, \" \", grid[1].length)\n");
    EXPECT(script != NULL);
    if (script == NULL)
        return;
    /* grid = [1; [2]] */
    ScriptValue inner = make_integer(0);
    inner.type = PELORN_ARRAY;
    inner.u.array = element_of(make_integer(2));
    ScriptValue grid = inner;
    grid.u.array = element_of(make_integer(1));
    grid.u.array->next = element_of(inner);
    EXPECT(SetScriptGlobal(script, "grid", &grid) == PELORN_GLOBAL_DONE);
    FreeValue(&grid);
    SetScriptGlobalsPublic(script, (uint8_t)public_globals);
    for (int run = 1; run <= 2; run++) {
        reset();
        EXPECT(script->run(script) != 0);
        EXPECT(strcmp(output, run == 1 ? "2 3 2\n" : "3 4 3\n") == 0);
    }
    const char *expected = "1 (2 5 5) (7 (8 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 1 2 3 4 5 6 7 8 9 10 "
                           "11 12 13 14 15 16 17 18 19 20)) (7 (8))";
    char text[512] = "";
    if (public_globals) {
        array_text(global_entry(script, "grid"), text, sizeof text);
        EXPECT(strcmp(text, expected) == 0);
    }
    ScriptValue out;
    memset(&out, 0, sizeof out);
    EXPECT(GetScriptGlobal(script, "grid", &out) == PELORN_GLOBAL_DONE);
    char copied[512] = "";
    array_text(&out, copied, sizeof copied);
    EXPECT(strcmp(copied, expected) == 0);
    FreeValue(&out);
    if (!public_globals) {
        SetScriptGlobalsPublic(script, 1);
        reset();
        EXPECT(script->run(script) != 0);
        array_text(global_entry(script, "grid"), text, sizeof text);
        EXPECT(strncmp(text, "1 (2 5 5 5) (7 (8 1 2 3", 22) == 0 && strchr(text, '?') == NULL);
    }
    FreeScript(script);
}

static void test_text_scripts(const char *folder)
{
    char path[512];
    snprintf(path, sizeof path, "%s/inc.scr", folder);
    FILE *f = fopen(path, "w");
    if (f == NULL)
        return;
    fputs("Println(\"included\")\n", f);
    fclose(f);

    /* Relative paths start from the directory given. */
    const char *text = "include \"inc.scr\"\n";
    int32_t status = -1;
    reset();
    ScriptObject *script = ParseScriptText(text, strlen(text), "typed", folder, &status);
    EXPECT(script != NULL && status == PELORN_PARSED);
    if (script != NULL) {
        EXPECT(script->run(script) != 0 && strcmp(output, "included\n") == 0);
        FreeScript(script);
    }
    unlink(path);

    /* Messages name the script as given; only `length` bytes are read. */
    text = "Println(1)\ny = )\n";
    reset();
    EXPECT(ParseScriptText(text, strlen(text), "typed", NULL, &status) == NULL && status == PELORN_COMPILE_ERROR);
    EXPECT(strncmp(messages, "typed(2) : ", 11) == 0);
    reset();
    script = ParseScriptText(text, 11, "typed", NULL, &status);
    EXPECT(script != NULL && status == PELORN_PARSED);
    if (script != NULL) {
        reset();
        EXPECT(script->run(script) != 0 && strcmp(output, "1\n") == 0);
        FreeScript(script);
    }
    script = ParseScriptText(NULL, 0, NULL, NULL, &status);
    EXPECT(script != NULL && status == PELORN_PARSED);
    if (script != NULL) {
        EXPECT(script->run(script) != 0);
        FreeScript(script);
    }
}

static void test_arguments_and_exit_status(void)
{
    char word[] = "first";
    const char *arguments[] = {word, "-x", ""};
    EXPECT(GetScriptArgumentCount() == 0);
    EXPECT(SetScriptArguments(3, arguments) != 0);
    word[0] = 'F'; /* copied */
    EXPECT(GetScriptArgumentCount() == 3);
    EXPECT(strcmp(GetScriptArgument(0), "first") == 0 && strcmp(GetScriptArgument(2), "") == 0);
    EXPECT(GetScriptArgument(3) == NULL && GetScriptArgument(-1) == NULL);
    EXPECT(SetScriptArguments(-1, arguments) == 0 && SetScriptArguments(1, NULL) == 0);
    EXPECT(GetScriptArgumentCount() == 3);

    EXPECT(GetRequestedExitStatus() == -1);
    EXPECT(SetRequestedExitStatus(126) == 0 && SetRequestedExitStatus(-2) == 0);
    EXPECT(GetRequestedExitStatus() == -1);

    /* The sys module reads and writes the same. */
    ScriptObject *script = compile("use \"sys\"\n"
                                   "args = GetArgs()\n"
                                   "Println(args.length, args[1])\n"
                                   "SetExitStatus(12)\n");
    if (script != NULL) {
        reset();
        EXPECT(script->run(script) != 0);
        EXPECT(strcmp(output, "3-x\n") == 0);
        EXPECT(GetRequestedExitStatus() == 12);
        FreeScript(script);
    }
    EXPECT(SetRequestedExitStatus(-1) != 0 && GetRequestedExitStatus() == -1);
    EXPECT(SetScriptArguments(0, NULL) != 0 && GetScriptArgumentCount() == 0);
}

static void test_null_handles(void)
{
    SetScriptAPDUVerbose(NULL, 1);
    SetCurrentReaderEntry(NULL);
    EXPECT(ReaderHoldsCard(NULL) == 0);
}

int main(void)
{
    char folder[] = "/tmp/pelorn-host-data-XXXXXX";
    if (mkdtemp(folder) == NULL) {
        perror("mkdtemp");
        return 2;
    }
    SetStandardOutputFn(take_output);
    SetMessageOutputFn(take_message);

    test_globals_in_and_out();
    test_array_globals_between_runs(1);
    test_array_globals_between_runs(0);
    test_text_scripts(folder);
    test_arguments_and_exit_status();
    test_null_handles();

    rmdir(folder);
    printf("host data: %d passed, %d failed\n", checks - failures, failures);
    return failures == 0 ? 0 : 1;
}
