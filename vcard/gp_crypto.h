// The ciphers and MACs of the card side of GlobalPlatform secure channels,
// on libcrypto. Kept apart from the host module's crypto on purpose: card
// and host computing the same values independently is what the tests lean on.
#pragma once

#include "profile.h"

#include <initializer_list>

namespace vcard::gp {

// ISO/IEC 9797-1 padding method 2: 80 then 00s up to a whole block (always
// at least the 80).
Bytes pad80(const Bytes &data, size_t block);
// Removes that padding; false when the data do not end in it.
bool unpad80(Bytes &data);

// Triple DES with a 16-byte (K1 K2 K1) or 24-byte key, no padding.
Bytes tdesCbc(const Bytes &key, const Bytes &iv, const Bytes &data, bool encrypt);
// Single DES, one block, as Triple DES with the key repeated.
Bytes desEcb(const Bytes &key8, const Bytes &block, bool encrypt);
// AES with a 16-, 24- or 32-byte key, no padding.
Bytes aesCbc(const Bytes &key, const Bytes &iv, const Bytes &data, bool encrypt);

// ISO/IEC 9797-1 MAC algorithm 3 (retail MAC) over data already padded:
// single DES CBC under K1 from the ICV, the last block through K2 and K1.
Bytes retailMac(const Bytes &key16, const Bytes &icv, const Bytes &padded);
// MAC algorithm 1 with Triple DES (full Triple DES CBC-MAC), zero ICV,
// padding added here.
Bytes tdesMac(const Bytes &key16, const Bytes &data);
// AES-CMAC (NIST SP 800-38B), 16 bytes.
Bytes aesCmac(const Bytes &key, const Bytes &data);
// The counter-mode KDF of SCP03 (NIST SP 800-108 with AES-CMAC): label of
// eleven 00 and the constant, separator 00, L in bits, counter, context.
Bytes scp03Derive(const Bytes &key, uint8_t constant, const Bytes &context, size_t bits);

Bytes randomBytes(size_t n);

// The parts one after the other.
Bytes concat(std::initializer_list<Bytes> parts);

} // namespace vcard::gp
