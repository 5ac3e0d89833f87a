#!/usr/bin/env python3
"""The gp module's host side against the Python reference (gp_reference.py,
itself checked against traces of real cards): a pelorn script opens a
channel with `use "gp"` and sends a fixed series of commands to the
virtual card, which logs every exchange. The reference then replays the
log: it must build, from the same challenges and plain commands, exactly
the commands the module sent (cryptograms, C-MACs, enciphered data), find
the session keys the module reports, and unwrap the card's answers (R-MAC,
R-ENC) to the data the module handed the script. Run through
tests/card/with-card-stack.sh:

    check_module.py --runner build/pelornrun --vcard build/pelorn-vcard
"""
import argparse
import os
import subprocess
import sys
import tempfile
import unittest

import card_stack
import gp_reference as gp

HERE = os.path.dirname(os.path.abspath(__file__))
PROFILE = os.path.join(HERE, "scripts", "gp.card")
KEYS = {
    0x21: [bytes([b]) * 16 for b in (0x11, 0x22, 0x33)],
    0x32: [bytes(range(n, n + 32)) for n in (0x00, 0x20, 0x40)],
}
CASES = [(0x20, 0x00), (0x20, 0x01), (0x20, 0x03), (0x21, 0x01), (0x21, 0x03), (0x30, 0x01), (0x30, 0x03),
         (0x31, 0x03), (0x32, 0x00), (0x32, 0x01), (0x32, 0x03), (0x32, 0x11), (0x32, 0x13), (0x32, 0x33)]

# The plain commands the script sends with GpSend, in order.
SENT = [bytes.fromhex(h) for h in ("80F28002024F0000", "80CA006600", "80F24002024F0000", "80E40000074F05A00000009900")]

SCRIPT = """use "gp"
PowerON()
fci = GpSelect(GP_ISD)
sc = GpOpen(%(keys)s, %(level)d, %(version)d)
Println(sc.hostChallenge.hex, " ", sc.sessionEnc.hex, " ", sc.sessionMac.hex, " ", sc.sessionRmac.hex, " ", sc.sessionDek.hex)
commands = [%(commands)s]
for n = 0 to commands.length - 1
  sw = GpSend(sc, commands[n], data)
  Println(sw, " ", data.hex)
end
entries = GpGetStatus(sc, GP_STATUS_APPLICATIONS)
for n = 0 to entries.length - 1
  Println(entries[n].aid.hex)
end
"""

options = None
card = None
folder = None


def keys_literal(version):
    keys = KEYS.get(version, [gp.DEFAULT_KEY] * 3)
    return "[" + "; ".join("<%s>" % k.hex() for k in keys) + "]"


class Replay:
    """The card's logged answers, handed back in order, each command
    checked against the one the reference builds."""

    def __init__(self, test, exchanges):
        self.test, self.exchanges = test, list(exchanges)

    def __call__(self, apdu):
        sent, answer = self.exchanges.pop(0)
        # T=1 carries a case-3 command with Le 00 added by the engine.
        self.test.assertIn(sent.hex().upper(), (apdu.hex().upper(), (apdu + b"\x00").hex().upper()))
        return answer[:-2], answer[-2] << 8 | answer[-1]


class ModuleAgainstReference(unittest.TestCase):
    def run_script(self, version, level):
        path = os.path.join(folder, "case.scr")
        with open(path, "w") as f:
            f.write(SCRIPT % {"keys": keys_literal(version), "level": level, "version": version,
                              "commands": "; ".join("<%s>" % c.hex() for c in SENT)})
        card.forget_exchanges()
        run = subprocess.run([options.runner, path], capture_output=True, text=True, timeout=60)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        return run.stdout.splitlines(), card.exchanges()

    def test_every_protocol_and_level(self):
        for version, level in CASES:
            with self.subTest(key_version="%02X" % version, level="%02X" % level):
                lines, exchanges = self.run_script(version, level)
                # SELECT, then the channel.
                self.assertEqual(exchanges[0][1][-2:], b"\x90\x00")
                replay = Replay(self, exchanges[1:])
                host_challenge, s_enc, s_mac, s_rmac, s_dek = (bytes.fromhex(h) for h in lines[0].split(" "))
                session = gp.Session(replay, KEYS.get(version, gp.DEFAULT_KEY), version, host_challenge)
                self.assertTrue(session.initialize())
                self.assertEqual(session.authenticate(level), 0x9000)
                self.assertEqual((s_enc, s_mac), (session.s_enc, session.s_mac))
                if session.scp == 3:
                    self.assertEqual(s_rmac, session.s_rmac)
                else:
                    self.assertEqual(s_dek, session.s_dek)
                for n, command in enumerate(SENT):
                    data, sw = session.send(command)
                    self.assertEqual(lines[1 + n], "%d %s" % (sw, data.hex().upper()))
                # GpGetStatus: page after page while the card says 63 10.
                p2, aids = 0x02, []
                while True:
                    data, sw = session.send(bytes([0x80, 0xF2, 0x40, p2, 2, 0x4F, 0, 0]))
                    aids += [gp.parse_tlv(e)[0][1].hex().upper() for _, e in gp.parse_tlv(data)]
                    if sw != 0x6310:
                        break
                    p2 = 0x03
                self.assertEqual(lines[1 + len(SENT):], aids)
                self.assertEqual(len(aids), 4)
                self.assertEqual(replay.exchanges, [])


def main():
    global options, card, folder
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", required=True)
    parser.add_argument("--vcard", required=True)
    options, rest = parser.parse_known_args()
    if not card_stack.in_private_stack():
        print("run me through tests/card/with-card-stack.sh")
        return 2
    with tempfile.TemporaryDirectory(prefix="pelorn-gp-module-") as folder:
        card = card_stack.VirtualCard(options.vcard, PROFILE, folder)
        try:
            result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
        finally:
            card.close()
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
