#!/usr/bin/env python3
"""Random cases computed by the card cryptography library (through its
driver) and by Python's cryptography package, compared one by one.

    cross_check.py [--cases N] [--seed S] DRIVER [WRAPPED DRIVER ARGUMENTS]

(the driver may come behind a wrapper such as valgrind). Works with the
cryptography package of Debian 12 (38) and later ones.

The retail MAC and the CBC-MAC are computed here block by block from the
textbook definitions, the SCP03 KDF with cryptography's own SP 800-108
implementation (counter in the middle of the fixed data). Lengths that are
wrong on purpose must be refused by the library. The seed is printed so a
failure can be replayed."""

import argparse
import random
import subprocess
import sys

try:
    from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes
    from cryptography.hazmat.primitives.cmac import CMAC
    from cryptography.hazmat.primitives.kdf.kbkdf import KBKDFCMAC, CounterLocation, Mode
except ImportError:
    sys.exit("the cross-check needs Python's cryptography package (Debian: python3-cryptography, "
             "tools/install-deps.sh installs it)")

try:  # Triple DES moved to the "decrepit" module in cryptography 43
    from cryptography.hazmat.decrepit.ciphers.algorithms import TripleDES
except ImportError:
    TripleDES = algorithms.TripleDES

BLOCK = {"des": 8, "tdes": 8, "aes": 16}
KEYS = {"des": [8], "tdes": [16, 24], "aes": [16, 24, 32]}


def algorithm(cipher, key):
    if cipher == "aes":
        return algorithms.AES(key)
    if cipher == "des":
        key = key * 3
    elif len(key) == 16:
        key = key + key[:8]  # K1 K2 K1: the package warns about two-key keys
    return TripleDES(key)


def crypt(cipher, mode, key, iv, data, encrypt):
    chosen = modes.CBC(iv or bytes(BLOCK[cipher])) if mode == "cbc" else modes.ECB()
    engine = Cipher(algorithm(cipher, key), chosen)
    worker = engine.encryptor() if encrypt else engine.decryptor()
    return worker.update(data) + worker.finalize()


def des_block(key, block, encrypt):
    return crypt("des", "ecb", key, None, block, encrypt)


def xor(a, b):
    return bytes(x ^ y for x, y in zip(a, b))


def retail_mac(key, iv, data):
    k1, k2 = key[:8], key[8:16]
    k3 = key[16:24] if len(key) == 24 else k1
    chain = iv or bytes(8)
    for at in range(0, len(data), 8):
        chain = des_block(k1, xor(chain, data[at:at + 8]), True)
    return des_block(k3, des_block(k2, chain, False), True)


def cbc_mac(key, iv, data):
    chain = iv or bytes(8)
    for at in range(0, len(data), 8):
        chain = crypt("tdes", "ecb", key, None, xor(chain, data[at:at + 8]), True)
    return chain


def cmac(cipher, key, data):
    mac = CMAC(algorithm(cipher, key))
    mac.update(data)
    return mac.finalize()


def kdf(key, label, context, bits):
    fixed = label + b"\x00" + bits.to_bytes(2, "big")
    return KBKDFCMAC(algorithms.AES, Mode.CounterMode, bits // 8, 1, None, CounterLocation.MiddleFixed,
                     None, None, fixed + context, break_location=len(fixed)).derive(key)


def pad80(block, data):
    padded = data + b"\x80"
    return padded + bytes(-len(padded) % block)


def pad00(block, data):
    return data + bytes(-len(data) % block if data else block)


def unpad80(block, data):
    stripped = data.rstrip(b"\x00")
    if not stripped or stripped[-1] != 0x80:
        return None
    if block and (len(data) % block or len(data) - len(stripped) + 1 > block):
        return None
    return len(stripped) - 1


def show(value):
    """A driver argument: "-" for none or empty."""
    return "-" if not value else value.hex()


