#!/usr/bin/env python3
"""Runs the card script tests against virtual cards (run it through
with-card-stack.sh, which gives it a PC/SC daemon of its own).

A test is a script with the expectations of tests/scripts (`// expect:`,
`// expect error:`, `// expect exit:`, `// args:`, `// stdin:`) and card
directives:

    // card 0: echo.card         a card with this profile (path from the
                                 script's folder) in reader 0
    // card 1: mute              a mute card; `empty`, the default, for none
    // act: 0.5 card 0 remove    0.5 s after the start, a control command for
                                 a card (insert, remove, mute, load PROFILE)
    // daemon: stopped           no PC/SC daemon during the run

Act delays are multiplied by PELORN_TEST_SLOWDOWN (default 1), for runners
that start slowly (under valgrind).

Every script of examples/ runs too, with examples/demo.card in reader 0,
and must succeed.
"""
import argparse
import os
import re
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "scripts"))
from run_scripts import expectations  # noqa: E402

DIRECTIVE = re.compile(r"//\s*(card\s+\d|act|daemon):\s*(.*)$")
DAEMON_WAIT = "10"
SLOWDOWN = float(os.environ.get("PELORN_TEST_SLOWDOWN", "1"))


class VirtualReader:
    """One pelorn-vcard process for reader `index`, for the whole run."""

    def __init__(self, vcard, index, folder):
        self.vcard = vcard
        self.index = index
        self.control_path = os.path.join(folder, "control%d" % index)
        initial = os.path.join(folder, "initial.card")
        with open(initial, "w") as f:
            f.write("atr 3B 00\n")
        self.process = subprocess.Popen([vcard, "--reader", str(index), "--control", self.control_path,
                                         "--removed", initial])
        self.shown = None               # what the daemon shows: "empty", "mute", a profile path
        for _ in range(1000):
            if os.path.exists(self.control_path):
                break
            time.sleep(0.01)

    def connect(self):
        # The socket's name appears when it is bound, a moment before the
        # card listens on it; on a loaded machine that moment shows.
        for attempt in range(1000):
            s = socket.socket(socket.AF_UNIX)
            try:
                s.connect(self.control_path)
                return s
            except (ConnectionRefusedError, FileNotFoundError):
                s.close()
                if attempt == 999:
                    raise
                time.sleep(0.01)

    def control(self, command):
        with self.connect() as s:
            s.sendall((command + "\n").encode())
            reply = b""
            while not reply.endswith(b"\n"):
                chunk = s.recv(256)
                if not chunk:
                    break
                reply += chunk
        return reply.decode().strip()

    def await_state(self, state):
        subprocess.run([self.vcard, "wait", str(self.index), state, DAEMON_WAIT], check=True)

    def show(self, wanted):
        if wanted == self.shown:
            return
        if self.shown != "empty":
            self.control("remove")
            self.await_state("empty")
        if wanted == "mute":
            self.control("mute")
            self.await_state("mute")
        elif wanted != "empty":
            reply = self.control("load " + wanted)
            if reply != "ok":
                raise RuntimeError("%s: %s" % (wanted, reply))
            self.control("insert")
            self.await_state("present")
        self.shown = wanted

    def close(self):
        self.process.terminate()
        self.process.wait()


def card_directives(path):
    cards, acts, daemon = {}, [], "running"
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            m = DIRECTIVE.search(line.rstrip("\n"))
            if not m:
                continue
            kind, what = m.group(1), m.group(2).strip()
            if kind.startswith("card"):
                if what not in ("empty", "mute"):
                    what = os.path.join(os.path.dirname(path), what)
                cards[int(kind.split()[1])] = what
            elif kind == "act":
                delay, _, index, command = what.split(None, 3)
                if command.startswith("load ") or command.startswith("insert "):
                    verb, profile = command.split(None, 1)
                    command = "%s %s" % (verb, os.path.join(os.path.dirname(path), profile))
                acts.append((float(delay), int(index), command))
            else:
                daemon = what
    return cards, acts, daemon


def pcscd(command):
    subprocess.run([os.environ["PELORN_PCSCD_CTL"], command], check=True)


def run_one(runner, readers, folder, script, example_card=None):
    """Runs one test; an example runs with example_card in reader 0 and must
    succeed without a message, whatever it prints."""
    path = os.path.join(folder, script)
    cards, acts, daemon = card_directives(path)
    if example_card is not None:
        cards = {0: example_card}
    for reader in readers:
        reader.show(cards.get(reader.index, "empty"))
    if example_card is None:
        out, err, args, stdin, status = expectations(path)
    else:
        out, err, args, stdin, status = None, [], [], [], 0
    real = os.path.realpath(folder)
    err = [e.replace("$DIR", real) for e in err]
    if daemon == "stopped":
        pcscd("stop")
    timers = []
    for delay, index, command in acts:
        # "insert PROFILE" loads the profile first.
        def act(index=index, command=command):
            if command.startswith("insert "):
                readers[index].control("load " + command.split(None, 1)[1])
                command = "insert"
            readers[index].control(command)
        timers.append(threading.Timer(delay * SLOWDOWN, act))
    for t in timers:
        t.start()
    try:
        proc = subprocess.run([runner] + args + [script], cwd=folder, timeout=60,
                              input="".join(s + "\n" for s in stdin).encode(), capture_output=True)
    finally:
        for t in timers:
            t.join()
        if acts:
            for reader in readers:
                reader.shown = None
        if daemon == "stopped":
            pcscd("start")
            for reader in readers:
                reader.shown = None
    got_out = proc.stdout.decode(errors="replace").splitlines()
    got_err = proc.stderr.decode(errors="replace").splitlines()
    problems = []
    if out is not None and got_out != out:
        problems.append("stdout:\n  expected %r\n  got      %r" % (out, got_out))
    if err is not None and got_err != err:
        problems.append("stderr:\n  expected %r\n  got      %r" % (err, got_err))
    if proc.returncode != (status & 0xFF):
        problems.append("exit: expected %d, got %d\n  stdout %r\n  stderr %r"
                        % (status, proc.returncode, got_out, got_err))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", required=True)
    parser.add_argument("--vcard", required=True)
    parser.add_argument("--examples", help="the examples folder")
    parser.add_argument("folder")
    parser.add_argument("-k", default="")
    options = parser.parse_args()
    if os.environ.get("PELORN_CARD_STACK") != "private":
        print("run me through tests/card/with-card-stack.sh")
        return 2
    runner = os.path.abspath(options.runner)
    tests = []
    for name in sorted(os.listdir(options.folder)):
        if name.endswith(".scr"):
            tests.append((name, options.folder, name, None))
    if options.examples:
        demo = os.path.join(os.path.abspath(options.examples), "demo.card")
        for name in sorted(os.listdir(options.examples)):
            if name.endswith(".scr"):
                tests.append(("examples/" + name, options.examples, name, demo))
    work = tempfile.mkdtemp(prefix="pelorn-card-scripts-")
    readers = [VirtualReader(os.path.abspath(options.vcard), i, work) for i in range(2)]
    failed = ran = 0
    try:
        for name, folder, script, example_card in tests:
            if options.k not in name:
                continue
            ran += 1
            problems = run_one(runner, readers, folder, script, example_card)
            if problems:
                failed += 1
                print("FAIL %s\n%s" % (name, "\n".join(problems)))
    finally:
        for reader in readers:
            reader.close()
        subprocess.run(["rm", "-rf", work])
    print("%d card script tests, %d failed" % (ran, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
