#!/usr/bin/env python3
"""The GlobalPlatform side of pelorn-vcard against an independent host
written in Python (gp_reference.py): raw commands go through pelornrun and
the real PC/SC stack to the virtual card, and everything the card computes
(cryptograms, MACs, enciphered data, R-MACs) is checked against values the
reference computes by itself. Run through tests/card/with-card-stack.sh:

    check_vcard.py --runner build/pelornrun --vcard build/pelorn-vcard
"""
import argparse
import os
import sys
import tempfile
import unittest

import card_stack
import gp_reference as gp

ISD = bytes.fromhex("A000000151000000")
KDD = bytes.fromhex("00010203040506070809")
KEYS_21 = [bytes.fromhex(h) for h in ("11" * 16, "22" * 16, "33" * 16)]
KEYS_32 = [bytes(range(n, n + 24)) for n in (0, 0x30, 0x60)]
KEYS_33 = [bytes(range(n, n + 32)) for n in (0, 0x40, 0x80)]
SSD_FILE, SSD = bytes.fromhex("A0000001515350"), bytes.fromhex("A000000151535041")
APP_FILE = bytes.fromhex("F050454C4F524E01")
WALLET, LOYALTY, DORMANT = (bytes.fromhex("F050454C4F524E01" + n) for n in ("01", "02", "03"))
DORMANT_FILE = bytes.fromhex("F050454C4F524E02")

# What the profile holds: (kind, AID, state, privileges, load file, domain, version, modules).
CONTENT = [
    ("isd", ISD, 0x0F, "9EFE80", None, None, None, []),
    ("loadfile", SSD_FILE, 0x01, None, None, None, "0100", [SSD]),
    ("domain", SSD, 0x0F, "800000", SSD_FILE, None, None, []),
    ("loadfile", APP_FILE, 0x01, None, None, None, "0102", [WALLET, LOYALTY]),
    ("application", WALLET, 0x07, "000000", APP_FILE, None, None, []),
    ("application", LOYALTY, 0x0F, "004000", APP_FILE, SSD, None, []),
    ("loadfile", DORMANT_FILE, 0x01, None, None, None, None, []),
    ("application", DORMANT, 0x03, "000000", DORMANT_FILE, None, None, []),
]


def profile_text(atr_protocol="T=1"):
    lines = ["atr 3B 80 01 81", "protocol " + atr_protocol, "kdd " + KDD.hex(), "statuslimit 64",
             "keyset 20 scp02 i 15 counter 00 2A",
             "keyset 21 scp02 i 55 enc %s mac %s dek %s" % tuple(k.hex() for k in KEYS_21),
             "keyset 30 scp03 i 00",
             "keyset 31 scp03 i 10 counter 00 01 00",
             "keyset 32 scp03 i 30 enc %s mac %s dek %s" % tuple(k.hex() for k in KEYS_32),
             "keyset 33 scp03 i 70 enc %s mac %s dek %s" % tuple(k.hex() for k in KEYS_33)]
    for kind, aid, state, privileges, load_file, domain, version, modules in CONTENT:
        line = "%s %s state %02X" % (kind, aid.hex(), state)
        if privileges:
            line += " privileges " + privileges
        if load_file:
            line += " loadfile " + load_file.hex()
        if domain:
            line += " domain " + domain.hex()
        if version:
            line += " version " + version
        line += "".join(" module " + m.hex() for m in modules)
        lines.append(line)
    return "\n".join(lines) + "\n"


def keys_of(version):
    return {0x21: KEYS_21, 0x32: KEYS_32, 0x33: KEYS_33}.get(version, gp.DEFAULT_KEY)


