// The static check of a script: compile it, run nothing, report what
// would fail when it runs.
#pragma once

#include "pelorn.h"

#include <cstddef>

namespace pelorn::check {

// Compiles the file at path (as ParseScript does: modules are loaded and
// initialised, nothing runs) and reports each finding; the main file is
// named as path is given, included files by their canonical paths. A
// compile error goes through the message channel as the engine reports
// it. PELORN_CHECK_CLEAN, PELORN_CHECK_WARNINGS or PELORN_CHECK_NOT_COMPILED.
int32_t checkScript(const char *path, CheckReportFn report, void *context);
// The same for script text compiled as ParseScriptText compiles it; the
// main file is named `name`.
int32_t checkScriptText(const char *text, size_t length, const char *name, const char *directory,
                        CheckReportFn report, void *context);

} // namespace pelorn::check
