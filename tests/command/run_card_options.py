#!/usr/bin/env python3
"""The card options of pelorn (--trace, --reader, --each-reader) against
virtual cards in the readers "Virtual PCD 00 00" and "Virtual PCD 00 01".
Run it through tests/card/with-card-stack.sh, which gives it a PC/SC daemon
of its own:

    with-card-stack.sh run_card_options.py --pelorn P --pelornrun R --vcard V [-k NAME]

Reader 0 holds tests/card/scripts/echo.card (every command comes back with
90 00), reader 1 examples/demo.card (GET DATA 80 CA 9F 36 answers
9F 36 02 00 2A), unless a case says otherwise.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "card"))
from run_card_scripts import VirtualReader  # noqa: E402

ECHO = os.path.join(ROOT, "tests", "card", "scripts", "echo.card")
DEMO = os.path.join(ROOT, "examples", "demo.card")
READER0 = "Virtual PCD 00 00"
READER1 = "Virtual PCD 00 01"

# Which card answered: the echo card repeats the command, the demo card
# knows its counter.
WHICH_CARD = 'PowerON()\nPrintln(GetCurrentReader())\n<80 CA 9F 36 00>\nPrintln(__Response)\n'
ECHO_ANSWER = "80 CA 9F 36 00 "
DEMO_ANSWER = "9F 36 02 00 2A "
TRACED = 'PowerON()\n<00 B0 00 00 02> {9000}\nPowerON(TRUE)\n<00 A4 00 00> {9000}\n'
FAILED = "\nScript1 execution failed.\n"


class Runner:
    def __init__(self, options, readers):
        self.pelorn = os.path.abspath(options.pelorn)
        self.pelornrun = os.path.abspath(options.pelornrun)
        self.readers = readers
        self.folder = tempfile.mkdtemp(prefix="pelorn-card-options-")

    def cards(self, first, second):
        self.readers[0].show(first)
        self.readers[1].show(second)

    def run(self, program, args, stdin=""):
        proc = subprocess.run([program] + args, cwd=self.folder, input=stdin.encode(), capture_output=True,
                              timeout=60)
        return proc.stdout.decode(errors="replace"), proc.stderr.decode(errors="replace"), proc.returncode

    def script(self, name, text):
        with open(os.path.join(self.folder, name), "w") as f:
            f.write(text)
        return name


def without_durations(text):
    return re.sub(r"(\tDuration +: )\d+ ms", r"\1N ms", text)


def check(problems, what, expected, got):
    if expected != got:
        problems.append("%s:\n  expected %r\n  got      %r" % (what, expected, got))


def test_trace_as_set_apdu_verbose(r):
    """--trace gives exactly the output of a script that begins with
    SetAPDUVerbose(TRUE)."""
    r.cards(ECHO, DEMO)
    problems = []
    verbose = r.script("verbose.scr", "SetAPDUVerbose(TRUE)\n" + TRACED)
    want_out, want_err, want_status = r.run(r.pelornrun, [verbose])
    out, err, status = r.run(r.pelorn, ["--trace", "-e", TRACED])
    check(problems, "stdout", without_durations(want_out), without_durations(out))
    check(problems, "stderr", want_err, err)
    check(problems, "status", want_status, status)
    if "Command         : 00 B0 00 00 02" not in out or 'Connecting to reader "%s"' % READER0 not in out:
        problems.append("no trace in %r" % out)
    # The script may still turn it off.
    out, err, status = r.run(r.pelorn, ["--trace", "-e", "SetAPDUVerbose(FALSE)\n" + TRACED])
    check(problems, "trace turned off", ("", "", 0), (out, err, status))
    return problems


def test_reader_chosen(r):
    """--reader by name (any case) or index makes that reader current before
    the run; without it PowerON takes the first reader holding a card."""
    r.cards(ECHO, DEMO)
    problems = []
    for args, reader, answer in [([], READER0, ECHO_ANSWER),
                                 (["--reader", "1"], READER1, DEMO_ANSWER),
                                 (["--reader", "0"], READER0, ECHO_ANSWER),
                                 (["--reader", READER1], READER1, DEMO_ANSWER),
                                 (["--reader=virtual pcd 00 01"], READER1, DEMO_ANSWER)]:
        got = r.run(r.pelorn, args + ["-e", WHICH_CARD])
        check(problems, "pelorn %s" % " ".join(args), ("%s\n%s\n" % (reader, answer), "", 0), got)
    # The chosen reader is current from the start, as after SetCurrentReader.
    got = r.run(r.pelorn, ["--reader", "1", "-e", "Println(GetCurrentReader())"])
    check(problems, "current before PowerON", (READER1 + "\n", "", 0), got)
    # A reader without a card is still chosen; PowerON then fails on it.
    r.cards("empty", DEMO)
    out, err, status = r.run(r.pelorn, ["--reader", "0", "-e", "PowerON()"])
    check(problems, "empty reader status", 1, status)
    if READER0 not in err:
        problems.append("PowerON on the empty reader: %r" % err)
    return problems


def test_unknown_reader(r):
    r.cards(ECHO, "empty")
    problems = []
    listing = "  0: %s\n  1: %s\n" % (READER0, READER1)
    for word in ["Nope", "2", "-1", "Virtual PCD 00"]:
        got = r.run(r.pelorn, ["--reader", word, "-e", 'Println("ran")'])
        check(problems, "--reader %s" % word, ("", 'pelorn: no reader "%s"; the readers are:\n%s' % (word, listing), 2),
              got)
    return problems


def test_each_reader(r):
    """One run per reader holding a card, every line prefixed, the highest
    status; stdin scripts and arguments reach every run."""
    r.cards(ECHO, DEMO)
    problems = []
    script = r.script("each.scr", 'use "sys"\n' + WHICH_CARD +
                      'Println("args ", GetArgs().length, " ", GetArgs()[0])\n'
                      'if GetCurrentReader().name = "%s" then\n  SetExitStatus(5)\nelse\n  x = 1 / 0\nend\n' % READER1)
    out, err, status = r.run(r.pelorn, ["--each-reader", script, "-a"])
    expected_out = sorted(["[%s] %s" % (READER0, READER0), "[%s] %s" % (READER0, ECHO_ANSWER),
                           "[%s] args 1 -a" % READER0, "[%s] " % READER0, "[%s] Script1 execution failed." % READER0,
                           "[%s] %s" % (READER1, READER1), "[%s] %s" % (READER1, DEMO_ANSWER),
                           "[%s] args 1 -a" % READER1])
    check(problems, "stdout lines", expected_out, sorted(out.splitlines()))
    for reader in (READER0, READER1):  # each run's lines keep their order
        own = [line for line in out.splitlines() if line.startswith("[%s]" % reader)]
        check(problems, "order of %s" % reader, ["[%s] %s" % (reader, reader)], own[:1])
    check(problems, "stderr", "[%s] $DIR/each.scr(10) : Devision by zero\n" % READER0,
          err.replace(os.path.realpath(r.folder), "$DIR"))
    check(problems, "status: the highest", 5, status)

    # The script from standard input, as -; a last line without a line feed.
    out, err, status = r.run(r.pelorn, ["--each-reader", "-"], stdin='Print(GetCurrentReader())\n')
    check(problems, "stdin script", (sorted(["[%s] %s" % (READER0, READER0), "[%s] %s" % (READER1, READER1)]), "", 0),
          (sorted(out.splitlines()), err, status))

    # --trace reaches every run.
    out, err, status = r.run(r.pelorn, ["--each-reader", "--trace", "-e", "PowerON()"])
    check(problems, "trace in each run", 2, out.count("Connected. Protocol = T0"))

    # Only readers with a card that answers.
    r.cards("mute", DEMO)
    got = r.run(r.pelorn, ["--each-reader", "-e", "Println(GetCurrentReader())"])
    check(problems, "mute card left out", ("[%s] %s\n" % (READER1, READER1), "", 0), got)
    r.cards("empty", "empty")
    got = r.run(r.pelorn, ["--each-reader", "-e", 'Println("ran")'])
    check(problems, "no card", ("", "pelorn: no reader holds a card\n", 2), got)
    return problems


TESTS = [test_trace_as_set_apdu_verbose, test_reader_chosen, test_unknown_reader, test_each_reader]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pelorn", required=True)
    parser.add_argument("--pelornrun", required=True)
    parser.add_argument("--vcard", required=True)
    parser.add_argument("-k", default="")
    options = parser.parse_args()
    if os.environ.get("PELORN_CARD_STACK") != "private":
        print("run me through tests/card/with-card-stack.sh")
        return 2
    work = tempfile.mkdtemp(prefix="pelorn-card-options-readers-")
    readers = [VirtualReader(os.path.abspath(options.vcard), i, work) for i in range(2)]
    runner = Runner(options, readers)
    failed = ran = 0
    try:
        for test in TESTS:
            if options.k not in test.__name__:
                continue
            ran += 1
            problems = test(runner)
            if problems:
                failed += 1
                print("FAIL %s\n  %s" % (test.__name__, "\n  ".join(problems)))
    finally:
        for reader in readers:
            reader.close()
        subprocess.run(["rm", "-rf", work, runner.folder])
    print("%d card option tests, %d failed" % (ran, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
