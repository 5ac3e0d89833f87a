"""The host side of SCP02 and SCP03 written again in Python on the
`cryptography` package, apart from the C code of the card and of the gp
module, so that the tests can check either against it.

Only what the tests need: session keys, cryptograms, command wrapping,
response unwrapping, and the EMV CPS 1.1 and VISA2 key diversifications.
"""
import os

from cryptography.hazmat.primitives import cmac
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

try:  # cryptography 43 and later keep Triple DES apart
    from cryptography.hazmat.decrepit.ciphers.algorithms import TripleDES
except ImportError:  # Debian 12's python3-cryptography
    from cryptography.hazmat.primitives.ciphers.algorithms import TripleDES

DEFAULT_KEY = bytes(range(0x40, 0x50))
C_MAC, C_DEC, R_MAC, R_ENC = 0x01, 0x02, 0x10, 0x20


def pad80(data, block):
    data = data + b"\x80"
    return data + b"\x00" * (-len(data) % block)


def unpad80(data):
    stripped = data.rstrip(b"\x00")
    assert stripped.endswith(b"\x80"), "no 80 padding in %s" % data.hex()
    return stripped[:-1]


def xor(a, b):
    return bytes(x ^ y for x, y in zip(a, b))


def _tdes_key(key):
    return key + key[:8] if len(key) == 16 else key


def tdes_cbc(key, data, iv=bytes(8), encrypt=True):
    c = Cipher(TripleDES(_tdes_key(key)), modes.CBC(iv))
    op = c.encryptor() if encrypt else c.decryptor()
    return op.update(data) + op.finalize()


def des_ecb(key8, block, encrypt=True):
    c = Cipher(TripleDES(key8 * 3), modes.ECB())
    op = c.encryptor() if encrypt else c.decryptor()
    return op.update(block) + op.finalize()


def aes_cbc(key, data, iv=bytes(16), encrypt=True):
    c = Cipher(algorithms.AES(key), modes.CBC(iv))
    op = c.encryptor() if encrypt else c.decryptor()
    return op.update(data) + op.finalize()


def aes_cmac(key, data):
    c = cmac.CMAC(algorithms.AES(key))
    c.update(data)
    return c.finalize()


def retail_mac(key, data, icv=bytes(8)):
    """ISO/IEC 9797-1 MAC algorithm 3, padding method 2."""
    h = icv
    padded = pad80(data, 8)
    for i in range(0, len(padded), 8):
        h = des_ecb(key[:8], xor(h, padded[i:i + 8]))
    return des_ecb(key[:8], des_ecb(key[8:16], h, encrypt=False))


def tdes_mac(key, data):
    return tdes_cbc(key, pad80(data, 8))[-8:]


