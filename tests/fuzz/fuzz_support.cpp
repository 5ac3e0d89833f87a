// Shared set-up of the fuzz targets (see fuzz_support.h).
#include "fuzz_support.h"

#include "pelorn.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace pelorn::fuzz {

namespace {

// The working folder, and the main script in it. Relative paths of a run
// resolve against the script's folder, so the process's own current
// directory (where libFuzzer keeps its corpus) stays as it is.
char folder[] = "/tmp/pelorn-fuzz-XXXXXX";
std::string scriptPath;

int32_t discard(const char *) { return 0; }
int32_t noInput(char *, int32_t) { return 0; }

} // namespace

void setUp()
{
    if (mkdtemp(folder) == nullptr) {
        std::perror("pelorn fuzz: working folder");
        std::abort();
    }
    scriptPath = std::string(folder) + "/input.scr";
    const char *verbose = std::getenv("PELORN_FUZZ_VERBOSE");
    if (verbose == nullptr || std::strcmp(verbose, "1") != 0) {
        SetStandardOutputFn(discard);
        SetMessageOutputFn(discard);
    }
    SetStandardInputFn(noInput);
    // No daemon to talk to: card built-ins and APDUs fail at once instead
    // of reaching the machine's readers.
    setenv("PCSCLITE_CSOCK_NAME", "/nonexistent/pelorn-fuzz/pcscd.comm", 1);
}

const char *writeScript(const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(scriptPath.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return scriptPath.c_str();
}

void cleanUp()
{
    int fd = open(folder, O_RDONLY | O_DIRECTORY);
    DIR *listing = fd >= 0 ? fdopendir(fd) : nullptr;
    if (listing == nullptr)
        return;
    while (dirent *entry = readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            unlinkat(fd, entry->d_name, 0);
    }
    closedir(listing);
}

} // namespace pelorn::fuzz

// Script sleeps only cost fuzzing time: the targets' nanosleep returns at once.
extern "C" int nanosleep(const struct timespec *, struct timespec *remaining)
{
    if (remaining != nullptr)
        *remaining = timespec{};
    return 0;
}
