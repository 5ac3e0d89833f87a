#!/usr/bin/env python3
"""Tests of `pelorn -i`, typed as a person types: each case starts the
session in a pseudo-terminal and holds a conversation with it.

    run_session_tests.py --pelorn PELORN [--card --vcard VCARD] [-k NAME]

A case gives the arguments after `-i`, files written into a fresh folder
(the session's current folder and its HOME), and its steps:

    ("type", TEXT, SHOWN)     types TEXT and Enter; SHOWN is what the
                              terminal then shows up to the next prompt,
                              without the echo of TEXT ($DIR: the folder)
    ("start", TEXT)           types TEXT and Enter, waits for its echo only
    ("key", KEYS, SHOWN)      presses keys (Ctrl-C is \\x03), then as "type";
                              KEYS is bytes, or a list of bytes typed with
                              a pause between them

What the terminal shows is compared without carriage returns and the
escape sequences of line editing.
    ("end", STATUS)           Ctrl-D: the session ends with STATUS

With --card (through tests/card/with-card-stack.sh), the card cases run
against pelorn-vcard: reader 0 holds tests/card/scripts/echo.card.
"""
import argparse
import os
import pty
import re
import select
import shutil
import signal
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
PROMPT = "pelorn> "
MORE = "   ...> "
TIMEOUT = 15


class Terminal:
    """pelorn -i in a pseudo-terminal."""

    def __init__(self, pelorn, args, folder):
        self.folder = folder
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(folder)
            env = dict(os.environ, HOME=folder, TERM="xterm", LC_ALL="C.UTF-8")
            env.pop("PELORN_MODULE_PATH", None)
            os.execve(pelorn, [pelorn, "-i"] + args, env)
        self.pending = ""

    def read_until_prompt(self):
        """Everything shown up to and without the next prompt, and the
        prompt; None as the prompt when the session ended."""
        deadline = time.time() + TIMEOUT
        text = self.pending
        while time.time() < deadline:
            for prompt in (PROMPT, MORE):
                if text.endswith(prompt):
                    self.pending = ""
                    return text[:-len(prompt)], prompt
            ready, _, _ = select.select([self.fd], [], [], 0.1)
            if not ready:
                continue
            try:
                chunk = os.read(self.fd, 4096)
            except OSError:
                chunk = b""
            if not chunk:
                return text, None
            text += chunk.decode("utf-8", "replace").replace("\r\n", "\n")
        raise TimeoutError("no prompt after %r" % text)

    def send(self, data):
        # As a person types: not before the editor has the terminal (keys
        # typed earlier are echoed by the terminal, then by the editor).
        time.sleep(0.1)
        os.write(self.fd, data)

    def read_until(self, wanted):
        """Reads until `wanted` was shown, and drops it."""
        deadline = time.time() + TIMEOUT
        while wanted not in self.pending and time.time() < deadline:
            ready, _, _ = select.select([self.fd], [], [], 0.1)
            if ready:
                self.pending += os.read(self.fd, 4096).decode("utf-8", "replace").replace("\r\n", "\n")
        if wanted not in self.pending:
            raise TimeoutError("%r never shown" % wanted)
        self.pending = self.pending[self.pending.index(wanted) + len(wanted):]

    def wait(self):
        deadline = time.time() + TIMEOUT
        while time.time() < deadline:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                return os.waitstatus_to_exitcode(status)
            try:
                select.select([self.fd], [], [], 0.1)
                os.read(self.fd, 4096)
            except OSError:
                time.sleep(0.05)
        os.kill(self.pid, signal.SIGKILL)
        os.waitpid(self.pid, 0)
        raise TimeoutError("the session did not end")

    def close(self):
        try:
            os.close(self.fd)
        except OSError:
            pass


def shown(text, folder):
    return text.replace("$DIR", os.path.realpath(folder))


def comparable(text):
    text = re.sub(r"\x1b\[[0-9;]*[A-Za-z]", "", text).replace("\r", "")
    return re.sub(r"(\tDuration +: )\d+ ms", r"\1N ms", text)


