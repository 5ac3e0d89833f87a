/*
 * gp_throw.h - throwing a formatted text into the script. The throw
 * unwinds through C frames straight back into the engine: callers own
 * nothing on the heap when they call it.
 */
#ifndef GP_THROW_H
#define GP_THROW_H

__attribute__((noreturn, format(printf, 1, 2))) void gp_throw(const char *format, ...);

#endif
