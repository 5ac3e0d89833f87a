// Sessions through the public interface: ParseScriptPart, RunScriptPart,
// InterruptScript. What a part declares stays, a failed part leaves
// nothing behind, incomplete text asks for more, only new statements run.
#include "pelorn.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string &output()
{
    static std::string text;
    return text;
}

std::vector<std::string> &messages()
{
    static std::vector<std::string> list;
    return list;
}

class ScriptParts : public ::testing::Test {
protected:
    void SetUp() override
    {
        output().clear();
        messages().clear();
        SetStandardOutputFn([](const char *text) -> int32_t {
            output() += text;
            return 0;
        });
        SetMessageOutputFn([](const char *text) -> int32_t {
            messages().emplace_back(text);
            return 0;
        });
        script = ParseScriptText("", 0, "-i", nullptr, nullptr);
        ASSERT_NE(script, nullptr);
    }
    void TearDown() override
    {
        DisconnectCards();
        FreeScript(script);
        SetStandardOutputFn(nullptr);
        SetMessageOutputFn(nullptr);
    }

    int32_t part(const std::string &text, int32_t firstLine = 1)
    {
        return ParseScriptPart(script, text.data(), text.size(), "-i", nullptr, firstLine);
    }
    // Compiles and runs a part that must compile; the run's result.
    bool run(const std::string &text)
    {
        EXPECT_EQ(part(text), PELORN_PARSED) << text << (messages().empty() ? "" : messages().back());
        return RunScriptPart(script) != 0;
    }

    ScriptObject *script = nullptr;
};

TEST_F(ScriptParts, WhatAPartDeclaresStaysForTheNext)
{
    EXPECT_TRUE(run("const K = 2\nx = 5\n"));
    EXPECT_TRUE(run("procedure Show(a)\n  Println(a * K)\nend\nShow(x)\n"));
    EXPECT_TRUE(run("function Twice(n)\n  return n * K\nend\nx = Twice(x)\nShow(x)\n"));
    EXPECT_TRUE(run("x++\nx += 1\nPrintln(x)\n"));
    EXPECT_EQ(output(), "10\n20\n12\n");
    EXPECT_TRUE(messages().empty());
}

TEST_F(ScriptParts, RoutinesSeeConstantsButNoGlobalVariable)
{
    EXPECT_TRUE(run("const K = 7\nx = 5\n"));
    // As in a script: x in the routine is its own local.
    EXPECT_TRUE(run("procedure P()\n  x = K\n  Println(x)\nend\nP()\nPrintln(x)\n"));
    EXPECT_EQ(output(), "7\n5\n");
}

TEST_F(ScriptParts, ARoutineDeclaredAgainTakesItsNameOver)
{
    EXPECT_TRUE(run("procedure Inner()\n  Println(\"first\")\nend\nfunction Outer()\n  Inner()\n  return 1\nend\n"
                    "x = Outer()\n"));
    // Outer's call of Inner, and a call already run, find the new one.
    EXPECT_TRUE(run("procedure Inner()\n  Println(\"second\")\nend\nx = Outer()\n"));
    EXPECT_EQ(output(), "first\nsecond\n");
}

TEST_F(ScriptParts, OnlyTheNewStatementsRun)
{
    EXPECT_TRUE(run("Println(\"a\")\n"));
    EXPECT_TRUE(run("Println(\"b\")\n"));
    EXPECT_TRUE(RunScriptPart(script)); // nothing new
    EXPECT_EQ(output(), "a\nb\n");
}

TEST_F(ScriptParts, AFailedPartLeavesNothingBehind)
{
    EXPECT_TRUE(run("x = 1\n"));
    EXPECT_EQ(part("const C = 3\nprocedure R()\n  Println(1)\nend\ny = 2\nz = )\n", 4), PELORN_COMPILE_ERROR);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "-i(9) : syntax error, unexpected ')'\n");
    // Neither the routine, the constant nor y came to be; nothing ran.
    EXPECT_FALSE(run("R()\n"));
    EXPECT_TRUE(run("C = 4\nPrintln(C, typeof y = UNDEFINED, x)\n"));
    EXPECT_EQ(output(), "4TRUE1\n");
}

TEST_F(ScriptParts, ConstantsKeepTheirNames)
{
    EXPECT_TRUE(run("const K = 1\nv = 2\n"));
    for (const char *text : {"const K = 2\n", "const v = 3\n"}) {
        messages().clear();
        EXPECT_EQ(part(text), PELORN_COMPILE_ERROR) << text;
        ASSERT_EQ(messages().size(), 1u);
        // Found once the text has ended: no position, as at the end of a file.
        EXPECT_EQ(messages()[0], "You can't set an already declared variable as a constant\n");
    }
}

TEST_F(ScriptParts, IncompleteTextAsksForMore)
{
    struct Case {
        const char *text;
        int32_t status;
    };
    const Case cases[] = {
        {"while x < 3\n", PELORN_INCOMPLETE},
        {"procedure P()\n  if TRUE then\n    Println(1)\n  end\n", PELORN_INCOMPLETE},
        {"try\n  x = 1\ncatch (e)\n", PELORN_INCOMPLETE},
        {"x = 1 + \\\n", PELORN_INCOMPLETE},
        {"x = (1\n", PELORN_COMPILE_ERROR},   // a line's own error is reported at once
        {"unknown++\n", PELORN_COMPILE_ERROR}, // an action's check at the end of the text
        {"end\n", PELORN_COMPILE_ERROR},
    };
    for (const Case &c : cases) {
        messages().clear();
        EXPECT_EQ(part(c.text), c.status) << c.text;
        EXPECT_EQ(messages().empty(), c.status == PELORN_INCOMPLETE) << c.text;
    }
    EXPECT_TRUE(run("x = 0\nwhile x < 3\n  x += 1\nend\nPrintln(x)\n"));
    EXPECT_EQ(output(), "3\n");
}

TEST_F(ScriptParts, LinesCountFromTheFirstLineGiven)
{
    EXPECT_EQ(part("\nx = 1 / 0\n", 7), PELORN_PARSED);
    EXPECT_FALSE(RunScriptPart(script));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "-i(8) : Devision by zero");
    // The session goes on after a failed run.
    EXPECT_TRUE(run("Println(2)\n"));
    EXPECT_EQ(output(), "2\n");
}

TEST_F(ScriptParts, ModulesStayLoaded)
{
    std::string use = std::string("use \"") + PELORN_TEST_MODULES + "/good.so\"\n";
    EXPECT_TRUE(run(use));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "TOKEN is 2001, COLOR is 2002");
    // Used again: neither loaded nor initialised a second time.
    EXPECT_TRUE(run(use + "ModProc()\nt = ModFunc()\n"));
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(ScriptParts, InterruptStopsARunningLoop)
{
    ASSERT_EQ(part("i = 0\nwhile TRUE\n  i += 1\nend\n"), PELORN_PARSED);
    std::thread interrupter([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        InterruptScript();
    });
    bool succeeded = RunScriptPart(script) != 0;
    interrupter.join();
    EXPECT_FALSE(succeeded);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "-i(4) : Run interrupted.");
    // A request while nothing runs does not stop the next run.
    InterruptScript();
    EXPECT_TRUE(run("while i > 0\n  i = 0\nend\nPrintln(i)\n"));
    EXPECT_EQ(output(), "0\n");
}

} // namespace
