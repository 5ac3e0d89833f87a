// The grammar: syntax-error messages, precedence, the accepted forms.
#include "front_fixture.h"
#include "tree_shape.h"

#include <gtest/gtest.h>

#include <string>

using namespace pelorn;

namespace {

class Grammar : public fixture::ScriptTest {};

struct SyntaxCase {
    const char *script;
    int line; // 0: found at the end of the main file, no position
    const char *message;
};

// GoogleTest would otherwise print the record's bytes, padding included.
void PrintTo(const SyntaxCase &c, std::ostream *out) { *out << c.script; }

class SyntaxErrors : public fixture::ScriptTest, public ::testing::WithParamInterface<SyntaxCase> {};

TEST_P(SyntaxErrors, AreReportedExactly)
{
    const SyntaxCase &c = GetParam();
    compile(c.script);
    EXPECT_EQ(result.status, PELORN_COMPILE_ERROR);
    EXPECT_EQ(result.script, nullptr);
    EXPECT_EQ(result.message, c.line == 0 ? std::string(c.message) + "\n" : at(c.line, c.message))
        << "script: " << c.script;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, SyntaxErrors,
    ::testing::Values(
        // Five or more expected tokens: nothing is listed. An error found at
        // a line break is reported on the following line.
        SyntaxCase{"x = \n", 2, "syntax error, unexpected '\\n'"},
        SyntaxCase{"x = 1", 0, "syntax error, unexpected $end, expecting '\\n'"},
        SyntaxCase{"x = (1\n", 2, "syntax error, unexpected '\\n'"},
        SyntaxCase{"Foo(1\n", 2, "syntax error, unexpected '\\n', expecting ')'"},
        SyntaxCase{"x = 1 ~\n", 1, "syntax error, unexpected $undefined, expecting '\\n'"},
        SyntaxCase{"x = 1 .\n", 1, "syntax error, unexpected $undefined, expecting '\\n'"},
        SyntaxCase{"if x\n", 2, "syntax error, unexpected '\\n'"},
        SyntaxCase{"if x then y = 1\nend\n", 1, "syntax error, unexpected IDENTIFIER, expecting '\\n'"},
        SyntaxCase{"x = 1\nif x = 2 then\nx = 3\nelse if x then\n", 4,
                   "syntax error, unexpected IF, expecting '\\n'"},
        SyntaxCase{"while x\nend\n", 2, "syntax error, unexpected END"},
        SyntaxCase{"5\n", 2, "syntax error, unexpected '\\n', expecting '=' or '[' or MEMBER"},
        SyntaxCase{"x = [1, 2]\n", 1, "syntax error, unexpected ',', expecting ']' or ';'"},
        SyntaxCase{"y = 1\nx = typeof y[1] = INTEGER\n", 2, "syntax error, unexpected '[', expecting '=' or DIFF"},
        SyntaxCase{"x = 1\nx.a.b = 1\n", 2, "syntax error, unexpected MEMBER, expecting '='"},
        SyntaxCase{"try\nthrow 1\ncatch e\n", 3, "syntax error, unexpected IDENTIFIER, expecting '('"},
        SyntaxCase{"x = 1\nconst C = 1\n", 2, "syntax error, unexpected CONST_DECL"},
        SyntaxCase{"x = 1\nuse \"m.so\"\n", 2, "syntax error, unexpected USE"},
        SyntaxCase{"x = 1\nprocedure P()\n", 2, "syntax error, unexpected PROC_NAME"},
        SyntaxCase{"Sin(1)\n", 1, "syntax error, unexpected SFNCT"},
        SyntaxCase{"x = Print(1)\n", 1, "syntax error, unexpected VFNCT"},
        SyntaxCase{"use 5\n", 1, "syntax error, unexpected INTVALUE, expecting STR"},
        // The empty parameter list is the default reduction before ')'.
        SyntaxCase{"procedure P(Print)\nend\n", 1, "syntax error, unexpected VFNCT, expecting ')'"},
        SyntaxCase{"const K = 1\nprocedure P(K)\nexit\nend\n", 2, "syntax error, unexpected CONST_VAR, expecting ')'"},
        SyntaxCase{"x = {9000}\n", 1, "syntax error, unexpected APDU_SW_MASK"},
        SyntaxCase{"a = 1\nb = 2\nif a<>b then\n", 3, "syntax error, unexpected BYTEARRAY"},
        SyntaxCase{"x = 1\nx = 0X1F\n", 2, "syntax error, unexpected IDENTIFIER, expecting '\\n'"},
        SyntaxCase{"procedure P()\nend\n", 2, "syntax error, unexpected END"},
        SyntaxCase{"x = -\n", 2, "syntax error, unexpected '\\n'"}));

TEST_F(Grammar, DeepNestingExhaustsTheParserStack)
{
    // 200 entries grow to at most 10000; the grown stacks are freed.
    compile("x = " + std::string(10001, '(') + "1" + std::string(10001, ')') + "\n");
    EXPECT_EQ(result.status, PELORN_COMPILE_ERROR);
    EXPECT_EQ(result.message, at(1, "memory exhausted"));
}

TEST_F(Grammar, OperatorChainsAreAsDeepAsNestingMayBe)
{
    // A left-associative chain needs no parser stack, but the tree it makes
    // is as deep as the chain is long.
    std::string chain;
    for (int i = 0; i < 9998; ++i)
        chain += " + 1";
    compile("x = 1" + chain + "\n");
    EXPECT_EQ(result.status, PELORN_PARSED) << result.message;
    // The deepest operator is complete once the line break has been read.
    compile("x = 1" + chain + " + 1 + 1\n");
    EXPECT_EQ(result.message, at(2, "memory exhausted"));
    std::string members;
    for (int i = 0; i < 10000; ++i)
        members += ".m";
    compile("x = 1\ny = x" + members + "\n");
    EXPECT_EQ(result.message, at(2, "memory exhausted"));
    std::string parts;
    for (int i = 0; i < 10000; ++i)
        parts += " 1";
    compile("<00>" + parts + "\n");
    EXPECT_EQ(result.message, at(1, "memory exhausted"));
}

TEST_F(Grammar, NestingWithinTheStackLimitCompiles)
{
    compile("x = " + std::string(4000, '(') + "1" + std::string(4000, ')') + "\n");
    EXPECT_EQ(result.status, PELORN_PARSED) << result.message;
}

struct ShapeCase {
    const char *expression;
    const char *shape;
};

class Precedence : public fixture::ScriptTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(Precedence, BuildsTheTree)
{
    compile(std::string("a = 1\nb = 2\nc = 3\nx = ") + GetParam().expression + "\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    auto *assign = dynamic_cast<interp::AssignStatement *>(result.script->mainBlock->statements.back());
    ASSERT_NE(assign, nullptr);
    EXPECT_EQ(fixture::shape(assign->value), GetParam().shape) << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, Precedence,
    ::testing::Values(ShapeCase{"a or b and c", "(and (or a b) c)"},
                      ShapeCase{"a & b = c", "(& a (= b c))"},
                      ShapeCase{"a | b ^ c", "(^ (| a b) c)"},
                      ShapeCase{"1 + 2 ^ 3", "(^ (+ 1 2) 3)"},
                      ShapeCase{"1 + 2 * 3 - 4", "(- (+ 1 (* 2 3)) 4)"},
                      ShapeCase{"1 << 2 * 3", "(* (<< 1 2) 3)"},
                      ShapeCase{"10 - 4 - 3", "(- (- 10 4) 3)"},
                      ShapeCase{"1 < 2 = TRUE", "(= (< 1 2) TRUE)"},
                      ShapeCase{"-a ^^ 2", "(neg (^^ a 2))"},
                      ShapeCase{"a ^^ b ^^ c", "(^^ a (^^ b c))"},
                      ShapeCase{"-a[1]", "(index (neg a) 1)"},
                      ShapeCase{"not a[1]", "(index (not a) 1)"},
                      ShapeCase{"not a = b", "(= (not a) b)"},
                      ShapeCase{"-a.len", "(neg (. a len))"},
                      ShapeCase{"a.b.c", "(. (. a b) c)"},
                      ShapeCase{"a[1][2:3]", "(sub (index a 1) 2 3)"},
                      ShapeCase{"a[1:]", "(sub a 1 null)"},
                      ShapeCase{"a + b[0]", "(+ a (index b 0))"},
                      ShapeCase{"typeof a = typeof (b[1])", "(= (typeof a) (typeof (index b 1)))"},
                      ShapeCase{"(typeof a) != INTEGER", "(!= (typeof a) 1000)"},
                      ShapeCase{"[1; [2; 3]; []]", "[1 [2 3] []]"},
                      ShapeCase{"Sqrt(a + 1) * F(b, BYVAL c)", "(* (Sqrt (+ a 1)) (call F b c))"},
                      ShapeCase{"Pi", "Pi"},
                      ShapeCase{"'A' + 0x10 + <0102>", "(+ (+ 65 16) <2 bytes>)"}));

TEST_F(Grammar, ByvalClearsOnlyItsOwnArgument)
{
    compile("a = 1\nb = 2\nPrint(a, BYVAL b, byval a + 1)\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    auto *call = dynamic_cast<interp::BuiltinProcedureCallStatement *>(result.script->mainBlock->statements.back());
    ASSERT_NE(call, nullptr);
    ASSERT_EQ(call->arguments.count, 3u);
    auto byValue = [&call](uint32_t i) {
        return static_cast<const interp::VariableExpr *>(call->arguments.expression(i))->byValue;
    };
    EXPECT_FALSE(byValue(0));
    EXPECT_TRUE(byValue(1));
    EXPECT_EQ(fixture::shape(call->arguments.expression(2)), "(+ a 1)");
}

TEST_F(Grammar, EveryStatementFormCompiles)
{
    compile("\n\nconst K = 2\n"
            "procedure Show(v, w)\n  Println(v)\nend\n"
            "function Twice(n)\n  return n * 2\nend\n\n"
            "for (i = 1) to 4 step K\n  Show(i, 0)\nend\n"
            "for j = 1 to 2\n  break\nend\n"
            "x = [[1; 2]; [3; 4]]\nx[1][0] = 9\nx[0][1] += 1\nx.len2 = 3\n"
            "n = 0\nn += 1\nn -= 1\nn *= 2\nn /= 2\nn %= 2\nn++\nn--\n"
            "while n < 3\n  n = n + 1\nend\n"
            "if n = 3 then\n  Println(\"three\")\nelse\n  Println(Twice(n))\nend\n"
            "try\n  throw \"boom\"\ncatch (e)\n  Println(e)\nend\n"
            "<00A4040002> <3F00> 5 \"ab\" x x.len x[0:1] x[1:] K K.len K[0:] {9000, 61XX}\n"
            "<00B0> \n"
            "exit\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    // The constant's assignment, then the 20 top-level statements.
    EXPECT_EQ(result.script->mainBlock->statements.size(), 21u);
    auto *apdu = dynamic_cast<interp::ApduStatement *>(result.script->mainBlock->statements[18]);
    ASSERT_NE(apdu, nullptr);
    EXPECT_TRUE(apdu->hasMask);
    EXPECT_EQ(apdu->mask, "900061XX");
    int parts = 0;
    for (interp::ApduStatement *a = apdu; a != nullptr; a = a->previous)
        ++parts;
    EXPECT_EQ(parts, 11);
    auto *plain = dynamic_cast<interp::ApduStatement *>(result.script->mainBlock->statements[19]);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->hasMask);
}

} // namespace
