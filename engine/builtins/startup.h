// Load-time preparation of the built-in library.
#pragma once

namespace pelorn::builtins {

// Loads OpenSSL's error strings, ciphers and digests; polls its generator.
void initializeCrypto();
// Notes the process start for Clock and the counter for GetPerfCounter.
void initializeClock();

} // namespace pelorn::builtins