def converse(pelorn, case):
    folder = tempfile.mkdtemp(prefix="pelorn-session-")
    problems = []
    term = None
    try:
        for name, text in case.get("files", {}).items():
            with open(os.path.join(folder, name), "w") as f:
                f.write(text)
        term = Terminal(pelorn, case.get("args", []), folder)
        before, prompt = term.read_until_prompt()
        expected = shown(case.get("before", ""), folder)
        if case.get("status_without_prompt") is not None:
            status = term.wait()
            if before != expected or status != case["status_without_prompt"]:
                problems.append("expected %r and status %d, got %r and %s"
                                % (expected, case["status_without_prompt"], before, status))
            return problems
        if before != expected:
            problems.append("before the first prompt: expected %r, got %r" % (expected, before))
        for step in case["steps"]:
            kind = step[0]
            if kind == "end":
                term.send(b"\x04")
                status = term.wait()
                if status != step[1]:
                    problems.append("ended with status %s, expected %d" % (status, step[1]))
                continue
            if kind == "start":
                term.send(step[1].encode() + b"\r")
                term.read_until(step[1] + "\n")
                time.sleep(0.3) # the run is under way
                continue
            if kind == "type":
                term.send(step[1].encode() + b"\r")
            else:
                for i, keys in enumerate(step[1] if isinstance(step[1], list) else [step[1]]):
                    if i > 0:
                        time.sleep(0.3)
                    term.send(keys)
            got, prompt = term.read_until_prompt()
            got = comparable(got)
            if kind == "type":
                echo = step[1] + "\n"
                if got.startswith(echo):
                    got = got[len(echo):]
                else:
                    problems.append("%r: no echo in %r" % (step[1], got))
            want = shown(step[2], folder)
            if got != want:
                problems.append("%r:\n    expected %r\n    got      %r" % (step[1], want, got))
        if case.get("history") is not None:
            with open(os.path.join(folder, ".pelorn_history"), encoding="utf-8") as f:
                lines = [l.rstrip("\n") for l in f][1:]
            decoded = [re.sub(r"\\(\d{3})", lambda m: chr(int(m.group(1), 8)), l) for l in lines]
            if decoded != case["history"]:
                problems.append("history: expected %r, got %r" % (case["history"], decoded))
    except TimeoutError as e:
        problems.append(str(e))
    finally:
        if term is not None:
            term.close()
            try:
                os.kill(term.pid, signal.SIGKILL)
                os.waitpid(term.pid, 0)
            except (ProcessLookupError, ChildProcessError):
                pass
        shutil.rmtree(folder, ignore_errors=True)
    return problems


LOOP = ["while TRUE", "  i += 1"]

