// The scanner: tokens and their values, line counting, scanner errors.
#include "front/compilation.h"
#include "front/compile_error.h"
#include "front/scanner.h"
#include "front/script_files.h"
#include "front_fixture.h"
#include "grammar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace pelorn;
using pelorn::fixture::CapturedMessages;
using pelorn::fixture::ScratchFolder;

namespace {

std::string quoted(const char *text)
{
    std::string out;
    for (const char *p = text; *p != '\0'; ++p) {
        auto c = static_cast<unsigned char>(*p);
        if (c < 32 || c >= 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string describe(int token, const front::SemanticValue &v)
{
    switch (token) {
    case TOKEN_IDENTIFIER:
        return std::string("IDENTIFIER ") + v.identifier.name + (v.identifier.entry != nullptr ? "*" : "");
    case TOKEN_CONST_VAR:
        return std::string("CONST_VAR ") + front::entryName(*v.entry);
    case TOKEN_VFNCT:
        return std::string("VFNCT ") + front::entryName(*v.entry);
    case TOKEN_SFNCT:
        return std::string("SFNCT ") + front::entryName(*v.entry);
    case TOKEN_MFNCT:
        return std::string("MFNCT ") + front::entryName(*v.entry);
    case TOKEN_VALUETYPE:
        return "VALUETYPE " + std::to_string(v.typeCode);
    case TOKEN_INTVALUE:
        return "INTVALUE " + std::to_string(v.integer);
    case TOKEN_FLT: {
        char text[64];
        std::snprintf(text, sizeof text, "FLT %g", v.real);
        return text;
    }
    case TOKEN_STR:
        return "STR " + quoted(v.text);
    case TOKEN_BOOLVALUE:
        return "BOOLVALUE " + std::to_string(v.boolean);
    case TOKEN_BYTEARRAY: {
        std::string out = "BYTEARRAY";
        for (int32_t i = 0; i < v.bytes.length; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", v.bytes.data[i]);
            out += hex;
        }
        return v.bytes.length == 0 && v.bytes.data != nullptr ? out + " (block)" : out;
    }
    case TOKEN_APDU_SW_MASK:
        return std::string("APDU_SW_MASK ") + v.text;
    case TOKEN_MEMBER:
        return std::string("MEMBER ") + v.text;
    case TOKEN_PROC_NAME:
        return std::string("PROC_NAME ") + v.text;
    case TOKEN_FUNC_NAME:
        return std::string("FUNC_NAME ") + v.text;
    case TOKEN_CONST_DECL:
        return std::string("CONST_DECL ") + v.text;
    case TOKEN_YYUNDEF:
        return "$undefined";
    case '\n':
        return "'\\n'";
    }
#define NAMED(name)                                                                                                \
    case TOKEN_##name:                                                                                             \
        return #name;
    switch (token) {
        NAMED(BYVAL) NAMED(IF) NAMED(THEN) NAMED(ELSE) NAMED(END) NAMED(WHILE) NAMED(FOR) NAMED(TO) NAMED(STEP)
        NAMED(BREAK) NAMED(TYPEOF) NAMED(USE) NAMED(POW) NAMED(AND) NAMED(OR) NAMED(NOT) NAMED(RETURN) NAMED(EXIT)
        NAMED(TRY) NAMED(CATCH) NAMED(THROW) NAMED(XOR) NAMED(INCREMENT) NAMED(DECREMENT) NAMED(SELF_ADD)
        NAMED(SELF_SUB) NAMED(SELF_MUL) NAMED(SELF_DIV) NAMED(SELF_MOD) NAMED(LQ) NAMED(GQ) NAMED(DIFF) NAMED(SHR)
        NAMED(SHL)
    }
#undef NAMED
    if (token > 32 && token < 127)
        return std::string("'") + static_cast<char>(token) + "'";
    char code[16];
    std::snprintf(code, sizeof code, "char %d", token);
    return code;
}

struct Scanned {
    std::string tokens; // descriptions joined by " | "
    std::vector<int> lines; // the position after each token
    std::string error;  // the compile error, if one ended the scan
};

// Scans a text as a main file would be, with the symbol lists empty.
Scanned scan(const std::string &text, bool debug = false)
{
    ScratchFolder folder;
    std::string path = folder.write("lex.scr", text);
    CapturedMessages messages;
    front::setDebugMode(debug);
    Scanned out;
    {
        front::Compilation c;
        front::ActiveCompilation active(c);
        c.script = interp::createScript();
        c.pending = new front::PendingList();
        c.script->pending = c.pending;
        c.symbols.indexShared(nullptr);
        c.scanner = front::scanner::create();
        c.current.file = front::openScriptFile(path.c_str());
        front::beginMainFile(c.current.file, path.c_str());
        try {
            front::SemanticValue v;
            while (int token = front::scanner::nextToken(&v, c.scanner)) {
                if (!out.tokens.empty())
                    out.tokens += " | ";
                out.tokens += describe(token, v);
                out.lines.push_back(front::currentLine());
            }
        } catch (const front::CompileError &) {
            out.error = messages.last();
        }
        front::closeScriptFiles();
        front::scanner::destroy(c.scanner);
        // The token texts are still pending; the compiler's release entry
        // is not set here, so they go before the script.
        front::releasePending(c.script->pending);
        c.script->pending = nullptr;
        FreeScript(c.script->object());
    }
    front::setDebugMode(false);
    return out;
}

struct TokenCase {
    const char *source;
    const char *tokens;
};

class Tokens : public ::testing::TestWithParam<TokenCase> {};

TEST_P(Tokens, ScanAs)
{
    Scanned s = scan(GetParam().source);
    EXPECT_EQ(s.error, "");
    EXPECT_EQ(s.tokens, GetParam().tokens) << "source: " << GetParam().source;
}

INSTANTIATE_TEST_SUITE_P(
    Lexer, Tokens,
    ::testing::Values(
        // Integers: a leading 0 is octal, conversion stops at a foreign
        // digit, values saturate, only "0x" (lower case) is hexadecimal.
        TokenCase{"x = 010\n", "IDENTIFIER x | '=' | INTVALUE 8 | '\\n'"},
        TokenCase{"0755 09 0128 00", "INTVALUE 493 | INTVALUE 0 | INTVALUE 10 | INTVALUE 0"},
        TokenCase{"0x1F 0xff 0X1F", "INTVALUE 31 | INTVALUE 255 | INTVALUE 0 | IDENTIFIER X1F"},
        TokenCase{"0xFFFFFFFFFFFFFFFF 99999999999999999999",
                  "INTVALUE 9223372036854775807 | INTVALUE 9223372036854775807"},
        // Floats need digits before the dot.
        TokenCase{"1. 2.5 010.5 .5", "FLT 1 | FLT 2.5 | FLT 10.5 | '.' | INTVALUE 5"},
        // Keywords are whole lower-case names; BYVAL, TRUE and FALSE take any case.
        TokenCase{"if If ifx endif WHILE end", "IF | IDENTIFIER If | IDENTIFIER ifx | IDENTIFIER endif | "
                                               "IDENTIFIER WHILE | END"},
        TokenCase{"byval ByVal BYVAL true False tRuE", "BYVAL | BYVAL | BYVAL | BOOLVALUE 1 | BOOLVALUE 0 | "
                                                       "BOOLVALUE 1"},
        TokenCase{"then else while for to step break return exit or and not use try catch throw typeof",
                  "THEN | ELSE | WHILE | FOR | TO | STEP | BREAK | RETURN | EXIT | OR | AND | NOT | USE | TRY | "
                  "CATCH | THROW | TYPEOF"},
        TokenCase{"!= <= >= ++ -- += -= *= /= %= << >> ^^ ^",
                  "DIFF | LQ | GQ | INCREMENT | DECREMENT | SELF_ADD | SELF_SUB | SELF_MUL | SELF_DIV | SELF_MOD | "
                  "SHL | SHR | POW | XOR"},
        TokenCase{"UNDEFINED INTEGER FLOAT STRING BOOLEAN BYTEARRAY ARRAY READER Integer",
                  "VALUETYPE 0 | VALUETYPE 1000 | VALUETYPE 1001 | VALUETYPE 1002 | VALUETYPE 1003 | "
                  "VALUETYPE 1004 | VALUETYPE 1005 | VALUETYPE 1007 | IDENTIFIER Integer"},
        // Names are classified through the symbol lists.
        TokenCase{"Print PRINT sin Pi pi Err __SW x",
                  "VFNCT Print | VFNCT Print | SFNCT Sin | CONST_VAR Pi | IDENTIFIER pi | IDENTIFIER Err* | "
                  "IDENTIFIER __SW* | IDENTIFIER x"},
        TokenCase{"a.b.c x.len", "IDENTIFIER a | MEMBER b | MEMBER c | IDENTIFIER x | MEMBER len"},
        // Declarations: keyword, blanks and name are one token.
        TokenCase{"procedure Foo\nfunction\tbar const K procedure(",
                  "PROC_NAME Foo | '\\n' | FUNC_NAME bar | CONST_DECL K | IDENTIFIER procedure | '('"},
        // Character constants.
        TokenCase{"'A' '\\n' '\\N' '\\a' '\\t' ' '", "INTVALUE 65 | INTVALUE 10 | INTVALUE 10 | INTVALUE 7 | "
                                                     "INTVALUE 9 | INTVALUE 32"},
        TokenCase{"''' '''' '\\'' '\\'", "INTVALUE 39 | INTVALUE 39 | INTVALUE 92 | INTVALUE 92"},
        // Byte arrays: "<>" is never an operator.
        TokenCase{"a<>b", "IDENTIFIER a | BYTEARRAY | IDENTIFIER b"},
        TokenCase{"a<ab>b a<b", "IDENTIFIER a | BYTEARRAY AB | IDENTIFIER b | IDENTIFIER a | '<' | IDENTIFIER b"},
        TokenCase{"<01 02\t0a FF>", "BYTEARRAY 01 02 0A FF"},
        // Status-word masks: blanks between any two characters.
        TokenCase{"{90 00, 61xx} {9 0 0 0}", "APDU_SW_MASK 900061xx | APDU_SW_MASK 9000"},
        TokenCase{"{900}", "'{' | INTVALUE 900 | '}'"},
        // Strings: escapes, octal codes, \0 ends the text.
        TokenCase{"\"\\t\\n\\r\\b\\f\\a\\q\\N\\\"\\\\\"", "STR \\x09\\x0A\\x0D\\x08\\x0CaqN\"\\"},
        TokenCase{"\"\\101\\102\\60\\12x\" \"ab\\0cd\" \"\"", "STR AB0\\x0Ax | STR ab | STR "},
        TokenCase{"\"// not /* a comment\"", "STR // not /* a comment"},
        // Comments, blanks, line continuation.
        TokenCase{"x = 1 // note\n", "IDENTIFIER x | '=' | INTVALUE 1 | '\\n'"},
        TokenCase{"a /* b\nc */ d /* never closed\ne", "IDENTIFIER a | IDENTIFIER d"},
        TokenCase{"/* outer /* inner */ x", "IDENTIFIER x"},
        TokenCase{"#Println(1)\nx", "'\\n' | IDENTIFIER x"},
        TokenCase{"a \\\nb", "IDENTIFIER a | IDENTIFIER b"},
        // Text mode: CR LF is one line break, a lone CR a character.
        TokenCase{"a\r\nb\rc", "IDENTIFIER a | '\\n' | IDENTIFIER b | char 13 | IDENTIFIER c"},
        // Characters that are no token of the grammar.
        TokenCase{"~ $ ! { } \"", "'~' | '$' | '!' | '{' | '}'"},
        // Bytes above 127 are single characters outside literals and kept
        // inside them; a NUL byte is never the end of input.
        TokenCase{"a\xE9" "b \"\xC3\xA9\" // \xFF\n",
                  "IDENTIFIER a | char 233 | IDENTIFIER b | STR \\xC3\\xA9 | '\\n'"},
        TokenCase{"'\xE9'", "INTVALUE 233"}));

TEST(Lexer, FloatsBeyondTheRangeAreInfinite)
{
    EXPECT_EQ(scan("1" + std::string(400, '0') + ".5 0." + std::string(400, '0') + "1").tokens, "FLT inf | FLT 0");
}

TEST(Lexer, NulBytesAreUndefinedOutsideLiteralsAndEndTheTextInside)
{
    static const char source[] = "a\0b \"x\0y\" /*\0*/ c";
    Scanned s = scan(std::string(source, sizeof source - 1));
    EXPECT_EQ(s.error, "");
    EXPECT_EQ(s.tokens, "IDENTIFIER a | $undefined | IDENTIFIER b | STR x | IDENTIFIER c");
}

TEST(Lexer, DebugModeCompilesWhatFollowsTheHash)
{
    EXPECT_EQ(scan("#Println(1)\n", true).tokens, "VFNCT Println | '(' | INTVALUE 1 | ')' | '\\n'");
    EXPECT_EQ(scan("x = 1 #+ 2\n", false).tokens, "IDENTIFIER x | '=' | INTVALUE 1 | '\\n'");
}

TEST(Lexer, LineBreaksAreCountedWhereverTheyAre)
{
    // A line break is counted when the token '\n' is returned; continued
    // lines, comments and byte-array literals count theirs too.
    Scanned s = scan("a\nb \\\nc /* \n */ d <01\n02\n> e // x\nf\r\ng");
    EXPECT_EQ(s.tokens, "IDENTIFIER a | '\\n' | IDENTIFIER b | IDENTIFIER c | IDENTIFIER d | BYTEARRAY 01 02 | "
                        "IDENTIFIER e | '\\n' | IDENTIFIER f | '\\n' | IDENTIFIER g");
    EXPECT_EQ(s.lines, (std::vector<int>{1, 2, 2, 3, 4, 6, 6, 7, 7, 8, 8}));
}

TEST(Lexer, StringLiteralsHoldUpTo1024Characters)
{
    Scanned ok = scan("\"" + std::string(1024, 'a') + "\"");
    EXPECT_EQ(ok.error, "");
    EXPECT_EQ(ok.tokens, "STR " + std::string(1024, 'a'));
    // An escape counts as one character.
    EXPECT_EQ(scan("\"" + std::string(1023, 'a') + "\\n\"").error, "");
    std::string error = scan("\"" + std::string(1023, 'a') + "\\n\\n\"").error;
    EXPECT_NE(error.find(") : error, string is too big. Maximum allowed = 1024 characters.\n"), std::string::npos)
        << error;
}

struct ErrorCase {
    const char *source;
    const char *message; // after "<file>(line) : "
    int line;
};

// GoogleTest would otherwise print the record's bytes, padding included.
void PrintTo(const ErrorCase &c, std::ostream *out) { *out << c.source; }

class ScannerErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ScannerErrors, Report)
{
    Scanned s = scan(GetParam().source);
    std::string expected = "(" + std::to_string(GetParam().line) + ") : " + GetParam().message + "\n";
    ASSERT_GE(s.error.size(), expected.size()) << s.error;
    EXPECT_EQ(s.error.substr(s.error.size() - expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lexer, ScannerErrors,
    ::testing::Values(ErrorCase{"x\ny = \"abc\nz", "error - unterminated string constant", 2},
                      ErrorCase{"\"\\377\" \"\\400\"", "error, constant is out-of-bounds", 1},
                      ErrorCase{"\"\\1012\"", "generate error - bad escape sequence", 1},
                      ErrorCase{"\"\\08\"", "generate error - bad escape sequence", 1},
                      ErrorCase{"\"\\9\"", "generate error - bad escape sequence", 1},
                      ErrorCase{"x\n\ny = 'ab'", "expecting one character", 3},
                      ErrorCase{"'\\q'", "Unknown escape character", 1},
                      ErrorCase{"include lib/x.scr", "Syntax error. To call another script, write : include "
                                                     "\"file path\" in one line.", 1},
                      ErrorCase{"include  \n", "Syntax error. To call another script, write : include "
                                               "\"file path\" in one line.", 1}));

TEST(Lexer, ErrorsAfterTheEndOfTheMainFileHaveNoPosition)
{
    // The scanner has passed the end: nothing is left to point at.
    ScratchFolder folder;
    std::string path = folder.write("main.scr", "x = 1");
    pelorn::fixture::Compiled result;
    pelorn::fixture::compileFile(result, path);
    EXPECT_EQ(result.status, PELORN_COMPILE_ERROR);
    EXPECT_EQ(result.message, "syntax error, unexpected $end, expecting '\\n'\n");
}

} // namespace
