// Token values: converting matched text, classifying names.
#include "front/token_values.h"

#include "front/compilation.h"
#include "front/compile_error.h"
#include "front/messages.h"
#include "grammar.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace pelorn::front::tokens {

namespace {

// A zalloc'd copy of the text, on the pending list until a rule takes it.
char *keep(const char *text, size_t length)
{
    Compilation &c = compilation();
    c.pending->reserveOne();
    auto *copy = static_cast<char *>(zalloc(static_cast<int32_t>(length) + 1));
    if (copy == nullptr)
        throw std::bad_alloc();
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    c.pending->add(PendingKind::Block, copy);
    return copy;
}

} // namespace

int name(const char *text, size_t length, SemanticValue *value)
{
    SymbolEntry *entry = compilation().symbols.find(text);
    if (entry == nullptr) {
        value->identifier = {keep(text, length), nullptr};
        return TOKEN_IDENTIFIER;
    }
    switch (entry->kind) {
    case PELORN_SYM_VARIABLE:
        if (entry->isConstant != 0) {
            value->entry = entry;
            return TOKEN_CONST_VAR;
        }
        // Read-only variables (Err, __SW) are identifiers like any other.
        value->identifier = {keep(text, length), entry};
        return TOKEN_IDENTIFIER;
    case PELORN_SYM_ROUTINE:
        value->entry = entry;
        switch (entry->a.routineKind) {
        case PELORN_PROCEDURE:
            return TOKEN_VFNCT;
        case PELORN_FUNCTION:
            return TOKEN_SFNCT;
        case PELORN_UNCALLABLE:
            return TOKEN_MFNCT;
        default:
            raiseCompileError(messages::kUnknownFunctionType);
        }
    case PELORN_SYM_TYPE:
        value->typeCode = entry->b.typeCode;
        return TOKEN_VALUETYPE;
    default:
        // An entry of no known kind hides its name from the script text.
        return 0;
    }
}

int declaration(int token, const char *text, size_t length, SemanticValue *value)
{
    // The keyword, blanks, then the name.
    size_t at = 0;
    while (at < length && std::isalpha(static_cast<unsigned char>(text[at])))
        ++at;
    while (at < length && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    value->text = keep(text + at, length - at);
    return token;
}

int integer(const char *digits, int base, SemanticValue *value)
{
    // strtoll saturates at the largest value, as the language wants, and
    // stops silently at the first digit outside the base (09 is 0).
    value->integer = std::strtoll(digits, nullptr, base);
    return TOKEN_INTVALUE;
}

int real(const char *text, size_t length, SemanticValue *value)
{
    // Always a dot, whatever locale the host has chosen.
    double parsed = 0;
    auto [end, error] = std::from_chars(text, text + length, parsed);
    if (error == std::errc::result_out_of_range) {
        // Without an exponent only a huge integer part can leave the range.
        const char *dot = std::strchr(text, '.');
        bool huge = std::find_if(text, dot, [](char c) { return c != '0'; }) != dot;
        parsed = huge ? HUGE_VAL : 0.0;
    }
    value->real = parsed;
    return TOKEN_FLT;
}

int characterConstant(const char *text, size_t length, SemanticValue *value)
{
    // 'c' or 'c'' (the longest match makes ''' and '''' a quote and '\''
    // a backslash): the first inner character. Otherwise an escape.
    auto first = static_cast<unsigned char>(text[1]);
    if (length == 3 || text[2] == '\'') {
        value->integer = first;
        return TOKEN_INTVALUE;
    }
    if (first != '\\')
        raiseCompileError(messages::kExpectingOneCharacter);
    switch (std::tolower(static_cast<unsigned char>(text[2]))) {
    case 'a':
        value->integer = 7;
        break;
    case 'b':
        value->integer = 8;
        break;
    case 'f':
        value->integer = 12;
        break;
    case 'n':
        value->integer = 10;
        break;
    case 'r':
        value->integer = 13;
        break;
    case 't':
        value->integer = 9;
        break;
    default:
        raiseCompileError(messages::kUnknownEscape);
    }
    return TOKEN_INTVALUE;
}

int byteArray(char *text, size_t length, SemanticValue *value)
{
    Compilation &c = compilation();
    // Line breaks inside the literal count, so that later positions stay right.
    for (size_t i = 0; i < length; ++i)
        if (text[i] == '\n')
            ++c.current.line;
    c.pending->reserveOne();
    text[length - 1] = '\0'; // the closing '>'
    ScriptValue bytes = stringToBytearray(text + 1);
    text[length - 1] = '>';
    value->bytes.data = bytes.u.bytes.data;
    value->bytes.length = bytes.type == PELORN_BYTEARRAY ? bytes.u.bytes.length : 0;
    c.pending->add(PendingKind::Block, value->bytes.data);
    return TOKEN_BYTEARRAY;
}

int statusWordMask(const char *text, size_t length, SemanticValue *value)
{
    Compilation &c = compilation();
    c.pending->reserveOne();
    // Four characters a mask, at most length / 4 of them, and the NUL.
    auto *mask = static_cast<char *>(zalloc(static_cast<int32_t>(length)));
    if (mask == nullptr)
        throw std::bad_alloc();
    size_t n = 0;
    for (size_t i = 1; i + 1 < length; ++i)
        if (std::isxdigit(static_cast<unsigned char>(text[i])) || text[i] == 'X' || text[i] == 'x')
            mask[n++] = text[i];
    mask[n] = '\0';
    c.pending->add(PendingKind::Block, mask);
    value->text = mask;
    return TOKEN_APDU_SW_MASK;
}

int member(const char *text, size_t length, SemanticValue *value)
{
    value->text = keep(text + 1, length - 1);
    return TOKEN_MEMBER;
}

void beginString()
{
    compilation().stringLength = 0;
}

void storeCharacter(char ch)
{
    Compilation &c = compilation();
    if (c.stringLength == kStringCapacity)
        raiseCompileError(messages::kStringTooBig);
    c.stringBuffer[c.stringLength++] = ch;
}

void storeOctalEscape(const char *digits)
{
    long code = std::strtol(digits, nullptr, 8);
    if (code > 255)
        raiseCompileError(messages::kOctalOutOfBounds);
    storeCharacter(static_cast<char>(code));
}

int endString(SemanticValue *value)
{
    Compilation &c = compilation();
    c.stringBuffer[c.stringLength] = '\0';
    // An escaped NUL ends the text ("ab\0cd" is "ab").
    value->text = keep(c.stringBuffer, std::strlen(c.stringBuffer));
    return TOKEN_STR;
}

} // namespace pelorn::front::tokens
