#!/usr/bin/env python3
"""Checks that the engine's #include lines follow its layer order.

Each file of engine/ belongs to a layer; a file may include files of its own
layer and of the layers below it, never of a layer above. engine/README.md
describes the order. The first matching prefix names a file's layer.

    tools/check-layers.py [ENGINE_DIR]
"""
import os
import re
import sys

# Lowest first.
LAYERS = [
    ("channels", ["api/channels.h", "api/exceptions.h", "api/interrupt.h", "api/unattended.h"]),
    ("value", ["value/"]),
    ("builtins", ["builtins/"]),
    ("card", ["card/"]),
    ("interp", ["interp/"]),
    ("front", ["front/"]),
    ("check", ["check/"]),
    ("api", ["api/"]),
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path):
    for rank, (_, prefixes) in enumerate(LAYERS):
        if any(path == p or (p.endswith("/") and path.startswith(p)) for p in prefixes):
            return rank
    return None


def main():
    engine = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "engine")
    problems = []
    for folder, _, files in os.walk(engine):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp", ".y", ".l")):
                continue
            path = os.path.relpath(os.path.join(folder, name), engine)
            own = layer_of(path)
            if own is None:
                problems.append("%s: in no layer" % path)
                continue
            with open(os.path.join(folder, name), encoding="utf-8") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    included = layer_of(match.group(1))
                    if included is not None and included > own:
                        problems.append("%s:%d: %s (%s) includes %s (%s)" % (
                            path, number, path, LAYERS[own][0], match.group(1), LAYERS[included][0]))
    for problem in problems:
        print(problem)
    if problems:
        sys.exit(1)
    print("layer order kept: %s" % " < ".join(name for name, _ in LAYERS))


if __name__ == "__main__":
    main()
