#!/usr/bin/env python3
"""Tests of the pelorn command without a card: each case runs `pelorn` (or
pelornrun) in a fresh folder and compares both streams and the status.

    run_command_tests.py --pelorn build/pelorn --pelornrun build/pelornrun [-k NAME]

A case gives `args` (the command line after the program), optional `files`
written into the folder, `stdin`, `env`, and the expected `stdout`,
`stderr` (exact texts, `$DIR` standing for the folder) or `stdout_re`
(regular expressions, one per line), and `status` (default 0).
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

ARGS_SCRIPT = ('use "sys"\nargs = GetArgs()\nPrintln(args.length)\n'
               'for i = 0 to args.length - 1\n  Println("[", args[i], "]")\nend\n')
USAGE = ("Usage: pelorn [options] script [argument...]\n"
         "       pelorn [options] -e text [argument...]\n"
         "       pelorn [options] - [argument...]\n"
         "       pelorn --check [-d] script...\n"
         "       pelorn -i [options] [script [argument...]]\n"
         "Try 'pelorn --help' for more.\n")
UNASSIGNED = '%s:%d: warning: "%s" has no value here: nothing assigns it before\n'
FAILED = "\nScript1 execution failed.\n"

CASES = [
    # Plain runs: the streams and statuses of pelornrun.
    dict(name="file runs", files={"hello.scr": 'Println("hello")\n'}, args=["hello.scr"], stdout="hello\n"),
    dict(name="run fails", files={"f.scr": 'Println("a")\nx = 1 / 0\n'}, args=["f.scr"],
         stdout="a\n" + FAILED, stderr="$DIR/f.scr(2) : Devision by zero\n", status=1),
    dict(name="compile error", files={"c.scr": "x = )\n"}, args=["c.scr"],
         stderr="$DIR/c.scr(1) : syntax error, unexpected ')'\n", status=2),
    dict(name="missing file", args=["nosuch.scr"], stderr="Failed to open file nosuch.scr for reading.\n",
         status=2),
    dict(name="top-level exit succeeds", args=["-e", 'Println(1)\nexit\nPrintln(2)'], stdout="1\n"),
    # -e: the text is the script, a final line break is added, paths start
    # from the current folder, messages name it -e.
    dict(name="-e runs text", args=["-e", 'Println("hi")'], stdout="hi\n"),
    dict(name="-e several lines", args=["-e", 'x = 2\nPrintln(x * 3)\n'], stdout="6\n"),
    dict(name="-e run error", args=["-e", "x = 1 / 0"], stdout=FAILED,
         stderr="-e(1) : Devision by zero\n", status=1),
    dict(name="-e compile error", args=["-e", "Println(1)\ny = )"],
         stderr="-e(2) : syntax error, unexpected ')'\n", status=2),
    dict(name="-e includes from the current folder", files={"lib/inc.scr": 'Println("included")\n'},
         args=["-e", 'include "lib/inc.scr"'], stdout="included\n"),
    dict(name="-e reads files from the current folder", files={"data.txt": "x"},
         args=["-e", 'Println(GetFileSize("data.txt"))'], stdout="1\n"),
    dict(name="-e empty text", args=["-e", ""]),
    # - : the script comes from standard input.
    dict(name="- reads standard input", args=["-"], stdin='Println("from stdin")\n', stdout="from stdin\n"),
    dict(name="- names the script -", args=["-"], stdin="Println(1)\ny = )\n",
         stderr="-(2) : syntax error, unexpected ')'\n", status=2),
    dict(name="- run error", args=["-"], stdin="\nx = 1 / 0\n", stdout=FAILED,
         stderr="-(2) : Devision by zero\n", status=1),
    dict(name="- includes from the current folder", files={"inc.scr": 'Println("inc")\n'}, args=["-"],
         stdin='include "inc.scr"\n', stdout="inc\n"),
    # Script arguments: every word after the script, options or not.
    dict(name="arguments of a file", files={"args.scr": ARGS_SCRIPT},
         args=["args.scr", "one", "-d", "--trace", "two words", ""],
         stdout="5\n[one]\n[-d]\n[--trace]\n[two words]\n[]\n"),
    dict(name="no arguments", files={"args.scr": ARGS_SCRIPT}, args=["args.scr"], stdout="0\n"),
    dict(name="arguments after -e", args=["-e", ARGS_SCRIPT, "x", "-e", "--help"],
         stdout="3\n[x]\n[-e]\n[--help]\n"),
    dict(name="arguments after -", args=["-", "a", "-"], stdin=ARGS_SCRIPT, stdout="2\n[a]\n[-]\n"),
    dict(name="-- before a script named like an option", files={"-x.scr": ARGS_SCRIPT},
         args=["--", "-x.scr", "--"], stdout="1\n[--]\n"),
    dict(name="pelornrun gives no arguments", runner="pelornrun", files={"args.scr": ARGS_SCRIPT},
         args=["args.scr"], stdout="0\n"),
    # The sys module's environment and exit status.
    dict(name="GetEnv", env={"PELORN_TEST_VALUE": "v a l"},
         args=["-e", 'use "sys"\nPrintln(GetEnv("PELORN_TEST_VALUE"))\n'
                     'Println(typeof GetEnv("PELORN_TEST_UNSET") = UNDEFINED)'],
         stdout="v a l\nTRUE\n"),
    dict(name="GetEnv wants a string", args=["-e", 'use "sys"\nx = GetEnv(1)'], stdout=FAILED,
         stderr='Bad argument(s) for function "GetEnv".Prototypes: string GetEnv(string name).\n'
                '-e(2) : Exception (Bad Arguments) thrown by Function "GetEnv"\n', status=1),
    dict(name="SetExitStatus", args=["-e", 'use "sys"\nSetExitStatus(7)\nPrintln("done")'],
         stdout="done\n", status=7),
    dict(name="SetExitStatus 0 and 125", args=["-e", 'use "sys"\nSetExitStatus(125)\nSetExitStatus(0)']),
    dict(name="SetExitStatus then top-level exit", args=["-e", 'use "sys"\nSetExitStatus(4)\nexit'], status=4),
    dict(name="a failed run still gives 1", args=["-e", 'use "sys"\nSetExitStatus(7)\nx = 1 / 0'],
         stdout=FAILED, stderr="-e(3) : Devision by zero\n", status=1),
    dict(name="SetExitStatus out of range", args=["-e", 'use "sys"\nSetExitStatus(126)'], stdout=FAILED,
         stderr='-e(2) : Uncaught exception (SetExitStatus: 126 is not an exit status (0 to 125)) '
                'from Function "SetExitStatus"\n', status=1),
    dict(name="SetExitStatus negative is caught", args=["-e", 'use "sys"\ntry\n  SetExitStatus(-1)\n'
                                                               'catch (e)\n  Println(e)\nend'],
         stdout="SetExitStatus: -1 is not an exit status (0 to 125)\n"),
    dict(name="pelornrun ignores SetExitStatus", runner="pelornrun",
         files={"s.scr": 'use "sys"\nSetExitStatus(9)\n'}, args=["s.scr"]),
    # -d: the text after '#' is code.
    dict(name="-d", args=["-d", "-e", 'Println("a")\n#Println("b")'], stdout="a\nb\n"),
    dict(name="without -d", args=["-e", 'Println("a")\n#Println("b")'], stdout="a\n"),
    # --help, --version, and what is not a command line.
    dict(name="--help", args=["--help"], help=True),
    dict(name="-h", args=["-h"], help=True),
    dict(name="--version", args=["--version"],
         stdout_re=[r"pelorn \d+\.\d+\.\d+", r"OpenSSL 3\..*", r"pcsc-lite \d+\.\d+\.\d+"]),
    dict(name="unknown option", args=["-x", "s.scr"], stderr="pelorn: unknown option -x\n" + USAGE, status=2),
    dict(name="no script", args=[], stderr="pelorn: no script\n" + USAGE, status=2),
    dict(name="options but no script", args=["-d", "--trace"], stderr="pelorn: no script\n" + USAGE, status=2),
    dict(name="-- and no script", args=["--"], stderr="pelorn: no script\n" + USAGE, status=2),
    dict(name="-e without text", args=["-e"], stderr="pelorn: -e needs the text of a script\n" + USAGE, status=2),
    dict(name="--reader without value", args=["--reader"],
         stderr="pelorn: --reader needs a reader name or index\n" + USAGE, status=2),
    dict(name="--reader with --each-reader", args=["--reader", "0", "--each-reader", "-e", "x = 1"],
         stderr="pelorn: --reader and --each-reader exclude each other\n" + USAGE, status=2),
    # --check: every word after it is a script (files, -e TEXT, -), -d is
    # allowed anywhere, options that run something are not; the status is
    # the worst of the scripts. (The check itself: ../check.)
    dict(name="--check several scripts", files={"ok.scr": "x = 1\n", "bad.scr": "\ny = z\n"},
         args=["--check", "ok.scr", "bad.scr", "-e", "a = b", "-"], stdin="c = d\n",
         stderr=UNASSIGNED % ("bad.scr", 2, "z") + UNASSIGNED % ("-e", 1, "b") + UNASSIGNED % ("-", 1, "d"),
         status=1),
    dict(name="--check clean", files={"ok.scr": "x = 1\n"}, args=["-d", "--check", "ok.scr"]),
    dict(name="--check compile error is the worst", files={"ok.scr": "x = y\n", "c.scr": "x = )\n"},
         args=["--check", "c.scr", "ok.scr"],
         stderr="$DIR/c.scr(1) : syntax error, unexpected ')'\n" + UNASSIGNED % ("ok.scr", 1, "y"), status=2),
    dict(name="--check runs nothing", files={"p.scr": 'Println("ran")\nSaveFile("out.txt", "x")\n'},
         args=["--check", "p.scr"]),
    dict(name="--check without script", args=["--check", "-d"], stderr="pelorn: no script\n" + USAGE, status=2),
    dict(name="--check with --trace", args=["--check", "--trace", "s.scr"],
         stderr="pelorn: --check runs nothing: --trace does not go with it\n" + USAGE, status=2),
    dict(name="--reader before --check", args=["--reader", "0", "--check", "s.scr"],
         stderr="pelorn: --check runs nothing: --reader does not go with it\n" + USAGE, status=2),
    dict(name="--check with an unknown option", args=["--check", "-x"],
         stderr="pelorn: unknown option -x\n" + USAGE, status=2),
    # -i: a script is optional; standard input is the terminal.
    dict(name="-i with -", args=["-i", "-"],
         stderr="pelorn: -i reads the session from the terminal: - does not go with it\n" + USAGE, status=2),
    dict(name="-i with --each-reader", args=["--each-reader", "-i"],
         stderr="pelorn: -i reads the session from the terminal: --each-reader does not go with it\n" + USAGE,
         status=2),
]

HELP_OPTIONS = ["-e TEXT", "-d", "--trace", "--reader READER", "--each-reader", "--check", "-i", "--help", "--version",
                "--"]


def run_case(programs, case):
    with tempfile.TemporaryDirectory(prefix="pelorn-command-") as folder:
        real = os.path.realpath(folder)
        for name, text in case.get("files", {}).items():
            path = os.path.join(folder, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write(text)
        env = dict(os.environ, **case.get("env", {}))
        proc = subprocess.run([programs[case.get("runner", "pelorn")]] + case["args"], cwd=folder, env=env,
                              input=case.get("stdin", "").encode(), capture_output=True, timeout=60)
    out = proc.stdout.decode(errors="replace")
    err = proc.stderr.decode(errors="replace")
    problems = []
    if case.get("help"):
        if not out.startswith("Usage: pelorn [options] script [argument...]\n"):
            problems.append("help does not start with the usage: %r" % out[:80])
        problems += ["help lacks %s" % o for o in HELP_OPTIONS if "  " + o not in out.replace(",", " ")]
    elif case.get("stdout_re"):
        lines = out.splitlines()
        if len(lines) != len(case["stdout_re"]) or not all(
                re.fullmatch(p, line) for p, line in zip(case["stdout_re"], lines)):
            problems.append("stdout %r does not match %r" % (out, case["stdout_re"]))
    elif out != case.get("stdout", "").replace("$DIR", real):
        problems.append("stdout:\n  expected %r\n  got      %r" % (case.get("stdout", ""), out))
    if err != case.get("stderr", "").replace("$DIR", real):
        problems.append("stderr:\n  expected %r\n  got      %r" % (case.get("stderr", ""), err))
    if proc.returncode != case.get("status", 0):
        problems.append("status: expected %d, got %d" % (case.get("status", 0), proc.returncode))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pelorn", required=True)
    parser.add_argument("--pelornrun", required=True)
    parser.add_argument("-k", default="")
    options = parser.parse_args()
    programs = {"pelorn": os.path.abspath(options.pelorn), "pelornrun": os.path.abspath(options.pelornrun)}
    ran = failed = 0
    for case in CASES:
        if options.k not in case["name"]:
            continue
        ran += 1
        problems = run_case(programs, case)
        if problems:
            failed += 1
            print("FAIL %s\n  %s" % (case["name"], "\n  ".join(problems)))
    print("%d command tests, %d failed" % (ran, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