# Key versions and the levels each accepts; the others are refused with 6A86.
LEVELS = {
    0x20: [0x00, 0x01, 0x03],
    0x21: [0x00, 0x01, 0x03],
    0x30: [0x00, 0x01, 0x03],
    0x31: [0x00, 0x01, 0x03],
    0x32: [0x00, 0x01, 0x03, 0x11, 0x13],
    0x33: [0x00, 0x01, 0x03, 0x11, 0x13, 0x33],
}
ALL_LEVELS = [0x00, 0x01, 0x03, 0x11, 0x13, 0x33]

options = None
card = None
folder = None


def expected_listing(p1, content=CONTENT):
    """The E3 templates GET STATUS should give, as sets of (tag, value) lists."""
    kinds = {0x80: ("isd",), 0x40: ("application", "domain"), 0x20: ("loadfile",), 0x10: ("loadfile",)}[p1]
    out = []
    for kind, aid, state, privileges, load_file, domain, version, modules in content:
        if kind not in kinds:
            continue
        fields = [(0x4F, aid), (0x9F70, bytes([state]))]
        if privileges:
            fields.append((0xC5, bytes.fromhex(privileges)))
        if load_file:
            fields.append((0xC4, load_file))
        if version:
            fields.append((0xCE, bytes.fromhex(version)))
        if p1 == 0x10:
            fields += [(0x84, m) for m in modules]
        if kind != "isd":
            fields.append((0xCC, domain or ISD))
        out.append(fields)
    return out


