// libcrypto, opened and bound on the first cipher, digest or random number:
// loading it (it binds all its symbols at load) costs a short script more
// than the rest of its run, and most scripts never use it.
#pragma once

#include <openssl/des.h>
#include <openssl/evp.h>
#include <openssl/md5.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

namespace pelorn::builtins::libcrypto {

// Every libcrypto function the built-ins call.
#define PELORN_LIBCRYPTO_FUNCTIONS(X)                                                                                 \
    X(MD5_Init) X(MD5_Update) X(MD5_Final) X(SHA1_Init) X(SHA1_Update) X(SHA1_Final) X(SHA256_Init)                   \
    X(SHA256_Update) X(SHA256_Final) X(SHA384_Init) X(SHA384_Update) X(SHA384_Final) X(SHA512_Init)                   \
    X(SHA512_Update) X(SHA512_Final) X(DES_set_key_unchecked) X(DES_ecb_encrypt) X(DES_cbc_encrypt)                   \
    X(DES_ecb3_encrypt) X(DES_ede3_cbc_encrypt) X(EVP_aes_128_cbc) X(EVP_aes_128_ecb) X(EVP_aes_192_cbc)              \
    X(EVP_aes_192_ecb) X(EVP_aes_256_cbc) X(EVP_aes_256_ecb) X(EVP_CIPHER_CTX_new) X(EVP_CIPHER_CTX_free)             \
    X(EVP_CIPHER_CTX_set_padding) X(EVP_EncryptInit_ex) X(EVP_DecryptInit_ex) X(EVP_EncryptUpdate)                    \
    X(EVP_DecryptUpdate) X(EVP_EncryptFinal_ex) X(EVP_DecryptFinal_ex) X(RAND_bytes) X(RAND_seed)

struct Functions {
#define PELORN_LIBCRYPTO_POINTER(name) decltype(&::name) name;
    PELORN_LIBCRYPTO_FUNCTIONS(PELORN_LIBCRYPTO_POINTER)
#undef PELORN_LIBCRYPTO_POINTER
};

// The bound functions, loaded once (thread-safe) on the first call. A
// system without the library the engine was built against ends the
// process with a message: nothing could work in its place.
const Functions &get();

} // namespace pelorn::builtins::libcrypto
