/*
 * host_test.c - a host program written against pelorn.h alone: it installs
 * the three callbacks, compiles scripts, runs one twice and frees them.
 */
#include <pelorn.h>

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

/* Everything the engine delivered through the callbacks since reset(). */
static char output[8192];
static int outputCalls;
static char messages[4096];
static int messageCalls;
static const char *inputLines[4];
static int inputCount;

static void reset(void)
{
    output[0] = messages[0] = '\0';
    outputCalls = messageCalls = inputCount = 0;
}

static int32_t take_output(const char *text)
{
    strncat(output, text, sizeof output - strlen(output) - 1);
    outputCalls++;
    return 0;
}

static int32_t take_message(const char *text)
{
    strncat(messages, text, sizeof messages - strlen(messages) - 2);
    strcat(messages, "|");
    messageCalls++;
    return 0;
}

/* Hands out the next prepared line, then empty lines. */
static int32_t give_input(char *buffer, int32_t size)
{
    const char *line = inputCount < 4 && inputLines[inputCount] != NULL ? inputLines[inputCount] : "";
    inputCount++;
    snprintf(buffer, (size_t)size, "%s", line);
    return 0;
}

static char folder[] = "/tmp/pelorn-host-XXXXXX";

static const char *write_script(const char *name, const char *text)
{
    static char path[256];
    snprintf(path, sizeof path, "%s/%s", folder, name);
    FILE *f = fopen(path, "w");
    if (f == NULL) {
        perror(path);
        exit(2);
    }
    fputs(text, f);
    fclose(f);
    return path;
}

static void test_runs_keep_globals(void)
{
    const char *path = write_script("twice.scr",
                                    "if typeof runs = UNDEFINED then\n"
                                    "  runs = 0\n"
                                    "end\n"
                                    "runs = runs + 1\n"
                                    "name = ReadLine()\n"
                                    "Println(\"run \", runs, \" by \", name)\n");
    int32_t status = -1;
    reset();
    ScriptObject *script = ParseScript(path, &status);
    EXPECT(script != NULL && status == PELORN_PARSED);
    if (script == NULL) {
        fprintf(stderr, "  messages: %s\n", messages);
        return;
    }
    inputLines[0] = "ada";
    inputLines[1] = "bob";
    EXPECT(script->run(script) != 0);
    EXPECT(script->run(script) != 0);
    EXPECT(strcmp(output, "run 1 by ada\nrun 2 by bob\n") == 0);
    EXPECT(messageCalls == 0);
    if (strcmp(output, "run 1 by ada\nrun 2 by bob\n") != 0 || messageCalls != 0)
        fprintf(stderr, "  output: %s\n  messages: %s\n", output, messages);
    FreeScript(script);
}

static void test_failures_are_reported(void)
{
    char expected[512];
    int32_t status = -1;

    /* A file that cannot be opened: status 1, the path as given. */
    reset();
    EXPECT(ParseScript("no/such/file.scr", &status) == NULL && status == PELORN_OPEN_FAILED);
    EXPECT(strcmp(messages, "Failed to open file no/such/file.scr for reading.|") == 0);

    /* A compile error: status 2, a message naming the file and line. */
    const char *path = write_script("broken.scr", "x = 1\ny = )\n");
    snprintf(expected, sizeof expected, "%s(2) : ", path);
    reset();
    EXPECT(ParseScript(path, &status) == NULL && status == PELORN_COMPILE_ERROR);
    EXPECT(messageCalls == 1 && strncmp(messages, expected, strlen(expected)) == 0);
    EXPECT(strlen(messages) > 2 && strcmp(messages + strlen(messages) - 2, "\n|") == 0);

    /* A run-time failure: the run reports false after one message; the
     * object can still be run again and freed. */
    path = write_script("fails.scr", "Println(\"start\")\nthrow \"boom\"\n");
    snprintf(expected, sizeof expected, "%s(2) : ", path);
    reset();
    ScriptObject *script = ParseScript(path, NULL);
    EXPECT(script != NULL);
    if (script == NULL)
        return;
    EXPECT(script->run(script) == 0);
    EXPECT(strcmp(output, "start\n") == 0);
    EXPECT(messageCalls == 1 && strncmp(messages, expected, strlen(expected)) == 0 && strstr(messages, "boom") != NULL);
    EXPECT(script->run(script) == 0 && messageCalls == 2);
    FreeScript(script);
    FreeScript(NULL);
}

static void test_channels(void)
{
    /* Long output reaches the callback in one piece; '%' is not a format. */
    const char *path = write_script("long.scr",
                                    "s = \"%d\"\n"
                                    "for i = 1 to 2500\n"
                                    "  s = s + \"ab\"\n"
                                    "end\n"
                                    "Print(s)\n");
    reset();
    ScriptObject *script = ParseScript(path, NULL);
    EXPECT(script != NULL);
    if (script != NULL) {
        EXPECT(script->run(script) != 0);
        EXPECT(outputCalls == 1 && strlen(output) == 5002 && strncmp(output, "%dabab", 6) == 0);
        FreeScript(script);
    }

    /* Debug mode, set before compiling, makes '#' lines code. */
    path = write_script("debug.scr", "#Println(\"debug\")\nPrintln(\"always\")\n");
    for (int on = 0; on <= 1; on++) {
        SwitchDebugMode((uint8_t)on);
        reset();
        script = ParseScript(path, NULL);
        SwitchDebugMode(0);
        EXPECT(script != NULL);
        if (script == NULL)
            continue;
        EXPECT(script->run(script) != 0);
        EXPECT(strcmp(output, on ? "debug\nalways\n" : "always\n") == 0);
        FreeScript(script);
    }
}

int main(void)
{
    if (mkdtemp(folder) == NULL) {
        perror("mkdtemp");
        return 2;
    }
    EXPECT(SetStandardOutputFn(take_output) == take_output);
    EXPECT(SetMessageOutputFn(take_message) == take_message);
    EXPECT(SetStandardInputFn(give_input) == give_input);

    test_runs_keep_globals();
    test_failures_are_reported();
    test_channels();

    const char *names[] = {"twice.scr", "broken.scr", "fails.scr", "long.scr", "debug.scr"};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; i++) {
        char path[256];
        snprintf(path, sizeof path, "%s/%s", folder, names[i]);
        unlink(path);
    }
    rmdir(folder);
    printf("host: %d passed, %d failed\n", checks - failures, failures);
    return failures == 0 ? 0 : 1;
}
