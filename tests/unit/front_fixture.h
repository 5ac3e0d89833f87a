// Helpers of the front-end tests: script files in a scratch folder, the
// messages a compilation delivers, and compiling a text.
#pragma once

#include "api/channels.h"
#include "front/compiler.h"
#include "interp/script.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace pelorn::fixture {

// A fresh folder under the system's temporary directory, removed after.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelorn-front-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    // Writes the file (sub-folders are created) and returns its full path.
    std::string write(const std::string &name, const std::string &text) const
    {
        std::filesystem::path file = std::filesystem::path(path_) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// Collects the diagnostics delivered while it lives.
class CapturedMessages {
public:
    CapturedMessages() { api::setMessageOutput(&collect); }
    ~CapturedMessages()
    {
        api::setMessageOutput(nullptr);
        collected().clear();
    }
    CapturedMessages(const CapturedMessages &) = delete;
    CapturedMessages &operator=(const CapturedMessages &) = delete;

    const std::vector<std::string> &all() const { return collected(); }
    std::string last() const { return collected().empty() ? std::string() : collected().back(); }

private:
    static std::vector<std::string> &collected()
    {
        static std::vector<std::string> messages;
        return messages;
    }
    static int32_t collect(const char *text)
    {
        collected().emplace_back(text);
        return 0;
    }
};

// A compiled script, freed with the object.
struct Compiled {
    Compiled() = default;
    Compiled(const Compiled &) = delete;
    Compiled &operator=(const Compiled &) = delete;
    ~Compiled() { reset(); }
    void reset()
    {
        if (script != nullptr)
            FreeScript(script->object());
        script = nullptr;
        status = -1;
        message.clear();
        messages.clear();
    }

    interp::Script *script = nullptr;
    int32_t status = -1;
    std::string message;               // the last diagnostic, "" when none
    std::vector<std::string> messages; // all of them
};

// Compiles the file at path, capturing its diagnostics.
inline void compileFile(Compiled &result, const std::string &path)
{
    result.reset();
    CapturedMessages messages;
    result.script = front::parseScript(path.c_str(), &result.status);
    result.message = messages.last();
    result.messages = messages.all();
}

// Compiles a text written as main.scr into a fresh folder; with a
// position, compile errors read "<folder>/main.scr(line) : text".
class ScriptTest : public ::testing::Test {
protected:
    void compile(const std::string &text) { compileFile(result, folder.write("main.scr", text)); }
    std::string at(int line, const std::string &text, const std::string &file = "main.scr") const
    {
        return folder.path() + "/" + file + "(" + std::to_string(line) + ") : " + text + "\n";
    }

    ScratchFolder folder;
    Compiled result;
};

} // namespace pelorn::fixture