class Cases:
    """Writes operation lines and the answer Python expects for each."""

    def __init__(self, rng):
        self.rng = rng
        self.lines = []
        self.expected = []

    def bytes(self, n):
        return self.rng.randbytes(n)

    def add(self, line, answer):
        self.lines.append(line)
        self.expected.append(answer)

    def data(self, block, wrong):
        n = self.rng.randrange(1, 40) * block
        if wrong:
            n += self.rng.randrange(1, block)
        return self.bytes(n)

    def cipher(self):
        cipher = self.rng.choice(list(BLOCK))
        mode = self.rng.choice(["ecb", "cbc"])
        key = self.bytes(self.rng.choice(KEYS[cipher]))
        iv = self.bytes(BLOCK[cipher]) if mode == "cbc" and self.rng.random() < 0.8 else None
        wrong = self.rng.random() < 0.1
        data = self.data(BLOCK[cipher], wrong)
        encrypt = self.rng.random() < 0.5
        answer = "error" if wrong else crypt(cipher, mode, key, iv, data, encrypt).hex()
        self.add(f"{'encrypt' if encrypt else 'decrypt'} {cipher} {mode} {key.hex()} {show(iv)} {data.hex()}",
                 answer)

    def mac(self):
        name = self.rng.choice(["retail", "cbcmac"])
        key = self.bytes(self.rng.choice([16, 24]))
        iv = self.bytes(8) if self.rng.random() < 0.5 else None
        wrong = self.rng.random() < 0.1
        data = self.data(8, wrong)
        reference = retail_mac if name == "retail" else cbc_mac
        self.add(f"{name} {key.hex()} {show(iv)} {data.hex()}", "error" if wrong else reference(key, iv, data).hex())

    def cmac(self):
        cipher = self.rng.choice(["tdes", "aes"])
        key = self.bytes(self.rng.choice(KEYS[cipher]))
        data = self.bytes(self.rng.randrange(0, 300))
        self.add(f"cmac {cipher} {key.hex()} {show(data)}", cmac(cipher, key, data).hex())

    def kdf(self):
        key = self.bytes(self.rng.choice(KEYS["aes"]))
        label = bytes(11) + self.bytes(1) if self.rng.random() < 0.7 else self.bytes(self.rng.randrange(1, 30))
        context = self.bytes(self.rng.randrange(1, 40))
        bits = self.rng.choice([64, 128, 192, 256, 8 * self.rng.randrange(1, 100)])
        self.add(f"kdf {key.hex()} {label.hex()} {context.hex()} {bits}", kdf(key, label, context, bits).hex())

    def padding(self):
        block = self.rng.choice([8, 16, self.rng.randrange(1, 33)])
        data = self.bytes(self.rng.randrange(0, 70))
        self.add(f"pad80 {block} {show(data)}", pad80(block, data).hex())
        self.add(f"pad00 {block} {show(data)}", pad00(block, data).hex())
        # Unpadding sees real padding, its damaged forms and random tails.
        padded = bytearray(pad80(block, data))
        choice = self.rng.randrange(4)
        if choice == 1:
            padded[-1] = self.rng.randrange(1, 256)
        elif choice == 2:
            padded += bytes(self.rng.randrange(1, 2 * block + 1))
        elif choice == 3:
            padded = bytearray(self.bytes(len(padded)))
        check = self.rng.choice([0, block])
        answer = unpad80(check, bytes(padded))
        self.add(f"unpad80 {check} {show(bytes(padded))}", "error" if answer is None else str(answer))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("driver", nargs=argparse.REMAINDER)
    parser.add_argument("--cases", type=int, default=300, help="cases per kind of operation")
    parser.add_argument("--seed", type=int, default=None)
    arguments = parser.parse_args()
    seed = arguments.seed if arguments.seed is not None else random.SystemRandom().randrange(1 << 32)
    print(f"seed {seed}")
    cases = Cases(random.Random(seed))
    for _ in range(arguments.cases):
        for make in (cases.cipher, cases.mac, cases.cmac, cases.kdf, cases.padding):
            make()
    result = subprocess.run(arguments.driver, input="\n".join(cases.lines) + "\n", capture_output=True,
                            text=True, check=True)
    answers = result.stdout.splitlines()
    failures = 0
    for line, expected, answer in zip(cases.lines, cases.expected, answers):
        if answer != expected:
            failures += 1
            if failures <= 10:
                print(f"MISMATCH {line}\n  library: {answer}\n  python:  {expected}")
    if len(answers) != len(cases.lines):
        print(f"driver gave {len(answers)} answers for {len(cases.lines)} cases")
        failures += 1
    print(f"{len(cases.lines)} cases, {failures} mismatches")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
