#!/usr/bin/env python3
"""Runs the project's script tests.

A test is a script whose expectations stand in its own comments:

    Println("hi")        // expect: hi
    x = 1 / 0            // expect error: $DIR/div.scr(2) : Devision by zero
    // expect exit: 1
    // args: -d
    // stdin: a line of input
    // address space: 1500      (MiB; the run's RLIMIT_AS, for tests of
                                 running out of memory)

`expect` lines are the standard output, in order; `expect error` lines are
standard error (`$DIR` is the test's folder); the exit status is 0 unless
given. A test is either a `.scr` file in this folder, or a sub-folder whose
`main.scr` holds the expectations and which may hold further files.
A test with an address-space limit is skipped when the runner is not a
plain build (sanitizers and valgrind need address space of their own).
"""
import argparse
import os
import re
import resource
import subprocess
import sys

EXPECT = re.compile(r"//\s*(expect|expect error|expect exit|args|stdin):(?: (.*))?$")


def expectations(path):
    out, err, args, stdin, status = [], [], [], [], 0
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            m = EXPECT.search(line.rstrip("\n").rstrip("\r"))
            if not m:
                continue
            kind, text = m.group(1), m.group(2) or ""
            if kind == "expect":
                out.append(text)
            elif kind == "expect error":
                err.append(text)
            elif kind == "expect exit":
                status = int(text)
            elif kind == "args":
                args.extend(text.split())
            else:
                stdin.append(text)
    return out, err, args, stdin, status


ADDRESS_SPACE = re.compile(r"//\s*address space:\s*(\d+)")


def address_space_limit(path):
    """The test's address-space limit in bytes, or None."""
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        m = ADDRESS_SPACE.search(f.read())
    return int(m.group(1)) << 20 if m else None


def plain_build(runner):
    """An ELF runner without a sanitizer runtime."""
    with open(runner, "rb") as f:
        if f.read(4) != b"\x7fELF":
            return False
    libraries = subprocess.run(["ldd", runner], capture_output=True, text=True).stdout
    return "libasan" not in libraries and "libubsan" not in libraries


def run(runner, folder, script):
    out, err, args, stdin, status = expectations(os.path.join(folder, script))
    real = os.path.realpath(folder)
    err = [e.replace("$DIR", real) for e in err]
    limit = address_space_limit(os.path.join(folder, script))
    if limit is not None and not plain_build(runner):
        return None

    def limit_address_space():
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))

    proc = subprocess.run([runner] + args + [script], cwd=folder, timeout=60,
                          input="".join(s + "\n" for s in stdin).encode(),
                          capture_output=True, preexec_fn=limit_address_space if limit else None)
    got_out = proc.stdout.decode(errors="replace").splitlines()
    got_err = proc.stderr.decode(errors="replace").splitlines()
    problems = []
    if got_out != out:
        problems.append("stdout:\n  expected %r\n  got      %r" % (out, got_out))
    if got_err != err:
        problems.append("stderr:\n  expected %r\n  got      %r" % (err, got_err))
    if proc.returncode != (status & 0xFF):
        problems.append("exit: expected %d, got %d" % (status, proc.returncode))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", required=True)
    parser.add_argument("folder")
    parser.add_argument("-k", default="")
    options = parser.parse_args()
    runner = os.path.abspath(options.runner)
    tests = []
    for name in sorted(os.listdir(options.folder)):
        path = os.path.join(options.folder, name)
        if name.endswith(".scr"):
            tests.append((name, options.folder, name))
        elif os.path.isfile(os.path.join(path, "main.scr")):
            tests.append((name, path, "main.scr"))
    failed = skipped = 0
    for name, folder, script in tests:
        if options.k not in name:
            continue
        problems = run(runner, folder, script)
        if problems is None:
            skipped += 1
        elif problems:
            failed += 1
            print("FAIL %s\n%s" % (name, "\n".join(problems)))
    print("%d script tests, %d failed, %d skipped" % (len(tests), failed, skipped))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
