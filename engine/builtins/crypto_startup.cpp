// Preparing OpenSSL's libcrypto when the library is loaded.
#include "builtins/startup.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

namespace pelorn::builtins {

// Error strings first, then every cipher and digest, then one poll of the
// random generator for seed material.
void initializeCrypto()
{
    OPENSSL_init_crypto(OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
    OPENSSL_init_crypto(OPENSSL_INIT_ADD_ALL_CIPHERS | OPENSSL_INIT_ADD_ALL_DIGESTS, nullptr);
    RAND_poll();
}

} // namespace pelorn::builtins
