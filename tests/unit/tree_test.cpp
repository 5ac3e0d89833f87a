// Tree construction: compile-time checks, node positions, ownership, and
// the release of whatever a failed compilation had built.
#include "front_fixture.h"
#include "tree_shape.h"

#include <gtest/gtest.h>

#include <string>

using namespace pelorn;

namespace {

class Tree : public fixture::ScriptTest {
protected:
    interp::Statement *topLevel(size_t i) const { return result.script->mainBlock->statements.at(i); }
};

struct CheckCase {
    const char *script;
    int line;
    const char *message;
};

// GoogleTest would otherwise print the record's bytes, padding included.
void PrintTo(const CheckCase &c, std::ostream *out) { *out << c.script; }

class TreeChecks : public fixture::ScriptTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(TreeChecks, RefuseTheScript)
{
    compile(GetParam().script);
    EXPECT_EQ(result.status, PELORN_COMPILE_ERROR);
    EXPECT_EQ(result.message, at(GetParam().line, GetParam().message)) << "script: " << GetParam().script;
}

// A statement ending with its line break is checked once the next line's
// first token has been read, so most of these report the following line.
INSTANTIATE_TEST_SUITE_P(
    Tree, TreeChecks,
    ::testing::Values(
        CheckCase{"x = 1\nx++\ny++\nz = 1\n", 4,
                  "Variable y must be declared before being incremented(via an asignement or function/procedure "
                  "call)"},
        CheckCase{"y--\nz = 1\n", 2,
                  "Variable y must be declared before being decremented(via an asignment or function/procedure "
                  "call)"},
        CheckCase{"n = 0\nn += 1\nm += 1\nz = 1\n", 4, "Variable m must be declared before being accessed using operator +="},
        CheckCase{"m -= 1\nz = 1\n", 2, "Variable m must be declared before being accessed using operator -="},
        CheckCase{"m *= 1\nz = 1\n", 2, "Variable m must be declared before being accessed using operator *="},
        CheckCase{"m /= 1\nz = 1\n", 2, "Variable m must be declared before being accessed using operator /="},
        CheckCase{"m %= 1\nz = 1\n", 2, "Variable m must be declared before being accessed using operator %="},
        CheckCase{"b = 1\nb[0] = 5\na[0] = 1\nz = 1\n", 4, "Variable a must be declared before being accessed as an array"},
        CheckCase{"a[0][1] += 1\nz = 1\n", 2, "Variable a must be declared before being accessed as an array"},
        CheckCase{"x.len = 1\nz = 1\n", 2, "Variable x must be declared before setting its member value"},
        CheckCase{"x = [1; 2]\nx[1].len = 3\nz = 1\n", 3, "assigning a member of the value of an array is not implemented"},
        CheckCase{"Println(Pi)\nPi = 3\nz = 1\n", 3, "Can't modify the value of a constant.\n"},
        CheckCase{"5 = 3\n", 2, "Can't modify the value of a constant.\n"},
        CheckCase{"\"a\"[0] = 3\n", 2, "Can't modify the value of a constant.\n"},
        CheckCase{"TRUE.x = 3\n", 2, "Can't modify the value of a constant.\n"},
        CheckCase{"const C = 5\nconst C = 6\nx = C\n", 3, "You can't set an already declared variable as a constant"},
        CheckCase{"const C = C + 1\nx = C\n", 2, "You can't set an already declared variable as a constant"},
        CheckCase{"v = 1\nv(2)\nz = 1\n", 3, "\"v\" is a variable and not a procedure"},
        CheckCase{"v = 1\ny = v(2) + 1\n", 2, "\"v\" is a variable and not function"},
        CheckCase{"x = 1\n<00A40400> x\n<00A40400> y\nz = 1\n", 4,
                  "Variable y must be declared before being used on the APDU command"},
        CheckCase{"<00A40400> y.len\n", 1, "Variable y must be declared before accessing its member len"},
        CheckCase{"<00A40400> y[0:1]\n", 1, "Variable y must be declared before being used on the APDU command"},
        CheckCase{"procedure P(a, b, a)\nexit\nend\n", 1, "The name \"a\" is already used by a parameter or a global variable"},
        CheckCase{"procedure P(Err)\nexit\nend\n", 1, "The name \"Err\" is already used by a parameter or a global variable"},
        CheckCase{"const X = y\nprocedure P(y)\nexit\nend\n", 2,
                  "The name \"y\" is already used by a parameter or a global variable"}));

TEST_F(Tree, LongNamesAreCutInMessages)
{
    std::string name(150, 'n');
    compile("x = 1\n" + name + "++\nz = 1\n");
    EXPECT_EQ(result.message, at(3, std::string("Variable " + name).substr(0, 127)));
    compile(name + " = 1\n" + name + "(1)\nz = 1\n");
    EXPECT_EQ(result.message, at(3, ("\"" + name + "\" is a variable and not a procedure").substr(0, 255)));
    std::string longer(300, 'm');
    compile(longer + " = 1\n" + longer + "(1)\nz = 1\n");
    EXPECT_EQ(result.message, at(3, ("\"" + longer + "\" is a variable and not a procedure").substr(0, 255)));
}

TEST_F(Tree, NodesCarryTheLineOfTheTokenThatCompletedThem)
{
    compile("x = 1/0\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    auto *assign = dynamic_cast<interp::AssignStatement *>(topLevel(0));
    ASSERT_NE(assign, nullptr);
    auto *division = dynamic_cast<interp::ArithmeticExpr *>(assign->value);
    ASSERT_NE(division, nullptr);
    EXPECT_EQ(division->left->line, 1);
    EXPECT_EQ(division->right->line, 1);
    EXPECT_EQ(division->line, 2);
    EXPECT_EQ(assign->line, 2);
    EXPECT_EQ(assign->source->path, folder.path() + "/main.scr");
    EXPECT_EQ(assign->source->directory, folder.path());

    compile("Foo(1)\n\nx = 2\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_NE(dynamic_cast<interp::ProcedureCallStatement *>(topLevel(0)), nullptr);
    EXPECT_EQ(topLevel(0)->line, 3);

    compile("if 1 then\n  x = 1\nend\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(topLevel(0)->line, 4);
}

TEST_F(Tree, ByteArrayLinesCountTowardsLaterPositions)
{
    compile("<01\n02\n03>\nx = 1\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    auto *assign = dynamic_cast<interp::AssignStatement *>(topLevel(1));
    ASSERT_NE(assign, nullptr);
    EXPECT_EQ(assign->value->line, 4);
    EXPECT_EQ(assign->line, 5);
}

TEST_F(Tree, ConstantsAreAssignedFirstInDeclarationOrder)
{
    compile("const A = 1\nprocedure P()\n  exit\nend\nconst B = A * 10\nx = A\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    ASSERT_EQ(result.script->mainBlock->statements.size(), 3u);
    auto *a = dynamic_cast<interp::AssignStatement *>(topLevel(0));
    auto *b = dynamic_cast<interp::AssignStatement *>(topLevel(1));
    auto *x = dynamic_cast<interp::AssignStatement *>(topLevel(2));
    ASSERT_TRUE(a && b && x);
    EXPECT_TRUE(a->declaration);
    EXPECT_EQ(a->target->name, "A");
    EXPECT_TRUE(b->declaration);
    EXPECT_EQ(fixture::shape(b->value), "(* A 10)");
    EXPECT_FALSE(x->declaration);
    EXPECT_TRUE(x->target->isConstant == false && a->target->isConstant);
}

TEST_F(Tree, ExpressionsBelongToTheStatementThatRunsThem)
{
    // Conditions belong to their compound statement; the expressions of a
    // simple statement to the block around it.
    compile("n = 0\nwhile n < 3\n  if n = 1 then\n    n = n + 2\n  end\n  n = n + 1\nend\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    auto *loop = dynamic_cast<interp::WhileStatement *>(topLevel(1));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->condition->owner, loop);
    EXPECT_EQ(loop->body->parent, loop);
    auto *branch = dynamic_cast<interp::IfStatement *>(loop->body->statements.at(0));
    auto *step = dynamic_cast<interp::AssignStatement *>(loop->body->statements.at(1));
    ASSERT_TRUE(branch && step);
    EXPECT_EQ(branch->condition->owner, branch);
    EXPECT_EQ(branch->parent, loop->body);
    EXPECT_EQ(step->value->owner, loop->body);
    EXPECT_EQ(static_cast<interp::ArithmeticExpr *>(step->value)->left->owner, loop->body);
    EXPECT_EQ(result.script->mainBlock->statements.at(0)->parent, result.script->mainBlock);
}

TEST_F(Tree, RoutinesAreListedNewestFirstWithTheirBodies)
{
    compile("procedure A(x)\n  exit\nend\nfunction F()\n  return 1\nend\nprocedure B(x, y)\n  exit\nend\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    ASSERT_NE(result.script->procedures, nullptr);
    EXPECT_EQ(result.script->procedures->name, "B");
    EXPECT_EQ(result.script->procedures->parameterCount, 2u);
    EXPECT_EQ(result.script->procedures->body->routine, result.script->procedures);
    ASSERT_NE(result.script->procedures->next, nullptr);
    EXPECT_EQ(result.script->procedures->next->name, "A");
    ASSERT_NE(result.script->functions, nullptr);
    EXPECT_TRUE(result.script->functions->isFunction);
    EXPECT_EQ(result.script->functions->name, "F");
    EXPECT_EQ(result.script->mainBlock->statements.size(), 0u);
}

// Every prefix of a script using every construct: most fail somewhere in
// the middle of a rule, some compile. Nothing may leak or be freed twice
// (the sanitizer build checks), and every failure says why.
TEST_F(Tree, FailingAnywhereReleasesWhatWasBuilt)
{
    const std::string script =
        "const K = [1; \"two\"; 3.5; <0102>; TRUE; 'c']\n"
        "procedure Show(v, w)\n"
        "  if v = K[0] then\n    Println(v, BYVAL w)\n  else\n    t = w[1:] + v.len\n  end\n"
        "end\n"
        "function Twice(n)\n  for (i = 1) to n step 2\n    n += i\n  end\n  return n * 2 ^^ 1\nend\n"
        "x = [[1; 2]; []]\nx[1][0] = -Twice(3) << 1\ny = typeof x = ARRAY and not (x != 0)\n"
        "while y\n  try\n    throw \"e\"\n  catch (e)\n    Show(e, x)\n    break\n  end\nend\n"
        "<00A4> x x.len x[0:1] K[1:] 7 \"s\" {9000, 61xx}\n"
        "y++\nexit\n";
    int compiled = 0;
    for (size_t n = 0; n <= script.size(); ++n) {
        compile(script.substr(0, n));
        if (result.status == PELORN_PARSED) {
            ++compiled;
        } else {
            ASSERT_EQ(result.status, PELORN_COMPILE_ERROR);
            ASSERT_FALSE(result.message.empty()) << "prefix of " << n;
        }
    }
    EXPECT_GT(compiled, 5);
}

} // namespace
