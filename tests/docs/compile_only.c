/* Compiles one script file and runs nothing: the guide's `pelorn norun`
 * examples. Messages go to standard error; exit status 0 when the script
 * compiled, 2 when it did not. */
#include <pelorn.h>

#include <stdio.h>
#include <string.h>

static int32_t show(const char *text)
{
    size_t n = strlen(text);
    fputs(text, stderr);
    if (n == 0 || text[n - 1] != '\n')
        fputc('\n', stderr);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fputs("usage: compile_only SCRIPT\n", stderr);
        return 255;
    }
    SetMessageOutputFn(show);
    ScriptObject *script = ParseScript(argv[1], NULL);
    if (script == NULL)
        return 2;
    FreeScript(script);
    return 0;
}
