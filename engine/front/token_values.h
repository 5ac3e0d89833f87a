// What the scanner's rules hand the parser: each function fills the token
// value from the matched text and returns the token's code. Texts and byte
// blocks made here go on the pending list at once.
#pragma once

#include "front/semantic_value.h"

#include <cstddef>
#include <cstdint>

namespace pelorn::front::tokens {

// A name: IDENTIFIER, CONST_VAR, VFNCT, SFNCT, MFNCT or VALUETYPE, as the
// symbol lists stand now; 0 when the name is to be skipped.
int name(const char *text, size_t length, SemanticValue *value);
// "procedure NAME", "function NAME", "const NAME": the name after the blanks.
int declaration(int token, const char *text, size_t length, SemanticValue *value);
// A run of decimal digits (a leading 0 makes it octal) or "0x" and hex
// digits; values beyond the 64-bit range saturate.
int integer(const char *digits, int base, SemanticValue *value);
// digits, a dot, optional digits
int real(const char *text, size_t length, SemanticValue *value);
// 'c', 'cc' or '\e'.
int characterConstant(const char *text, size_t length, SemanticValue *value);
// <...>: the matched text; counts its line breaks.
int byteArray(char *text, size_t length, SemanticValue *value);
// {xxxx, xxxx}: the masks without blanks and commas.
int statusWordMask(const char *text, size_t length, SemanticValue *value);
// .name
int member(const char *text, size_t length, SemanticValue *value);

// The string literal being read.
void beginString();
void storeCharacter(char c);
// \ooo: one to three octal digits after the backslash.
void storeOctalEscape(const char *digits);
int endString(SemanticValue *value);

} // namespace pelorn::front::tokens
