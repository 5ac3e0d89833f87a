#include "builtins/libcrypto.h"

#include <openssl/opensslv.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace pelorn::builtins::libcrypto {

namespace {

// The major version the engine is built against names the library.
constexpr const char kLibraryName[] = "libcrypto.so.3";
static_assert(OPENSSL_VERSION_MAJOR == 3);

[[noreturn]] void unavailable(const char *what)
{
    std::fprintf(stderr, "pelorn: cannot use %s: %s\n", kLibraryName, what);
    std::abort();
}

Functions load()
{
    // Never closed: the functions stay bound until the process ends.
    void *library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        unavailable(dlerror());
    Functions f{};
#define PELORN_LIBCRYPTO_BIND(name)                                                                                   \
    f.name = reinterpret_cast<decltype(f.name)>(dlsym(library, #name));                                              \
    if (f.name == nullptr)                                                                                            \
        unavailable(#name);
    PELORN_LIBCRYPTO_FUNCTIONS(PELORN_LIBCRYPTO_BIND)
#undef PELORN_LIBCRYPTO_BIND
    return f;
}

} // namespace

const Functions &get()
{
    static const Functions functions = load();
    return functions;
}

} // namespace pelorn::builtins::libcrypto
