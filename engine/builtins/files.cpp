// File built-ins: reading a whole file or a part of it, its size, saving.
// Relative paths resolve against the current directory, which the call has
// switched to the calling script's directory.
#include "api/unattended.h"
#include "builtins/arguments.h"
#include "builtins/catalogue.h"
#include "builtins/messages.h"
#include "value/chain.h"
#include "value/value.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelorn::builtins {

namespace {

// The largest number of bytes ReadFile returns: a byte array's length is a
// signed 32-bit number.
constexpr int64_t kMaxReadLength = INT32_MAX;

// A path argument joined into one text, with '\' taken as '/'.
class Path {
public:
    explicit Path(const ScriptValue &s) : text_(value::chain::join(s.u.string))
    {
        for (char *p = text_; *p != '\0'; ++p) {
            if (*p == '\\')
                *p = '/';
        }
    }
    ~Path() { zfree(text_); }
#ifdef PELORN_FUZZING
    const char *get() const { return api::leavesSandbox(text_) ? "" : text_; }
#else
    const char *get() const { return text_; }
#endif
    Path(const Path &) = delete;
    Path &operator=(const Path &) = delete;

private:
    char *text_;
};

// An open file descriptor, closed on every way out (failures throw).
class File {
public:
    explicit File(int fd) : fd_(fd) {}
    ~File()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_;
};

// Opens a regular file for reading and gives its size, or -1: directories,
// devices and pipes count as files that cannot be opened. O_NONBLOCK keeps
// the open of a pipe without writer from hanging.
int openRegularFile(const char *path, int64_t &size)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return -1;
    }
    size = status.st_size;
    return fd;
}

// Reads up to count bytes; what a failing read does not deliver stays as is.
void readFully(int fd, uint8_t *out, size_t count)
{
    while (count > 0) {
        ssize_t n = read(fd, out, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        out += n;
        count -= static_cast<size_t>(n);
    }
}

// Writes all bytes; write errors are not reported.
void writeFully(int fd, const void *data, size_t count)
{
    const auto *p = static_cast<const uint8_t *>(data);
    while (count > 0) {
        ssize_t n = write(fd, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        count -= static_cast<size_t>(n);
    }
}

bool isNonEmptyString(const ArgumentSlot &slot) { return isString(slot) && slot.value.u.string.length != 0; }

} // namespace

int32_t GetFileSize(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    if (count != 1 || !isNonEmptyString(args[0]))
        return badArguments(messages::kGetFileSize);
    Path path(args[0].value);
    int64_t size = 0;
    File file(openRegularFile(path.get(), size));
    if (!file.isOpen())
        fail(messages::kGetFileSizeOpen);
    *result = value::makeInteger(size);
    return PELORN_OK;
}

// ReadFile(path [, offset [, length]]): the file is opened first, then the
// offset and the length are checked against its size.
int32_t ReadFile(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    if (count < 1 || count > 3 || !isNonEmptyString(args[0]) || (count >= 2 && !isInteger(args[1])) ||
        (count == 3 && !isInteger(args[2])))
        return badArguments(messages::kReadFile);
    Path path(args[0].value);
    int64_t size = 0;
    File file(openRegularFile(path.get(), size));
    if (!file.isOpen())
        fail(messages::kReadFileOpen);
    int64_t offset = 0;
    if (count >= 2) {
        offset = args[1].value.u.integer;
        if (offset < 0 || offset > size - 1)
            fail(messages::kReadFileOffset);
    }
    int64_t length = size - offset;
    if (count == 3) {
        int64_t wanted = args[2].value.u.integer;
        if (wanted < 0 || wanted > size - offset)
            fail(messages::kReadFileLength);
        length = wanted;
    }
    if (length > kMaxReadLength)
        fail(messages::kReadFileTooBig);
    if (lseek(file.fd(), static_cast<off_t>(offset), SEEK_SET) < 0)
        fail(messages::kReadFileSeek);
    auto *block = static_cast<uint8_t *>(zalloc(static_cast<int32_t>(length)));
    if (block == nullptr)
        fail(messages::kReadFileNoMemory);
    readFully(file.fd(), block, static_cast<size_t>(length));
    *result = value::adoptBytes(block, static_cast<int32_t>(length));
    return PELORN_OK;
}

// SaveFile(path, data [, append]): overwrites, or appends when the flag is
// true. Strings are written segment by segment with nothing added.
int32_t SaveFile(uint32_t count, ArgumentSlot *args)
{
    if (count < 2 || count > 3 || !isString(args[0]) || !(isString(args[1]) || isBytes(args[1])) ||
        (count == 3 && !isBoolean(args[2])))
        return badArguments(messages::kSaveFile);
    bool append = count == 3 && args[2].value.u.boolean != 0;
    Path path(args[0].value);
    int mode = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (append ? O_APPEND : O_TRUNC);
    File file(open(path.get(), mode, 0666));
    if (!file.isOpen())
        fail(messages::kSaveFileOpen);
    // Opened without blocking (a pipe without reader fails at once); the
    // writes themselves wait as usual.
    fcntl(file.fd(), F_SETFL, fcntl(file.fd(), F_GETFL) & ~O_NONBLOCK);
    const ScriptValue &data = args[1].value;
    if (isBytes(args[1]))
        writeFully(file.fd(), data.u.bytes.data, byteCount(data));
    else
        forEachSegment(data, [&file](const char *text, size_t length) { writeFully(file.fd(), text, length); });
    return PELORN_OK;
}

} // namespace pelorn::builtins
