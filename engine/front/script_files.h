// Script files: the main file, included files and the include stack.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace pelorn::front {

// Opens a script file for reading; null (errno set) when it cannot be read
// as one, directories included.
FILE *openScriptFile(const char *path);
// Makes an opened main file the current file, under its canonical name.
void beginMainFile(FILE *file, const char *pathAsGiven);
// Makes an opened stream the main file under a name of the host's choice
// (messages show it as it is), with relative paths taken from directory.
void beginMainText(FILE *file, const std::string &name, const std::string &directory);
// Reads up to `size` bytes of text: a CR LF pair becomes one line break.
size_t readText(FILE *file, char *buffer, size_t size);
// The include directive, with the text between its quotes.
void includeFile(const char *pathText);
// The scanner has read the current file to its end. True when reading goes
// on in the including file; false at the end of the main file.
bool endOfFile();
// Closes every file and frees every read buffer (end of a compilation).
void closeScriptFiles();

} // namespace pelorn::front
