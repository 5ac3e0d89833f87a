// Opening script files, switching into and out of included ones.
#include "front/script_files.h"

#include "api/unattended.h"
#include "front/compilation.h"
#include "front/compile_error.h"
#include "front/messages.h"
#include "front/paths.h"
#include "front/scanner.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelorn::front {

namespace {

FileIdentity identityOf(FILE *file)
{
    struct stat st {};
    if (fstat(fileno(file), &st) != 0)
        return FileIdentity{};
    return FileIdentity{st.st_dev, st.st_ino};
}

// The file a path names is being read already: the current file or one
// waiting on the include stack.
bool alreadyOpen(const std::string &name)
{
    struct stat st {};
    if (stat(name.c_str(), &st) != 0)
        return false;
    FileIdentity id{st.st_dev, st.st_ino};
    const Compilation &c = compilation();
    if (id == c.current.identity)
        return true;
    for (const OpenFile &waiting : c.includeStack)
        if (id == waiting.identity)
            return true;
    return false;
}

const interp::SourceFile *sourceFor(const std::string &name)
{
    return interp::internSource(compilation().script, name, paths::directoryOf(name));
}

void closeFile(OpenFile &f)
{
    Compilation &c = compilation();
    scanner::deleteBuffer(c.scanner, f.buffer);
    f.buffer = nullptr;
    if (f.file != nullptr)
        std::fclose(f.file);
    f.file = nullptr;
}

} // namespace

FILE *openScriptFile(const char *path)
{
    FILE *file = std::fopen(path, "r");
    if (file == nullptr)
        return nullptr;
    struct stat st {};
    if (fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file);
        errno = EISDIR;
        return nullptr;
    }
    return file;
}

namespace {

// An included file must be a regular file: a pipe without writer would
// hang the compilation at its open, a device would feed it without end.
FILE *openIncludedFile(const char *path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
        close(fd);
        return nullptr;
    }
    FILE *file = fdopen(fd, "r");
    if (file == nullptr)
        close(fd);
    return file;
}

} // namespace

namespace {

void beginMain(FILE *file, const interp::SourceFile *source)
{
    Compilation &c = compilation();
    c.current.file = file;
    c.current.identity = identityOf(file);
    c.current.line = 0;
    c.current.source = source;
    c.current.buffer = scanner::openBuffer(c.scanner, file);
    scanner::switchTo(c.scanner, c.current.buffer);
}

} // namespace

void beginMainFile(FILE *file, const char *pathAsGiven)
{
    beginMain(file, sourceFor(paths::resolve(paths::withSlashes(pathAsGiven), paths::currentDirectory())));
}

void beginMainText(FILE *file, const std::string &name, const std::string &directory)
{
    beginMain(file, interp::internSource(compilation().script, name, directory));
}

size_t readText(FILE *file, char *buffer, size_t size)
{
    size_t n = std::fread(buffer, 1, size, file);
    if (n == 0 && std::ferror(file))
        raiseCompileError(messages::kReadFailure);
    size_t out = 0;
    for (size_t i = 0; i < n; ++i) {
        char ch = buffer[i];
        if (ch == '\r') {
            if (i + 1 < n) {
                if (buffer[i + 1] == '\n')
                    continue; // the pair's line feed follows
            } else {
                // The pair may straddle two reads.
                int next = std::getc(file);
                if (next == '\n')
                    ch = '\n';
                else if (next != EOF)
                    std::ungetc(next, file);
            }
        }
        buffer[out++] = ch;
    }
    return out;
}

void includeFile(const char *pathText)
{
    Compilation &c = compilation();
    std::string written = paths::withSlashes(pathText);
    std::string name = paths::resolve(written, c.current.source->directory);
    // Reported at the directive's line, in the including file.
    if (alreadyOpen(name))
        raiseCompileError(messages::kRecursiveInclude);
#ifdef PELORN_FUZZING
    FILE *file = api::leavesSandbox(written.c_str()) ? nullptr : openIncludedFile(name.c_str());
#else
    FILE *file = openIncludedFile(name.c_str());
#endif
    if (file == nullptr)
        raiseCompileErrorf(kIncludeMessageLimit, messages::kCannotOpenInclude, written.c_str());

    OpenFile included;
    included.file = file;
    included.identity = identityOf(file);
    try {
        included.source = sourceFor(name);
        c.includeStack.push_back(c.current);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    // From here every buffer and file is held exactly once, by the stack
    // or by the current file, whatever fails next.
    c.current = included;
    c.current.buffer = scanner::openBuffer(c.scanner, file);
    scanner::switchTo(c.scanner, c.current.buffer);
}

bool endOfFile()
{
    Compilation &c = compilation();
    if (c.includeStack.empty()) {
        // Errors found from now on have no position.
        c.positionPrefix = false;
        return false;
    }
    OpenFile ended = c.current;
    c.current = c.includeStack.back();
    c.includeStack.pop_back();
    scanner::switchTo(c.scanner, c.current.buffer);
    closeFile(ended);
    return true;
}

void closeScriptFiles()
{
    Compilation &c = compilation();
    for (OpenFile &waiting : c.includeStack)
        closeFile(waiting);
    c.includeStack.clear();
    closeFile(c.current);
}

} // namespace pelorn::front
