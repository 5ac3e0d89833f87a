// The module loader: loading, numbering, lookups, failures, unloading.
#include "front/modules.h"
#include "front_fixture.h"
#include "tree_shape.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <string>

using namespace pelorn;

namespace {

std::string modulePath(const std::string &variant)
{
    return std::string(PELORN_TEST_MODULES) + "/" + variant + ".so";
}

// Whether the library is loaded in the process now.
bool loaded(const std::string &path)
{
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr)
        return false;
    dlclose(handle);
    return true;
}

int initializeCount(const std::string &path)
{
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr)
        return -1;
    auto count = reinterpret_cast<int (*)()>(dlsym(handle, "InitializeCount"));
    int n = count != nullptr ? count() : -1;
    dlclose(handle);
    return n;
}

class Modules : public fixture::ScriptTest {
protected:
    std::string use(const std::string &variant) const { return "use \"" + modulePath(variant) + "\"\n"; }
    interp::Statement *topLevel(size_t i) const { return result.script->mainBlock->statements.at(i); }
    std::string valueOf(size_t i) const
    {
        auto *assign = dynamic_cast<interp::AssignStatement *>(topLevel(i));
        return assign != nullptr ? fixture::shape(assign->value) : "?";
    }
};

TEST_F(Modules, AModuleIsLoadedOnceAndItsNamesAreKnownOnTheNextLine)
{
    std::string good = modulePath("good");
    compile(use("good") + use("good") + "x = ModFunc()\ny = typeof x = TOKEN\nz = typeof x != COLOR\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(initializeCount(good), 1);
    EXPECT_EQ(result.messages, std::vector<std::string>{"TOKEN is 2001, COLOR is 2002"});
    EXPECT_EQ(valueOf(0), "(ModFunc)");
    EXPECT_EQ(valueOf(1), "(= (typeof x) 2001)");
    EXPECT_EQ(valueOf(2), "(!= (typeof x) 2002)");
    ASSERT_NE(result.script->modules, nullptr);
    EXPECT_EQ(result.script->modules->next, nullptr);
    result.reset();
    EXPECT_FALSE(loaded(good));

    // ModProc starts the line right after the "use": it must already be
    // the module's procedure, not the name of a script procedure.
    compile(use("good") + "ModProc()\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    auto *call = dynamic_cast<interp::BuiltinProcedureCallStatement *>(topLevel(0));
    ASSERT_NE(call, nullptr);
    EXPECT_STREQ(call->name, "ModProc");
}

TEST_F(Modules, NewerModulesAreSearchedFirstAndTypesNumberedPerCompilation)
{
    compile(use("plain") + use("good") + use("shadow") + "x = Shared\ny = typeof x = SHADE\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    auto *assign = dynamic_cast<interp::AssignStatement *>(topLevel(0));
    ASSERT_NE(assign, nullptr);
    ASSERT_EQ(assign->value->kind, interp::ExpressionKind::Variable);
    auto *shared = static_cast<interp::VariableExpr *>(assign->value);
    EXPECT_EQ(shared->storage, interp::VariableStorage::External);
    EXPECT_EQ(shared->place->u.integer, 2); // shadow's, not plain's
    EXPECT_EQ(valueOf(1), "(= (typeof x) 2003)");

    compile(use("shadow") + "y = typeof 1 = SHADE\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(valueOf(0), "(= (typeof 1) 2001)");
}

TEST_F(Modules, BuiltInNamesComeBeforeModuleNames)
{
    compile(use("plain") + "Shared = 1\nPrintln(Shared)\n");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    EXPECT_EQ(result.script->header.symbols, nullptr); // no script variable
}

TEST_F(Modules, RelativePathsResolveAgainstTheDeclaringFile)
{
    std::filesystem::create_directories(folder.path() + "/mods");
    std::filesystem::copy_file(modulePath("good"), folder.path() + "/mods/copy.so");
    folder.write("main.scr", "include \"lib/uses.scr\"\nModProc()\n");
    // The literal's escape makes "\\" one backslash, which is a separator.
    folder.write("lib/uses.scr", "use \"..\\\\mods/./copy.so\"\n");
    fixture::compileFile(result, folder.path() + "/main.scr");
    ASSERT_EQ(result.status, PELORN_PARSED) << result.message;
    ASSERT_NE(result.script->modules, nullptr);
    EXPECT_EQ(result.script->modules->path, folder.path() + "/mods/copy.so");
}

struct FailureCase {
    const char *variant;
    const char *message; // %s: the canonical path
};

class ModuleFailures : public fixture::ScriptTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ModuleFailures, EndTheCompilationAndUnloadTheModule)
{
    std::string path = modulePath(GetParam().variant);
    compile("use \"" + path + "\"\nx = 1\n");
    EXPECT_EQ(result.status, PELORN_COMPILE_ERROR);
    char text[1024];
    std::snprintf(text, sizeof text, GetParam().message, path.c_str());
    EXPECT_EQ(result.message, at(1, text));
    EXPECT_FALSE(loaded(path));
}

INSTANTIATE_TEST_SUITE_P(Modules, ModuleFailures,
                         ::testing::Values(FailureCase{"absent", "Failed to load module \"%s\" ."},
                                           FailureCase{"no_initialize", "Unrecognized module \"%s\" ."},
                                           FailureCase{"null_table", "The module \"%s\" couldn't be recognized."},
                                           FailureCase{"failing_init",
                                                       "The module \"%s\" didn't initialize correctly."}));

TEST_F(Modules, ARoutineOfUnknownKindStopsTheScanner)
{
    compile(use("weird") + "x = 1\ny = Weird\nz = 2\n");
    EXPECT_EQ(result.status, PELORN_COMPILE_ERROR);
    EXPECT_EQ(result.message, at(3, "Unknown function type.\n"));
    EXPECT_FALSE(loaded(modulePath("weird")));
}

} // namespace
