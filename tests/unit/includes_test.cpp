// Script files: ParseScript's statuses, path resolution, includes.
#include "front_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace pelorn;
using fixture::CapturedMessages;

namespace {

class Files : public fixture::ScriptTest {
protected:
    void compileMain() { fixture::compileFile(result, folder.path() + "/main.scr"); }
};

// Runs a compilation from another current directory.
class InDirectory {
public:
    explicit InDirectory(const std::string &path) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~InDirectory() { std::filesystem::current_path(previous_); }
    InDirectory(const InDirectory &) = delete;
    InDirectory &operator=(const InDirectory &) = delete;

private:
    std::filesystem::path previous_;
};

TEST_F(Files, AMissingMainFileIsNamedAsGiven)
{
    CapturedMessages messages;
    int32_t status = -1;
    EXPECT_EQ(front::parseScript("no/such\\x.scr", &status), nullptr);
    EXPECT_EQ(status, PELORN_OPEN_FAILED);
    ASSERT_EQ(messages.all().size(), 1u);
    EXPECT_EQ(messages.last(), "Failed to open file no/such\\x.scr for reading.");
    // A folder is no script; the status pointer may be null.
    EXPECT_EQ(front::parseScript(folder.path().c_str(), nullptr), nullptr);
    EXPECT_EQ(messages.last(), "Failed to open file " + folder.path() + " for reading.");
}

TEST_F(Files, AReadFailureIsACompileError)
{
    // Opening succeeds, every read fails: the compilation ends cleanly.
    fixture::compileFile(result, "/proc/self/mem");
    EXPECT_EQ(result.status, PELORN_COMPILE_ERROR);
    EXPECT_EQ(result.message, "/proc/self/mem(1) : Failed to read the script file.\n");
}

TEST_F(Files, TheMainPathIsMadeAbsoluteAndCanonical)
{
    folder.write("main.scr", "x = 1 ~\n");
    folder.write("lib/keep", "");
    InDirectory here(folder.path() + "/lib");
    // Backslashes are separators too.
    fixture::compileFile(result, "..\\lib/./../main.scr");
    EXPECT_EQ(result.status, PELORN_COMPILE_ERROR);
    EXPECT_EQ(result.message, at(1, "syntax error, unexpected $undefined, expecting '\\n'"));
}

TEST_F(Files, IncludesResolveAgainstTheIncludingFile)
{
    folder.write("main.scr", "include \"lib/util.scr\"\nx = Twice(LIMIT)\n");
    folder.write("lib/util.scr", "include \"../common.scr\"\ninclude \"helpers/fmt.scr\"\n"
                                 "function Twice(n)\n  return n * 2\nend\n");
    folder.write("common.scr", "const LIMIT = 21\n");
    folder.write("lib/helpers/fmt.scr", "procedure Greet(who)\n  Println(who)\nend\n");
    compileMain();
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    const interp::RoutineDefinition *greet = result.script->procedures;
    ASSERT_NE(greet, nullptr);
    EXPECT_EQ(greet->body->source->path, folder.path() + "/lib/helpers/fmt.scr");
    EXPECT_EQ(greet->body->source->directory, folder.path() + "/lib/helpers");
    EXPECT_EQ(greet->body->line, 3);
    EXPECT_EQ(result.script->mainBlock->source->path, folder.path() + "/main.scr");
    EXPECT_EQ(result.script->mainBlock->line, 1);
    const interp::Statement *assign = result.script->mainBlock->statements.at(1);
    EXPECT_EQ(assign->source->path, folder.path() + "/main.scr");
    EXPECT_EQ(assign->line, 3);
}

TEST_F(Files, AnIncludeMayStandInTheMiddleOfALine)
{
    // The rest of the directive's line is read after the included file,
    // and line numbers go on from the directive.
    folder.write("main.scr", "x = include \"num.scr\" * 2\ny = 'xy'\n");
    folder.write("num.scr", "/* the\nanswer */ 21");
    compileMain();
    EXPECT_EQ(result.message, at(2, "expecting one character"));
}

TEST_F(Files, AnIncludedFileMayEndInsideAComment)
{
    // The scanner returns to the including file in the state it was in.
    folder.write("main.scr", "x = 1\ninclude \"open.scr\" y = 2\nz = 3\n");
    folder.write("open.scr", "/* never closed");
    compileMain();
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(result.script->mainBlock->statements.size(), 1u);
}

TEST_F(Files, SameFileTwiceInARowIsNoRecursion)
{
    folder.write("main.scr", "n = 1\ninclude \"step.scr\"\ninclude \"step.scr\"\ninclude \"last.scr\"\n");
    folder.write("step.scr", "n = n * 10\n");
    folder.write("last.scr", "n = 0");
    compileMain();
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(result.script->mainBlock->statements.size(), 4u);
}

TEST_F(Files, RecursionIsFoundByFileIdentity)
{
    folder.write("main.scr", "x = 1\ny = 2\ninclude \"./MAIN.scr\"\ninclude \"./sub/../main.scr\"\n");
    folder.write("MAIN.scr", "z = 1\n");
    compileMain();
    // MAIN.scr is another file; ./sub/../main.scr is this one.
    EXPECT_EQ(result.message, at(4, "Error: Recurcive include detected."));

    folder.write("main.scr", "include \"lib/b.scr\"\n");
    folder.write("lib/b.scr", "// b\ninclude \"../link.scr\"\n");
    std::filesystem::create_symlink(folder.path() + "/main.scr", folder.path() + "/link.scr");
    compileMain();
    EXPECT_EQ(result.message, at(2, "Error: Recurcive include detected.", "lib/b.scr"));
}

TEST_F(Files, MissingAndMalformedIncludes)
{
    folder.write("main.scr", "x = 1\ninclude \"lib\\missing.scr\"\n");
    compileMain();
    EXPECT_EQ(result.message, at(2, "Failed to open script file \"lib/missing.scr\""));

    folder.write("main.scr", "include \"lib\"\n");
    folder.write("lib/x.scr", "");
    compileMain();
    EXPECT_EQ(result.message, at(1, "Failed to open script file \"lib\""));

    // Only regular files: a pipe without writer and a device are refused
    // at once instead of hanging or feeding the scanner without end.
    ASSERT_EQ(mkfifo((folder.path() + "/pipe").c_str(), 0600), 0);
    for (const char *path : {"pipe", "/dev/zero"}) {
        folder.write("main.scr", std::string("include \"") + path + "\"\n");
        compileMain();
        EXPECT_EQ(result.message, at(1, std::string("Failed to open script file \"") + path + "\""));
    }

    // The text is cut to 511 characters.
    std::string longName(600, 'q');
    folder.write("main.scr", "include \"" + longName + "\"\n");
    compileMain();
    EXPECT_EQ(result.message, at(1, ("Failed to open script file \"" + longName).substr(0, 511)));

    // "include" then a line break reads the path from the next line, and
    // that line break is not counted.
    folder.write("main.scr", "include\n\"five.scr\"\nx = 'xy'\n");
    folder.write("five.scr", "a = 1\n");
    compileMain();
    EXPECT_EQ(result.message, at(2, "expecting one character"));
}

TEST_F(Files, ErrorsInAnIncludedFileNameItAndItsLine)
{
    folder.write("main.scr", "x = 1\ninclude \"lib/../lib/./bad.scr\"\ny = 2\n");
    folder.write("lib/bad.scr", "a = 1\nb = 2\nc = 'xy'\n");
    compileMain();
    EXPECT_EQ(result.message, at(3, "expecting one character", "lib/bad.scr"));

    folder.write("main.scr", "x = 1\ninclude \"lib/decl.scr\"\n");
    folder.write("lib/decl.scr", "procedure P()\n  exit\nend\n");
    compileMain();
    EXPECT_EQ(result.message, at(1, "syntax error, unexpected PROC_NAME", "lib/decl.scr"));
}

TEST_F(Files, EveryFileIsClosedAfterACompilation)
{
    folder.write("main.scr", "include \"a.scr\"\n");
    folder.write("a.scr", "include \"b.scr\"\n");
    folder.write("b.scr", "x = 'xy'\n");
    auto openFiles = [] {
        size_t n = 0;
        for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd"))
            ++n;
        return n;
    };
    size_t before = openFiles();
    compileMain();
    EXPECT_EQ(result.status, PELORN_COMPILE_ERROR);
    EXPECT_EQ(openFiles(), before);
    folder.write("b.scr", "x = 1\n");
    compileMain();
    EXPECT_EQ(result.status, PELORN_PARSED);
    EXPECT_EQ(openFiles(), before);
}

} // namespace