def kdf(key, constant, context, bits):
    out = b""
    counter = 1
    while len(out) * 8 < bits:
        out += aes_cmac(key, bytes(11) + bytes([constant, 0]) + bits.to_bytes(2, "big") + bytes([counter]) + context)
        counter += 1
    return out[:bits // 8]


def diversify_emv(kmc, kdd):
    """EMV CPS 1.1: the last six bytes of the diversification data."""
    part = kdd[4:10]
    return [_ecb2(kmc, part + bytes([0xF0, n]), part + bytes([0x0F, n])) for n in (1, 2, 3)]


def diversify_visa2(kmc, kdd):
    """VISA2: bytes 0-1 and 4-7 of the diversification data."""
    part = kdd[0:2] + kdd[4:8]
    return [_ecb2(kmc, part + bytes([0xF0, n]), part + bytes([0x0F, n])) for n in (1, 2, 3)]


def _ecb2(key, left, right):
    c = Cipher(TripleDES(_tdes_key(key)), modes.ECB()).encryptor()
    return c.update(left + right) + c.finalize()


def parse_tlv(data):
    """[(tag, value)] of a sequence of BER-TLV objects (tags up to 2 bytes)."""
    out, i = [], 0
    while i < len(data):
        tag = data[i]
        i += 1
        if tag & 0x1F == 0x1F:
            tag = tag << 8 | data[i]
            i += 1
        length = data[i]
        i += 1
        if length == 0x81:
            length = data[i]
            i += 1
        out.append((tag, data[i:i + length]))
        i += length
    return out


class Session:
    """One secure channel, host side. `transmit(apdu bytes) -> (data, sw)`."""

    def __init__(self, transmit, keys, key_version=0, host_challenge=None):
        self.transmit = transmit
        self.enc, self.mac, self.dek = keys if isinstance(keys, (list, tuple)) else (keys, keys, keys)
        self.key_version = key_version
        self.host_challenge = host_challenge or os.urandom(8)

    def initialize(self):
        data, sw = self.transmit(bytes([0x80, 0x50, self.key_version, 0, 8]) + self.host_challenge + b"\x00")
        assert sw == 0x9000, "INITIALIZE UPDATE: %04X" % sw
        self.kdd, self.key_info = data[:10], data[10:13]
        self.scp = data[11]
        if self.scp == 2:
            assert len(data) == 28, data.hex()
            self.counter, self.card_challenge, card_cryptogram = data[12:14], data[14:20], data[20:28]
            self.s_enc = tdes_cbc(self.enc, b"\x01\x82" + self.counter + bytes(12))
            self.s_mac = tdes_cbc(self.mac, b"\x01\x01" + self.counter + bytes(12))
            self.s_dek = tdes_cbc(self.dek, b"\x01\x81" + self.counter + bytes(12))
            expected = tdes_mac(self.s_enc, self.host_challenge + self.counter + self.card_challenge)
            self.host_cryptogram = tdes_mac(self.s_enc, self.counter + self.card_challenge + self.host_challenge)
            self.i = None
        else:
            assert self.scp == 3 and len(data) in (29, 32), data.hex()
            self.i = data[12]
            self.card_challenge, card_cryptogram = data[13:21], data[21:29]
            self.counter = data[29:32]
            context = self.host_challenge + self.card_challenge
            bits = len(self.enc) * 8
            self.s_enc = kdf(self.enc, 0x04, context, bits)
            self.s_mac = kdf(self.mac, 0x06, context, bits)
            self.s_rmac = kdf(self.mac, 0x07, context, bits)
            expected = kdf(self.s_mac, 0x00, context, 64)
            self.host_cryptogram = kdf(self.s_mac, 0x01, context, 64)
        self.card_cryptogram = card_cryptogram
        return expected == card_cryptogram

    def authenticate(self, level, host_cryptogram=None, spoil_mac=False):
        """EXTERNAL AUTHENTICATE; returns the status word."""
        self.level = 0
        self.chain = bytes(16) if self.scp == 3 else bytes(8)
        self.enc_counter = 0
        cryptogram = host_cryptogram or self.host_cryptogram
        header = bytes([0x84, 0x82, level, 0x00, 0x10])
        if self.scp == 2:
            mac = retail_mac(self.s_mac, header + cryptogram)
            self.chain = mac
        else:
            full = aes_cmac(self.s_mac, self.chain + header + cryptogram)
            mac = full[:8]
            self.chain = full
        if spoil_mac:
            mac = bytes([mac[0] ^ 1]) + mac[1:]
        _, sw = self.transmit(header + cryptogram + mac)
        if sw == 0x9000:
            self.level = level
        return sw

    def wrap(self, apdu, spoil_mac=False):
        cla, ins, p1, p2 = apdu[:4]
        data = apdu[5:5 + apdu[4]] if len(apdu) > 5 else b""
        # Le stays when the command had one (cases 2 and 4).
        le = b"\x00" if len(apdu) == 5 or len(apdu) > 5 + len(data) else b""
        if self.scp == 3:
            self.enc_counter += 1
        if not self.level & C_MAC:
            return apdu
        if self.scp == 2:
            header = bytes([cla | 0x04, ins, p1, p2, len(data) + 8])
            # i = 15 and 55 both encipher the ICV (single DES, first key half).
            icv = des_ecb(self.s_mac[:8], self.chain)
            mac = retail_mac(self.s_mac, header + data, icv)
            self.chain = mac
            body = tdes_cbc(self.s_enc, pad80(data, 8)) if self.level & C_DEC and data else data
        else:
            body = data
            if self.level & C_DEC and data:
                icv = aes_cbc(self.s_enc, self.enc_counter.to_bytes(16, "big"))
                body = aes_cbc(self.s_enc, pad80(data, 16), icv)
            header = bytes([(cla & 0xF0) | 0x04, ins, p1, p2, len(body) + 8])
            full = aes_cmac(self.s_mac, self.chain + header + body)
            self.chain = full
            mac = full[:8]
        if spoil_mac:
            mac = bytes([mac[0] ^ 1]) + mac[1:]
        return bytes([cla | 0x04, ins, p1, p2, len(body) + 8]) + body + mac + le

    def unwrap(self, data, sw):
        if self.scp == 2 or not self.level & R_MAC:
            return data
        if not (sw == 0x9000 or sw >> 8 in (0x62, 0x63)):
            assert data == b"", "an error status came with data"
            return data
        body, mac = data[:-8], data[-8:]
        expected = aes_cmac(self.s_rmac, self.chain + body + sw.to_bytes(2, "big"))[:8]
        assert mac == expected, "R-MAC %s, expected %s" % (mac.hex(), expected.hex())
        if self.level & R_ENC and body:
            icv = aes_cbc(self.s_enc, b"\x80" + self.enc_counter.to_bytes(15, "big"))
            body = unpad80(aes_cbc(self.s_enc, body, icv, encrypt=False))
        return body

    def send(self, apdu, spoil_mac=False):
        data, sw = self.transmit(self.wrap(apdu, spoil_mac))
        return self.unwrap(data, sw), sw