CASES = [
    dict(name="definitions stay for later inputs", steps=[
        ("type", "const Rate = 3", ""),
        ("type", "x = 5", ""),
        ("type", "procedure Show(a)", ""),
        ("type", "  Println(a * Rate)", ""),
        ("type", "end", ""),
        ("type", "Show(x)", "15\n"),
        ("type", "function Twice(n)", ""),
        ("type", "  return n * 2", ""),
        ("type", "end", ""),
        ("type", "x = Twice(x)", ""),
        ("type", "Println(x)", "10\n"),
        ("end", 0)]),
    dict(name="a block runs when its end is typed", steps=[
        ("type", "for i = 1 to 3", ""),
        ("type", "  Print(i)", ""),
        ("type", "end", "123"),
        ("type", "Println()",
         'Function "Println" needs at least one argument.\n-i(5) : Exception (Bad Arguments) thrown by Function "Println"\n'),
        ("end", 0)]),
    dict(name="errors are reported and the session goes on", steps=[
        ("type", "x = 1", ""),
        ("type", "y = )", "-i(2) : syntax error, unexpected ')'\n"),
        ("type", "z = x / 0", "-i(3) : Devision by zero\n"),
        ("type", "Missing()", "-i(5) : Runtime error : Procedure \"Missing\" not found.\n"),
        ("type", "throw \"oops\"", "-i(5) : Uncaught exception (oops)\n"),
        ("type", "Println(x)", "1\n"),
        ("end", 0)]),
    dict(name="the script runs first and what it defines stays",
         files={"lib.scr": 'use "sys"\nfunction Double(n)\n  return n * 2\nend\nbase = 21\n'
                           'Println("loaded ", GetArgs()[0])\n'},
         args=["lib.scr", "first"], before="loaded first\n", steps=[
             ("type", "Println(Double(base))", "42\n"),
             ("type", "Println(GetArgs().length)", "1\n"),
             ("end", 0)]),
    dict(name="a script that fails to run still gives the session",
         files={"bad.scr": "x = 7\ny = x / 0\n"}, args=["bad.scr"],
         before="$DIR/bad.scr(2) : Devision by zero\n", steps=[
             ("type", "Println(x)", "7\n"),
             ("end", 0)]),
    dict(name="a script that does not compile ends pelorn", files={"c.scr": "x = )\n"}, args=["c.scr"],
         before="$DIR/c.scr(1) : syntax error, unexpected ')'\n", status_without_prompt=2),
    dict(name="includes and modules stay", files={"defs.scr": "procedure Hello()\n  Println(\"hello\")\nend\n"},
         steps=[
             ("type", 'include "defs.scr"', ""),
             ("type", 'use "sys"', ""),
             ("type", "Hello()", "hello\n"),
             ("type", "Println(GetArgs().length)", "0\n"),
             ("end", 0)]),
    dict(name="Ctrl-C stops a running loop", steps=[
        ("type", "i = 0", ""),
        ("type", LOOP[0], ""), ("type", LOOP[1], ""),
        ("start", "end"),
        ("key", b"\x03", "^C\n-i(4) : Run interrupted.\n"),
        ("type", "Println(i > 0)", "TRUE\n"),
        ("start", "Sleep(60000)"),
        ("key", b"\x03", "^C\n-i(7) : Run interrupted.\n"),
        ("end", 0)]),
    dict(name="Ctrl-C drops the input being typed", steps=[
        ("type", "while TRUE", ""),
        ("key", [b"  Println(1)", b"\x03"], "  Println(1)\n"),
        ("type", "Println(2)", "2\n"),
        ("end", 0)]),
    dict(name="history is kept in the home folder", steps=[
        ("type", "a = 1", ""),
        ("type", "", ""),
        ("type", "Println(a + 1)", "2\n"),
        ("key", b"\x1b[A\r", "Println(a + 1)\n2\n"),
        ("end", 0)],
         history=["a = 1", "Println(a + 1)"]),
]

CARD_CASES = [
    dict(name="a command line goes to the card at once, traced", steps=[
        ("type", "PowerON()", 'Connecting to reader "Virtual PCD 00 00" in shared mode.\nConnected. Protocol = T0\n'),
        ("type", "<00 A4 04 00 02> <3F 00> {9000}",
         "\tCommand         : 00 A4 04 00 02 3F 00 \n\tOutput Data (7 bytes) : 00 A4 04 00 02 3F 00 \n"
         "\tStatus          : 9000 (expecting 9000)\n\tDuration        : N ms\n\n"),
        ("type", "Println(__SW1)", "144\n"),
        ("type", "SetAPDUVerbose(FALSE)", ""),
        ("type", "<00 B0 00 00 02>", ""),
        ("type", "Println(__Response)", "00 B0 00 00 02 \n"),
        ("end", 0)]),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pelorn", required=True)
    parser.add_argument("--card", action="store_true")
    parser.add_argument("--vcard")
    parser.add_argument("-k", default="")
    options = parser.parse_args()
    pelorn = os.path.abspath(options.pelorn)
    readers = []
    cases = CASES
    if options.card:
        if os.environ.get("PELORN_CARD_STACK") != "private":
            print("run me through tests/card/with-card-stack.sh")
            return 2
        sys.path.insert(0, os.path.join(ROOT, "tests", "card"))
        from run_card_scripts import VirtualReader
        work = tempfile.mkdtemp(prefix="pelorn-session-readers-")
        readers = [VirtualReader(os.path.abspath(options.vcard), 0, work)]
        readers[0].show(os.path.join(ROOT, "tests", "card", "scripts", "echo.card"))
        cases = CARD_CASES
    failed = ran = 0
    try:
        for case in cases:
            if options.k not in case["name"]:
                continue
            ran += 1
            problems = converse(pelorn, case)
            if problems:
                failed += 1
                print("FAIL %s\n  %s" % (case["name"], "\n  ".join(problems)))
    finally:
        for reader in readers:
            reader.close()
    print("%d session tests, %d failed" % (ran, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
