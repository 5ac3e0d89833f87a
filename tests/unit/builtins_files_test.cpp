// File built-ins against a scratch folder that is the current directory.
#include "builtin_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace pelorn;
using namespace pelorn::testing;
namespace bi = pelorn::builtins;

namespace {

const char *const kReadFileMessage =
    "Bad argument in function \"readFile\". Prototype: bytearray ReadFile(string path) | bytearray ReadFile(string "
    "path, integer offset) | bytearray ReadFile(string path, integer offset, integer length).\n";
const char *const kSaveFileMessage =
    "Bad argument in function \"saveFile\". Prototype: SaveFile (fileName, data[, bAppend]) with fileName as String, "
    "data as either String or ByteArray, bAppend a boolean indicating if data should be appended to existing "
    "content or not. If bAppend not specified, then file content is overwritten with data.\n";

std::string contents(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(const char *path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }

} // namespace

class FileBuiltins : public BuiltinTest {
protected:
    void SetUp() override
    {
        BuiltinTest::SetUp();
        char pattern[] = "/tmp/pelorn-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(folder_.c_str()), 0);
        put("ten.txt", "0123456789");
        put("empty.txt", "");
        mkdir("sub", 0755);
        put("sub/inner.txt", "in");
        mkfifo("pipe", 0644);
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(previous_), 0);
        std::string remove = "rm -rf '" + folder_ + "'";
        EXPECT_EQ(std::system(remove.c_str()), 0);
        BuiltinTest::TearDown();
    }

private:
    std::string folder_;
    char previous_[4096];
};

TEST_F(FileBuiltins, ReadFileTakesWholeFileTailOrRange)
{
    auto read = [this](std::initializer_list<ScriptValue> values) {
        Args args(values);
        EXPECT_EQ(call(bi::ReadFile, args), 0);
        EXPECT_EQ(result.type, PELORN_BYTEARRAY);
        return std::string(result.u.bytes.data, result.u.bytes.data + result.u.bytes.length);
    };
    EXPECT_EQ(read({str("ten.txt")}), "0123456789");
    EXPECT_EQ(read({str("ten.txt"), integer(8)}), "89");
    EXPECT_EQ(read({str("ten.txt"), integer(9)}), "9");
    EXPECT_EQ(read({str("ten.txt"), integer(2), integer(3)}), "234");
    EXPECT_EQ(read({str("ten.txt"), integer(2), integer(0)}), "");
    EXPECT_EQ(read({str("ten.txt"), integer(2), integer(8)}), "23456789");
    EXPECT_EQ(read({str("empty.txt")}), "");
}

TEST_F(FileBuiltins, ReadFileChecksOpenThenOffsetThenLength)
{
    struct Case {
        ScriptValue path, offset, length;
        uint32_t count;
        const char *thrown;
    };
    const Case cases[] = {
        {str("ten.txt"), integer(10), {}, 2, "ReadFile: invalid offset parameter"},
        {str("ten.txt"), integer(-1), {}, 2, "ReadFile: invalid offset parameter"},
        {str("ten.txt"), integer(INT64_MAX), {}, 2, "ReadFile: invalid offset parameter"},
        {str("ten.txt"), integer(11), integer(-1), 3, "ReadFile: invalid offset parameter"},
        {str("empty.txt"), integer(0), {}, 2, "ReadFile: invalid offset parameter"},
        {str("ten.txt"), integer(2), integer(9), 3, "ReadFile: invalid length parameter"},
        {str("ten.txt"), integer(2), integer(-1), 3, "ReadFile: invalid length parameter"},
        {str("ten.txt"), integer(0), integer(INT64_MAX), 3, "ReadFile: invalid length parameter"},
        {str("missing.txt"), integer(-5), {}, 2, "ReadFile: Failed to open the given file for reading"},
        {str("sub"), {}, {}, 1, "ReadFile: Failed to open the given file for reading"},
        {str("pipe"), {}, {}, 1, "ReadFile: Failed to open the given file for reading"},
    };
    for (const Case &c : cases) {
        Args args{c.path, c.offset, c.length};
        value::release(result);
        try {
            bi::ReadFile(c.count, args.slots(), &result);
            ADD_FAILURE() << "no throw for " << c.thrown;
        } catch (api::NativeThrow &t) {
            EXPECT_EQ(textOf(t.value), c.thrown);
            value::release(t.value);
        }
        EXPECT_EQ(result.type, PELORN_UNDEFINED);
    }
}

