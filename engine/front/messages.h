// Every text the front end reports, in one place. Those that end in "\n"
// are delivered with two line breaks: the compile-error format adds one.
#pragma once

namespace pelorn::front::messages {

// Opening the main file (status 1; no position).
inline constexpr const char *kCannotOpenMain = "Failed to open file %s for reading.";

// Compile-error formats: with the position, and once the main file has ended.
inline constexpr const char *kWithPosition = "%s(%d) : %s\n";
inline constexpr const char *kWithoutPosition = "%s\n";

// Scanner.
inline constexpr const char *kUnterminatedString = "error - unterminated string constant";
inline constexpr const char *kOctalOutOfBounds = "error, constant is out-of-bounds";
inline constexpr const char *kBadEscape = "generate error - bad escape sequence";
inline constexpr const char *kStringTooBig = "error, string is too big. Maximum allowed = 1024 characters.";
inline constexpr const char *kExpectingOneCharacter = "expecting one character";
inline constexpr const char *kUnknownEscape = "Unknown escape character";
inline constexpr const char *kUnknownFunctionType = "Unknown function type.\n";
inline constexpr const char *kMalformedInclude =
    "Syntax error. To call another script, write : include \"file path\" in one line.";
inline constexpr const char *kReadFailure = "Failed to read the script file.";
inline constexpr const char *kScannerFailure = "The script scanner failed: %s.";
inline constexpr const char *kOutOfMemory = "Not enough memory to compile the script.";

// Includes.
inline constexpr const char *kRecursiveInclude = "Error: Recurcive include detected.";
inline constexpr const char *kCannotOpenInclude = "Failed to open script file \"%s\"";

// Parser: "syntax error, unexpected X, expecting A or B".
inline constexpr const char *kSyntaxError = "syntax error";
inline constexpr const char *kUnexpected = ", unexpected ";
inline constexpr const char *kExpecting = ", expecting ";
inline constexpr const char *kOrExpecting = " or ";
inline constexpr const char *kEndOfInput = "$end";
inline constexpr const char *kUndefinedToken = "$undefined";
// Too deep a tree, as for too deep a nesting (the parser's own text).
inline constexpr const char *kTooDeep = "memory exhausted";

// Tree construction.
inline constexpr const char *kConstantRedeclared = "You can't set an already declared variable as a constant";
inline constexpr const char *kVariableNotProcedure = "\"%s\" is a variable and not a procedure";
inline constexpr const char *kVariableNotFunction = "\"%s\" is a variable and not function";
inline constexpr const char *kIncrementUndeclared =
    "Variable %s must be declared before being incremented(via an asignement or function/procedure call)";
inline constexpr const char *kDecrementUndeclared =
    "Variable %s must be declared before being decremented(via an asignment or function/procedure call)";
inline constexpr const char *kApduPartUndeclared = "Variable %s must be declared before being used on the APDU command";
inline constexpr const char *kApduMemberUndeclared = "Variable %s must be declared before accessing its member %s";
inline constexpr const char *kCompoundUndeclared = "Variable %s must be declared before being accessed using operator %s";
inline constexpr const char *kElementUndeclared = "Variable %s must be declared before being accessed as an array";
inline constexpr const char *kMemberUndeclared = "Variable %s must be declared before setting its member value";
inline constexpr const char *kMemberOfElement = "assigning a member of the value of an array is not implemented";
inline constexpr const char *kConstantAssigned = "Can't modify the value of a constant.\n";
inline constexpr const char *kParameterNameUsed = "The name \"%s\" is already used by a parameter or a global variable";
inline constexpr const char *kParameterDeclarationFailed =
    "Two parameters have the same name on prototype declaration or a parameter uses the name of a global variable";

// Modules.
inline constexpr const char *kModuleLoadFailed = "Failed to load module \"%s\" .";
inline constexpr const char *kModuleUnrecognized = "Unrecognized module \"%s\" .";
inline constexpr const char *kModuleNoSymbols = "The module \"%s\" couldn't be recognized.";
inline constexpr const char *kModuleInitFailed = "The module \"%s\" didn't initialize correctly.";

} // namespace pelorn::front::messages
