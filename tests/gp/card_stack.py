"""A virtual card in reader 0 of the private PC/SC stack, and a pelorn
script that relays raw commands to it (for tests run through
tests/card/with-card-stack.sh)."""
import os
import pty
import socket
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
WAIT_SECONDS = "10"


class VirtualCard:
    """pelorn-vcard with a profile in reader 0, logging every exchange."""

    def __init__(self, vcard, profile, folder):
        self.vcard = vcard
        self.log = os.path.join(folder, "exchanges.log")
        self.control_path = os.path.join(folder, "control")
        self.process = subprocess.Popen([vcard, "--reader", "0", "--control", self.control_path,
                                         "--log", self.log, profile])
        subprocess.run([vcard, "wait", "0", "present", WAIT_SECONDS], check=True)

    def control(self, command):
        with socket.socket(socket.AF_UNIX) as s:
            s.connect(self.control_path)
            s.sendall((command + "\n").encode())
            return s.makefile().readline().strip()

    def load(self, profile):
        """Another profile: the card leaves the reader and comes back."""
        assert self.control("load " + profile) == "ok"
        subprocess.run([self.vcard, "wait", "0", "empty", WAIT_SECONDS], check=True)
        subprocess.run([self.vcard, "wait", "0", "present", WAIT_SECONDS], check=True)

    def exchanges(self):
        """[(command, response)] from the log, as bytes."""
        pairs, command = [], None
        with open(self.log) as f:
            for line in f:
                if line.startswith("> "):
                    command = bytes.fromhex(line[2:])
                elif line.startswith("< "):
                    pairs.append((command, bytes.fromhex(line[2:])))
        return pairs

    def forget_exchanges(self):
        open(self.log, "w").close()

    def close(self):
        self.process.terminate()
        self.process.wait()


class Relay:
    """Raw commands through pelornrun and SendAPDU: the real PC/SC path.
    The runner writes to a terminal, so that each answer comes at once
    (a pipe would hold it back in a buffer)."""

    def __init__(self, runner):
        master, slave = pty.openpty()
        self.process = subprocess.Popen([runner, os.path.join(HERE, "relay.scr")], stdin=subprocess.PIPE,
                                        stdout=slave, text=True)
        os.close(slave)
        self.output = os.fdopen(master, "r", encoding="utf-8", errors="replace")

    def exchange(self, apdu):
        self.process.stdin.write(apdu.hex() + "\n")
        self.process.stdin.flush()
        try:
            line = self.output.readline()
        except OSError:  # the terminal's other side has gone
            line = ""
        if not line:
            raise RuntimeError("the relay ended")
        line = line.rstrip("\r\n")
        if " " not in line:
            raise RuntimeError("the relay said: " + line)
        data, sw = line.rsplit(" ", 1)
        return bytes.fromhex(data), int(sw)

    def transmit(self, apdu):
        """One command with its whole answer: GET RESPONSE after 61xx."""
        data, sw = self.exchange(apdu)
        while sw >> 8 == 0x61:
            more, sw = self.exchange(bytes([0x00, 0xC0, 0x00, 0x00, sw & 0xFF]))
            data += more
        return data, sw

    def close(self):
        self.process.stdin.write("\n")
        self.process.stdin.close()
        self.process.wait(timeout=60)
        self.output.close()


def in_private_stack():
    return os.environ.get("PELORN_CARD_STACK") == "private"

