#!/usr/bin/env python3
"""Runs the project's own tests (the CTest list of a build) under valgrind
memcheck: any memory error or leak fails.

    tests/valgrind/project.py [build dir] [-k NAME]...

Every native test program runs under memcheck; where a test drives
pelornrun (the script tests) or pelorn (the command tests), the program is
swapped for pelornrun-memcheck or pelorn-memcheck.
The GoogleTest cases of one program run in a single memcheck process rather
than one per case. The card tests need what their own CTest run needs (root
and namespaces) and are skipped with it.
"""
import argparse
import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SKIPPED = 77


def memcheck_prefix():
    return ["valgrind", "--quiet", "--error-exitcode=97", "--leak-check=full",
            "--show-leak-kinds=definite,indirect,possible",
            "--errors-for-leak-kinds=definite,indirect,possible", "--track-fds=no",
            "--suppressions=" + os.path.join(HERE, "pelorn.supp")]


def is_native(path):
    try:
        with open(path, "rb") as f:
            return f.read(4) == b"\x7fELF"
    except OSError:
        return False


def under_memcheck(command, wrappers, build):
    """The test's command with memcheck put in front of its native program,
    or with pelornrun and pelorn swapped for their memcheck wrappers. Only
    the project's own programs are checked: a test that an outside program
    runs (python3 with a third-party extension, say) has nothing of ours to
    check in that process."""
    if any(program in command for program in wrappers):
        return [wrappers.get(part, part) for part in command]
    for i, part in enumerate(command):
        if os.path.isabs(part) and is_native(part) and os.access(part, os.X_OK):
            if not part.startswith(build + os.sep):
                return None
            return command[:i] + memcheck_prefix() + command[i:]
    return None


def collect(build):
    listing = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, check=True,
                             capture_output=True, text=True).stdout
    jobs, programs = [], set()
    for test in json.loads(listing)["tests"]:
        command = test.get("command")
        if not command:
            continue
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        settings = {
            "cwd": properties.get("WORKING_DIRECTORY", build),
            "env": dict(entry.split("=", 1) for entry in properties.get("ENVIRONMENT", [])),
        }
        program = command[0]
        if any(part.startswith("--gtest_filter") for part in command):
            if program not in programs:  # one memcheck process per program
                programs.add(program)
                jobs.append((os.path.basename(program), [program], settings))
            continue
        jobs.append((test["name"], command, settings))
    return jobs


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default=os.path.join(ROOT, "build"))
    parser.add_argument("-k", action="append", default=[])
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    runner = os.path.join(build, "pelornrun")
    wrappers = {runner: os.path.join(HERE, "pelornrun-memcheck"),
                os.path.join(build, "pelorn"): os.path.join(HERE, "pelorn-memcheck")}
    failed = []
    for name, command, settings in collect(build):
        if args.k and not any(k in name for k in args.k):
            continue
        wrapped = under_memcheck(command, wrappers, build)
        if wrapped is None:
            print("%-24s no native program to check" % name)
            continue
        started = time.monotonic()
        # Card tests that act on a timer wait longer for the slow start.
        env = dict(os.environ, PELORN_VALGRIND_RUNNER=runner, PELORN_VALGRIND_COMMAND=os.path.join(build, "pelorn"),
                   PELORN_TEST_SLOWDOWN="10", **settings["env"])
        status = subprocess.run(wrapped, cwd=settings["cwd"], env=env).returncode
        verdict = {0: "ok", SKIPPED: "skipped"}.get(status, "FAILED (%d)" % status)
        print("%-24s %s (%.0f s)" % (name, verdict, time.monotonic() - started), flush=True)
        if status not in (0, SKIPPED):
            failed.append(name)
    if failed:
        sys.exit("under memcheck, failed: " + ", ".join(failed))


if __name__ == "__main__":
    main()