class Channel(unittest.TestCase):
    """Sessions opened with the Python host, every key set at every level."""

    def setUp(self):
        self.relay = card_stack.Relay(options.runner)
        self.select(ISD)

    def tearDown(self):
        self.relay.close()

    def select(self, aid):
        data, sw = self.relay.transmit(bytes([0, 0xA4, 4, 0, len(aid)]) + aid + b"\x00")
        self.assertEqual(sw, 0x9000)
        return data

    def open(self, version, level, keys=None):
        session = gp.Session(self.relay.transmit, keys or keys_of(version), version)
        self.assertTrue(session.initialize(), "card cryptogram of key set %02X" % version)
        self.assertEqual(session.authenticate(level), 0x9000)
        return session

    def status(self, session, p1, tagged=True):
        """Every page of a GET STATUS, 63 10 followed by 'next occurrence'."""
        p2, out = 0x02 if tagged else 0x00, b""
        while True:
            data, sw = session.send(bytes([0x80, 0xF2, p1, p2, 2, 0x4F, 0]))
            out += data
            if sw != 0x6310:
                self.assertEqual(sw, 0x9000)
                return out
            p2 |= 0x01

    def test_every_key_set_at_every_level(self):
        for version, levels in LEVELS.items():
            for level in ALL_LEVELS:
                with self.subTest(key_version="%02X" % version, level="%02X" % level):
                    session = gp.Session(self.relay.transmit, keys_of(version), version)
                    self.assertTrue(session.initialize())
                    self.assertEqual(session.kdd, KDD)
                    self.assertEqual(session.key_info[0], version)
                    sw = session.authenticate(level)
                    if level not in levels:
                        self.assertEqual(sw, 0x6A86)
                        continue
                    self.assertEqual(sw, 0x9000)
                    for p1 in (0x80, 0x40, 0x20, 0x10):
                        listing = [gp.parse_tlv(e) for _, e in gp.parse_tlv(self.status(session, p1))]
                        self.assertEqual(listing, expected_listing(p1), "P1 %02X" % p1)
                    # An unknown instruction is refused bare; the chain goes on.
                    self.assertEqual(session.send(bytes([0x80, 0xCA, 0x00, 0x66, 0x00])), (b"", 0x6D00))
                    isd = [gp.parse_tlv(e) for _, e in gp.parse_tlv(self.status(session, 0x80))]
                    self.assertEqual(isd, expected_listing(0x80))

    def test_key_info_and_counters(self):
        first = gp.Session(self.relay.transmit, gp.DEFAULT_KEY, 0)
        self.assertTrue(first.initialize())
        self.assertEqual(first.key_info[:2], bytes([0x20, 0x02]))
        self.assertEqual(first.authenticate(0x01), 0x9000)
        # SCP02 counts opened sessions; i = 55 derives the card challenge.
        second = gp.Session(self.relay.transmit, gp.DEFAULT_KEY, 0x20)
        self.assertTrue(second.initialize())
        self.assertEqual(int.from_bytes(second.counter, "big"), int.from_bytes(first.counter, "big") + 1)
        pseudo = gp.Session(self.relay.transmit, KEYS_21, 0x21)
        self.assertTrue(pseudo.initialize())
        self.assertEqual(pseudo.card_challenge, gp.retail_mac(pseudo.s_mac, ISD)[:6])
        # SCP03 with i = 10 counts INITIALIZE UPDATEs and derives the challenge.
        a = gp.Session(self.relay.transmit, gp.DEFAULT_KEY, 0x31)
        self.assertTrue(a.initialize())
        b = gp.Session(self.relay.transmit, gp.DEFAULT_KEY, 0x31)
        self.assertTrue(b.initialize())
        self.assertEqual(a.key_info, bytes([0x31, 0x03, 0x10]))
        self.assertEqual(int.from_bytes(b.counter, "big"), int.from_bytes(a.counter, "big") + 1)
        self.assertEqual(b.card_challenge, gp.kdf(gp.DEFAULT_KEY, 0x02, b.counter + ISD, 64))
        random_a = gp.Session(self.relay.transmit, gp.DEFAULT_KEY, 0x30)
        self.assertTrue(random_a.initialize())
        self.assertEqual(random_a.counter, b"")

    def test_refusals(self):
        t = self.relay.transmit
        wrong = [b"\x01" * 16] * 3
        for version in (0x20, 0x30):
            with self.subTest(key_version="%02X" % version):
                # Wrong keys: the card's cryptogram does not check, nor does ours.
                session = gp.Session(t, wrong, version)
                self.assertFalse(session.initialize())
                self.assertEqual(session.authenticate(0x01), 0x6300)
                self.assertEqual(session.authenticate(0x01), 0x6985)  # no INITIALIZE UPDATE pending
                # A spoilt MAC on EXTERNAL AUTHENTICATE.
                session = gp.Session(t, gp.DEFAULT_KEY, version)
                self.assertTrue(session.initialize())
                self.assertEqual(session.authenticate(0x01, spoil_mac=True), 0x6982)
                # A spoilt command MAC ends the session.
                session = self.open(version, 0x03)
                self.assertEqual(session.send(bytes([0x80, 0xF2, 0x80, 0x02, 2, 0x4F, 0]), spoil_mac=True)[1], 0x6982)
                self.assertEqual(session.send(bytes([0x80, 0xF2, 0x80, 0x02, 2, 0x4F, 0]))[1], 0x6982)
                # A plain command where C-MAC is due.
                self.open(version, 0x01)
                self.assertEqual(t(bytes([0x80, 0xF2, 0x80, 0x02, 2, 0x4F, 0, 0]))[1], 0x6982)
        self.assertEqual(t(bytes([0x80, 0xF2, 0x80, 0x02, 2, 0x4F, 0, 0]))[1], 0x6982)  # no session
        self.assertEqual(t(bytes([0x80, 0x50, 0x7F, 0x00, 8]) + bytes(8) + b"\x00")[1], 0x6A88)  # no such key set
        self.assertEqual(t(bytes([0x80, 0x50, 0x00, 0x00, 4]) + bytes(4) + b"\x00")[1], 0x6700)
        session = self.open(0x30, 0x01)
        self.assertEqual(session.send(bytes([0x80, 0xF2, 0x08, 0x02, 2, 0x4F, 0]))[1], 0x6A86)
        self.assertEqual(session.send(bytes([0x80, 0xF2, 0x80, 0x03, 2, 0x4F, 0]))[1], 0x6A86)  # next of nothing
        self.assertEqual(session.send(bytes([0x80, 0xF2, 0x80, 0x02, 3, 0x4F, 1, 0xA1]))[1], 0x6A88)

    def test_selection(self):
        fci = self.select(ISD[:5])  # a partial AID names the ISD
        self.assertEqual(gp.parse_tlv(fci), [(0x6F, bytes.fromhex("8408") + ISD + bytes.fromhex("A5049F6501FF"))])
        self.assertEqual(gp.parse_tlv(self.select(WALLET))[0][1][2:11], WALLET)
        # The ISD is not selected any more: its commands are not taken.
        self.assertEqual(self.relay.transmit(bytes([0x80, 0x50, 0, 0, 8]) + bytes(8) + b"\x00")[1], 0x6E00)
        self.assertEqual(self.relay.transmit(bytes([0, 0xA4, 4, 0, len(DORMANT)]) + DORMANT)[1], 0x6A82)
        self.select(ISD)
        self.assertTrue(gp.Session(self.relay.transmit, gp.DEFAULT_KEY).initialize())

    def test_legacy_status_format(self):
        session = self.open(0x20, 0x01)
        self.assertEqual(self.status(session, 0x80, tagged=False), bytes([8]) + ISD + bytes([0x0F, 0x9E]))
        modules = self.status(session, 0x10, tagged=False)
        self.assertEqual(modules[:len(SSD_FILE) + 4], bytes([7]) + SSD_FILE + bytes([0x01, 0x00, 1]))

    def test_delete(self):
        card.load(os.path.join(folder, "gp.card"))  # fresh content
        self.relay.close()
        self.relay = card_stack.Relay(options.runner)
        try:
            session = self.open(0x33, 0x33)
            delete = lambda aid, p2=0: session.send(bytes([0x80, 0xE4, 0, p2, len(aid) + 2, 0x4F, len(aid)]) + aid)
            self.assertEqual(delete(ISD), (b"", 0x6985))
            self.assertEqual(delete(APP_FILE), (b"", 0x6985))     # applications still use it
            self.assertEqual(delete(SSD), (b"", 0x6985))          # an application belongs to it
            self.assertEqual(delete(b"\xA0\x00\x00\x00\x99"), (b"", 0x6A88))
            self.assertEqual(delete(DORMANT), (b"\x00", 0x9000))
            self.assertEqual(delete(APP_FILE, 0x80), (b"\x00", 0x9000))  # with its applications
            left = [c for c in CONTENT if c[1] not in (DORMANT, APP_FILE, WALLET, LOYALTY)]
            for p1 in (0x40, 0x20):
                listing = [gp.parse_tlv(e) for _, e in gp.parse_tlv(self.status(session, p1))]
                self.assertEqual(listing, expected_listing(p1, left))
        finally:
            card.load(os.path.join(folder, "gp.card"))


class ProtocolT0(Channel):
    """The same on T=0: answers come behind 61xx, the last status after the
    last GET RESPONSE."""

    @classmethod
    def setUpClass(cls):
        card.load(os.path.join(folder, "gp-t0.card"))

    @classmethod
    def tearDownClass(cls):
        card.load(os.path.join(folder, "gp.card"))

    test_refusals = test_selection = test_legacy_status_format = test_delete = None


def main():
    global options, card, folder
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", required=True)
    parser.add_argument("--vcard", required=True)
    options, rest = parser.parse_known_args()
    if not card_stack.in_private_stack():
        print("run me through tests/card/with-card-stack.sh")
        return 2
    with tempfile.TemporaryDirectory(prefix="pelorn-gp-") as folder:
        for name, protocol in (("gp.card", "T=1"), ("gp-t0.card", "T=0")):
            with open(os.path.join(folder, name), "w") as f:
                f.write(profile_text(protocol))
        card = card_stack.VirtualCard(options.vcard, os.path.join(folder, "gp.card"), folder)
        try:
            result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
        finally:
            card.close()
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
