#!/usr/bin/env python3
"""Tests of `pelorn --check`, the static check.

    run_check_tests.py --pelorn PELORN --source ROOT [--acceptance DIR]
                       [--tlv-module TLV.so] [--module-path DIR] [-k TEXT] PART

PART is one of:

  clean    the check is silent (nothing on either stream, status 0) on every
           script of the project that runs cleanly: the examples, the script
           tests that exit 0, the card scripts, the benchmarks, the runnable
           examples of docs/ and, with --acceptance, the acceptance cases
           that expect status 0.
  faults   each fixture of tests/check/faults (a NAME.scr, or a folder
           whose main.scr is checked) reports exactly the lines its comments
           expect, in order, on standard error:

               // check: $FILE:3: warning: ...     (as the folder's file name)
               // check: $DIR/lib.scr:2: note: ... ($DIR: the folder, canonical)
               // check status: 2                  (default: 1 with warnings, else 0)
               // args: -d                         (options before the script)

`pelorn --check [options] SCRIPT` is run in the script's folder with the
script's file name.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TIMEOUT = 60


def run_check(command, folder, script, options, env):
    proc = subprocess.run(command + options + [script], cwd=folder, env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=TIMEOUT)
    return proc.returncode, proc.stdout.decode("utf-8", "replace"), proc.stderr.decode("utf-8", "replace")


# ------------------------------------------------------------------ clean

SCRIPT_EXPECT = re.compile(r"//\s*(expect exit|expect error|args):(?: (.*))?$")


def script_test_runs_cleanly(path):
    """A script test (tests/scripts style) that exits 0 without an error
    line; and its options."""
    status, errors, options = 0, False, []
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            m = SCRIPT_EXPECT.search(line.rstrip("\n"))
            if not m:
                continue
            if m.group(1) == "expect exit":
                status = int(m.group(2))
            elif m.group(1) == "expect error":
                errors = True
            else:
                options += (m.group(2) or "").split()
    return status == 0 and not errors, options


def script_tests(folder):
    """(folder, file) of each script test of a tests/scripts-style folder."""
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if name.endswith(".scr"):
            yield folder, name
        elif os.path.isfile(os.path.join(path, "main.scr")):
            yield path, "main.scr"


class Clean:
    """A script that runs cleanly: where it is and how to check it."""

    def __init__(self, label, folder, script, options=(), setup=None):
        self.label, self.folder, self.script, self.options, self.setup = label, folder, script, list(options), setup


def project_scripts(root, tlv_module):
    found = []
    for base in ("examples", "bench/interp"):
        for folder, _, files in sorted(os.walk(os.path.join(root, base))):
            for name in sorted(files):
                if not name.endswith(".scr"):
                    continue
                path = os.path.join(folder, name)
                if os.path.exists(path[:-4] + ".status"):  # a module test that fails on purpose
                    continue
                with open(path, encoding="utf-8", errors="surrogateescape") as f:
                    uses_tlv = 'use "tlv.so"' in f.read()
                if uses_tlv and not tlv_module:
                    continue
                setup = (lambda d, m=tlv_module: shutil.copy(m, os.path.join(d, "tlv.so"))) if uses_tlv else None
                found.append(Clean(os.path.relpath(path, root), folder, name, setup=setup))
    for base in ("tests/scripts", "tests/cardmodules/scripts", "tests/cardmodules/card", "tests/card/scripts"):
        for folder, name in script_tests(os.path.join(root, base)):
            clean, options = script_test_runs_cleanly(os.path.join(folder, name))
            if clean:
                found.append(Clean(os.path.relpath(os.path.join(folder, name), root), folder, name,
                                   [o for o in options if o == "-d"]))
    return found


def doc_examples(root):
    sys.path.insert(0, os.path.join(root, "tests", "docs"))
    import run_doc_examples
    found = []
    for path in sorted(glob_markdown(os.path.join(root, "docs"))):
        examples, _ = run_doc_examples.collect(path, os.path.relpath(path, root))
        for example in examples:
            if example.kind not in ("run", "card") or example.status != 0:
                continue

            def setup(folder, example=example):
                for name, text in example.files:
                    target = os.path.join(folder, name)
                    os.makedirs(os.path.dirname(target), exist_ok=True)
                    with open(target, "w", encoding="utf-8") as f:
                        f.write(text)
                with open(os.path.join(folder, "example.scr"), "w", encoding="utf-8") as f:
                    f.write(example.block.text)
            found.append(Clean(example.where(), None, "example.scr", setup=setup))
    return found


def glob_markdown(folder):
    for base, _, files in os.walk(folder):
        for name in files:
            if name.endswith(".md"):
                yield os.path.join(base, name)


def acceptance_cases(folder):
    """The cases expecting status 0, each written out as its runner would."""
    found = []
    cases = os.path.join(folder, "cases")
    abi = os.path.join(folder, "abi")
    for base, _, files in sorted(os.walk(cases)):
        for name in sorted(files):
            if not name.endswith(".t"):
                continue
            sections = case_sections(os.path.join(base, name))
            status = [text for kind, text in sections if kind == "exit"]
            if status and int(status[0].split()[0]) != 0:
                continue
            arguments = [text for kind, text in sections if kind == "args"]
            words = arguments[0].split() if arguments else ["main.scr"]
            scripts = [w for w in words if not w.startswith("-")]
            if len(scripts) != 1:
                continue

            def setup(target, sections=sections):
                write_case(sections, target, abi)
            label = "acceptance " + os.path.relpath(os.path.join(base, name), cases)
            found.append(Clean(label, None, scripts[0], [w for w in words if w == "-d"], setup))
    return found


def case_sections(path):
    sections, current = [], None
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines(keepends=True):
            if line.startswith("=== "):
                current = [line[4:].rstrip("\n"), ""]
                sections.append(current)
            elif current is not None:
                current[1] += line
    return [(head.split(" ", 1)[0].rstrip(":") if not head.startswith(("file:", "module:")) else head, text)
            for head, text in sections]


def unescape(data):
    out, i = bytearray(), 0
    simple = {ord("r"): b"\r", ord("n"): b"\n", ord("t"): b"\t", ord("\\"): b"\\"}
    while i < len(data):
        if data[i] == ord("\\") and i + 1 < len(data):
            if data[i + 1] in simple:
                out += simple[data[i + 1]]
                i += 2
                continue
            if data[i + 1] == ord("x") and re.fullmatch(rb"[0-9A-Fa-f]{2}", data[i + 2:i + 4]):
                out.append(int(data[i + 2:i + 4], 16))
                i += 4
                continue
        out.append(data[i])
        i += 1
    return bytes(out)


def write_case(sections, folder, abi):
    for head, text in sections:
        if not head.startswith(("file:", "module:")):
            continue
        words = head.split(" ", 1)[1].split(" ")
        flags = []
        while words and words[-1] in ("noeol", "escaped"):
            flags.append(words.pop())
        name = " ".join(words)
        data = text.encode("utf-8")
        if "noeol" in flags and data.endswith(b"\n"):
            data = data[:-1]
        if "escaped" in flags:
            data = unescape(data)
        target = os.path.join(folder, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
        if head.startswith("module:"):
            subprocess.run(["cc", "-shared", "-fPIC", "-fexceptions", "-I" + abi, target,
                            "-o", target[:-2] + ".so"], check=True)


def check_clean(command, scripts, env):
    failures = 0
    for s in scripts:
        folder = s.folder or tempfile.mkdtemp(prefix="pelorn-check-")
        temporary = s.folder is None
        try:
            if s.setup is not None and s.folder is not None:
                # Set up beside a copy, never in the source tree.
                folder = tempfile.mkdtemp(prefix="pelorn-check-")
                temporary = True
                for name in os.listdir(s.folder):
                    source = os.path.join(s.folder, name)
                    if os.path.isfile(source):
                        shutil.copy(source, folder)
                s.setup(folder)
            elif s.setup is not None:
                s.setup(folder)
            status, out, err = run_check(command, folder, s.script, s.options, env)
        finally:
            if temporary:
                shutil.rmtree(folder, ignore_errors=True)
        if status != 0 or out or err:
            failures += 1
            print("FAIL %s: status %d\n%s%s" % (s.label, status, out, err))
    print("clean: %d scripts, %d not silent" % (len(scripts), failures))
    return failures == 0


# ----------------------------------------------------------------- faults

FIXTURE = re.compile(r"//\s*(check|check status|args):(?: (.*))?$")


def fixture_expectations(path):
    lines, status, options = [], None, []
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = FIXTURE.search(line.rstrip("\n"))
            if not m:
                continue
            if m.group(1) == "check":
                lines.append(m.group(2) or "")
            elif m.group(1) == "check status":
                status = int(m.group(2))
            else:
                options += (m.group(2) or "").split()
    if status is None:
        status = 1 if lines else 0
    return lines, status, options


def check_faults(command, folder, env, keyword):
    failures = total = 0
    for base, script in script_tests(folder):
        if keyword and keyword not in os.path.join(base, script):
            continue
        total += 1
        expected, status, options = fixture_expectations(os.path.join(base, script))
        real = os.path.realpath(base)
        expected = [e.replace("$FILE", script).replace("$DIR", real) for e in expected]
        got_status, out, err = run_check(command, base, script, options, env)
        got = err.splitlines()
        if got != expected or got_status != status or out:
            failures += 1
            print("FAIL %s\n  expected (status %d):\n    %s\n  got (status %d):\n    %s%s"
                  % (os.path.relpath(os.path.join(base, script), folder), status, "\n    ".join(expected),
                     got_status, "\n    ".join(got), "\n  stdout: " + out if out else ""))
    print("faults: %d fixtures, %d failed" % (total, failures))
    return failures == 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pelorn", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--acceptance")
    parser.add_argument("--tlv-module")
    parser.add_argument("--module-path")
    parser.add_argument("-k", dest="keyword")
    parser.add_argument("part", choices=["clean", "faults"])
    args = parser.parse_args()
    command = [os.path.abspath(args.pelorn), "--check"]
    env = dict(os.environ, LC_ALL="C")
    env.pop("PELORN_MODULE_PATH", None)
    if args.module_path:
        env["PELORN_MODULE_PATH"] = args.module_path
    if args.part == "faults":
        return 0 if check_faults(command, os.path.join(HERE, "faults"), env, args.keyword) else 1
    scripts = project_scripts(args.source, args.tlv_module) + doc_examples(args.source)
    if args.acceptance and os.path.isdir(args.acceptance):
        scripts += acceptance_cases(args.acceptance)
    if args.keyword:
        scripts = [s for s in scripts if args.keyword in s.label]
    return 0 if check_clean(command, scripts, env) else 1


if __name__ == "__main__":
    sys.exit(main())
