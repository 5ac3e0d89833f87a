/*
 * gp_throw.c - the module's thrown texts.
 */
#include "gp_throw.h"

#include <pelorn.h>

#include <stdarg.h>
#include <stdio.h>

/* Room for the longest text: a routine's name, two AIDs and numbers. */
#define THROW_TEXT_SIZE 256

void gp_throw(const char *format, ...)
{
    char text[THROW_TEXT_SIZE];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    ThrowStringException(text);
}