TEST_F(FileBuiltins, SizesBeyondThirtyTwoBits)
{
    // A sparse file: large without using the disk.
    ASSERT_EQ(truncate("ten.txt", int64_t{3} << 30), 0);
    Args size{str("ten.txt")};
    ASSERT_EQ(call(bi::GetFileSize, size), 0);
    EXPECT_EQ(result.u.integer, int64_t{3} << 30);
    Args whole{str("ten.txt")};
    EXPECT_EQ(call(bi::ReadFile, whole), -1);
    EXPECT_EQ(thrown, "ReadFile: length of data to read is too big (maximum value is 2147483647 bytes");
    Args tail{str("ten.txt"), integer((int64_t{3} << 30) - 4)};
    ASSERT_EQ(call(bi::ReadFile, tail), 0);
    EXPECT_EQ(result.u.bytes.length, 4);
}

TEST_F(FileBuiltins, ReadFileArgumentErrors)
{
    Args none{};
    Args emptyPath{str("")};
    Args number{integer(5)};
    Args textOffset{str("ten.txt"), str("1")};
    Args four{str("ten.txt"), integer(1), integer(2), integer(3)};
    for (Args *args : {&none, &emptyPath, &number, &textOffset, &four}) {
        messages().clear();
        EXPECT_EQ(call(bi::ReadFile, *args), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), kReadFileMessage);
    }
}

TEST_F(FileBuiltins, PathsTakeBackslashesAsSeparators)
{
    Args args{str("sub\\inner.txt")};
    ASSERT_EQ(call(bi::ReadFile, args), 0);
    EXPECT_EQ(result.u.bytes.length, 2);
    ASSERT_EQ(call(bi::GetFileSize, args), 0);
    EXPECT_EQ(result.u.integer, 2);
}

TEST_F(FileBuiltins, GetFileSizeCountsBytesOfRegularFilesOnly)
{
    Args ten{str("ten.txt")};
    ASSERT_EQ(call(bi::GetFileSize, ten), 0);
    EXPECT_EQ(result.type, PELORN_INTEGER);
    EXPECT_EQ(result.u.integer, 10);
    for (const char *path : {"missing.txt", "sub", "pipe"}) {
        Args args{str(path)};
        EXPECT_EQ(call(bi::GetFileSize, args), -1);
        EXPECT_EQ(thrown, "Failed to open the given file for reading") << path;
    }
    Args emptyPath{str("")};
    Args two{str("ten.txt"), str("ten.txt")};
    for (Args *args : {&emptyPath, &two}) {
        messages().clear();
        EXPECT_EQ(call(bi::GetFileSize, *args), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), "Bad argument in function \"GetFileSize\". Expecting one non empty string argument .\n");
    }
}

TEST_F(FileBuiltins, SaveFileOverwritesOrAppends)
{
    Args first{str("out.txt"), str("ab")};
    ASSERT_EQ(call(bi::SaveFile, first), 0);
    Args appended{str("out.txt"), bytes("63 64"), boolean(true)};
    ASSERT_EQ(call(bi::SaveFile, appended), 0);
    EXPECT_EQ(contents("out.txt"), "abcd");
    ScriptValue pieces = str("xy");
    ScriptValue tail = str("z");
    value::chain::append(pieces, tail);
    Args overwritten{str("out.txt"), pieces, boolean(false)};
    ASSERT_EQ(call(bi::SaveFile, overwritten), 0);
    EXPECT_EQ(contents("out.txt"), "xyz");
    Args binary{str("new.bin"), bytes("00 FF 0D 0A"), boolean(true)};
    ASSERT_EQ(call(bi::SaveFile, binary), 0);
    EXPECT_EQ(contents("new.bin"), std::string("\x00\xFF\r\n", 4));
}

TEST_F(FileBuiltins, SaveFileFailuresLeaveFilesAlone)
{
    for (const char *path : {"", "sub", "nodir/x.txt", "pipe"}) {
        Args args{str(path), str("x")};
        EXPECT_EQ(call(bi::SaveFile, args), -1) << path;
        EXPECT_EQ(thrown, "Failed to open the given file for writing") << path;
    }
    Args number{str("ten.txt"), integer(5)};
    Args notBoolean{str("ten.txt"), str("zz"), integer(1)};
    Args one{str("ten.txt")};
    Args four{str("ten.txt"), str("zz"), boolean(true), boolean(true)};
    Args pathNumber{integer(5), str("x")};
    for (Args *args : {&number, &notBoolean, &one, &four, &pathNumber}) {
        messages().clear();
        EXPECT_EQ(call(bi::SaveFile, *args), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), kSaveFileMessage);
    }
    EXPECT_EQ(contents("ten.txt"), "0123456789");
}
