#!/usr/bin/env python3
"""Runs the examples of the documentation (every docs/**/*.md file), so that
the guide cannot drift from the engine.

Fenced blocks, by their info string:

    pelorn               an example script: saved as example.scr in a fresh
                         temporary folder and run there with
                         `pelornrun example.scr` (the --runner)
    pelorn card          the same against the virtual card (pelorn-vcard
    pelorn card card=F   with examples/demo.card, or examples/F), in a
                         private PC/SC stack: only with --card
    pelorn norun         compiled only (a fragment that cannot run alone)
    output               right after an example (only blank lines between):
    output status=N      what the terminal shows, standard output and
                         standard error together; the run must exit 0, or N
    file NAME            written into the temporary folder of the next
                         example or console block
    console              `$ ` lines are shell commands run one after the
                         other in a fresh temporary folder, with the build
                         folder first on PATH (and `pelornrun` being the
                         --runner); the other lines are what they print
                         (both streams)

The temporary folder is shown as /home/me. Output is compared line by line,
without the spaces that end a line and without trailing empty lines (an
editor may strip them). Other fenced blocks are not run.

With --registry, the names of the engine's global built-in list must be the
ones documented in docs/language.md: headings holding "`Name(...)`" under
"## Built-in routines" (one or more names; with "→ type" for functions,
without for procedures) and table rows "| `Name` |" under "## Predefined
variables". With --engine, the fixed text of every message of the engine
(engine/*/messages.h, engine/interp/apdu_texts.h) must stand in that guide.

    run_doc_examples.py --runner PELORNRUN --build BUILD [--compile-only TOOL]
                        [--registry TOOL] [--engine ENGINE]
                        [--card --vcard VCARD --examples EXAMPLES] [-k TEXT] DOCS

The runner may be a wrapper (the valgrind one, for instance): examples and
console blocks then run under it.
"""
import argparse
import difflib
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SHOWN_FOLDER = "/home/me"
TIMEOUT = 60
FENCE = re.compile(r"^(\s*)(`{3,}|~{3,})\s*(.*?)\s*$")
MARKER = "\x01pelorn-doc-command-done\x01"


class Block:
    def __init__(self, path, line, info, text, end):
        self.path, self.line, self.info, self.text, self.end = path, line, info, text, end

    def where(self):
        return "%s:%d" % (self.path, self.line)


def fenced_blocks(path, shown):
    """The fenced blocks of a Markdown file, with the line of each fence and
    the line after its closing fence."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    blocks, i = [], 0
    while i < len(lines):
        m = FENCE.match(lines[i])
        if not m:
            i += 1
            continue
        indent, fence, info = len(m.group(1)), m.group(2), m.group(3)
        body, j = [], i + 1
        while j < len(lines):
            close = FENCE.match(lines[j])
            if close and close.group(2)[0] == fence[0] and len(close.group(2)) >= len(fence) and not close.group(3):
                break
            line = lines[j]
            body.append(line[indent:] if line[:indent].strip() == "" else line.lstrip())
            j += 1
        blocks.append(Block(shown, i + 1, info, "\n".join(body) + ("\n" if body else ""), j + 1))
        i = j + 1
    # Whether only blank lines separate each block from the one before.
    for previous, block in zip(blocks, blocks[1:]):
        between = lines[previous.end:block.line - 1]
        block.adjacent = all(not l.strip() for l in between)
    if blocks:
        blocks[0].adjacent = False
    return blocks


class Example:
    def __init__(self, kind, block, files, card=None):
        self.kind = kind              # "run", "card", "norun", "console"
        self.block = block
        self.files = files            # [(name, text)]
        self.card = card
        self.output = None            # expected text, for run and card
        self.status = 0

    def where(self):
        return self.block.where()


def collect(path, shown):
    """The examples of one file, and the mistakes in its blocks."""
    examples, problems, pending = [], [], []
    blocks = fenced_blocks(path, shown)
    previous = None
    for block in blocks:
        words = block.info.split()
        kind = words[0] if words else ""
        if kind == "file":
            if len(words) != 2:
                problems.append("%s: a file block names one file" % block.where())
            else:
                pending.append((words[1], block.text))
        elif kind == "pelorn":
            options = words[1:]
            card = None
            if options[:1] == ["card"]:
                card = "demo.card"
                for option in options[1:]:
                    if option.startswith("card="):
                        card = option[len("card="):]
                    else:
                        problems.append("%s: unknown option %r" % (block.where(), option))
                examples.append(Example("card", block, pending, card))
            elif options == ["norun"]:
                examples.append(Example("norun", block, pending))
            elif not options:
                examples.append(Example("run", block, pending))
            else:
                problems.append("%s: unknown example kind %r" % (block.where(), block.info))
            pending = []
        elif kind == "output":
            example = examples[-1] if examples else None
            if example is None or example.block is not previous or not block.adjacent \
                    or example.kind not in ("run", "card"):
                problems.append("%s: an output block follows a runnable example directly" % block.where())
            else:
                example.output = block.text
                for option in words[1:]:
                    m = re.fullmatch(r"status=(\d+)", option)
                    if m:
                        example.status = int(m.group(1))
                    else:
                        problems.append("%s: unknown option %r" % (block.where(), option))
        elif kind == "console":
            examples.append(Example("console", block, pending))
            pending = []
        previous = block
    if pending:
        problems.append("%s: file block(s) with no example after them" % shown)
    return examples, problems


def comparable(text):
    lines = [l.rstrip() for l in text.replace("\r\n", "\n").split("\n")]
    while lines and not lines[-1]:
        lines.pop()
    return lines


def shown_text(text, folder):
    for f in {os.path.realpath(folder), folder}:
        text = text.replace(f, SHOWN_FOLDER)
    return text


def difference(expected, got, where):
    diff = difflib.unified_diff(comparable(expected), comparable(got), "expected (%s)" % where, "got", lineterm="")
    return "\n".join(diff)


def prepare(example):
    folder = tempfile.mkdtemp(prefix="pelorn-doc-")
    for name, text in example.files:
        target = os.path.join(folder, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "w", encoding="utf-8") as f:
            f.write(text)
    return folder


def environment(build, shims):
    env = dict(os.environ)
    env.pop("PELORN_MODULE_PATH", None)
    env["PATH"] = os.pathsep.join([shims, build, env.get("PATH", "")])
    env["LC_ALL"] = "C"
    return env


def runner_shims(runner):
    """A folder whose `pelornrun` is the runner, for the console blocks."""
    folder = tempfile.mkdtemp(prefix="pelorn-doc-bin-")
    os.symlink(runner, os.path.join(folder, "pelornrun"))
    return folder


def run_script(example, command, env):
    """Runs an example script; a list of problems (empty when it passed)."""
    folder = prepare(example)
    try:
        with open(os.path.join(folder, "example.scr"), "w", encoding="utf-8") as f:
            f.write(example.block.text)
        try:
            proc = subprocess.run(command + ["example.scr"], cwd=folder, env=env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            return ["%s: no end after %d s" % (example.where(), TIMEOUT)]
        got = shown_text(proc.stdout.decode("utf-8", errors="replace"), folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    problems = []
    if example.kind == "norun":
        if proc.returncode != 0:
            problems.append("%s: does not compile\n%s" % (example.where(), got))
        return problems
    if example.output is not None and comparable(got) != comparable(example.output):
        problems.append("%s: output differs\n%s" % (example.where(), difference(example.output, got, example.where())))
    if proc.returncode != example.status:
        problems.append("%s: exit status %d, expected %d\n%s"
                        % (example.where(), proc.returncode, example.status, got))
    return problems


def console_commands(example):
    """[(command, expected output)] of a console block."""
    commands, problems = [], []
    lines = example.block.text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("$ "):
            command = line[2:]
            while command.endswith("\\") and i + 1 < len(lines):
                i += 1
                command += "\n" + lines[i]
            commands.append([command, ""])
        elif not commands:
            problems.append("%s: output before the first command" % example.where())
        else:
            commands[-1][1] += line + "\n"
        i += 1
    return commands, problems


def run_console(example, env):
    commands, problems = console_commands(example)
    if problems:
        return problems
    folder = prepare(example)
    env = dict(env, HOME=folder)
    script = "exec 2>&1\ncd %s || exit 99\n" % shell_quote(folder)
    for command, _ in commands:
        script += command + "\n__doc_status=$?; printf '%s\\n' " + shell_quote(MARKER) + "; (exit $__doc_status)\n"
    try:
        try:
            proc = subprocess.run(["bash", "--norc", "--noprofile"], input=script.encode(), env=env, cwd=folder,
                                  stdout=subprocess.PIPE, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            return ["%s: no end after %d s" % (example.where(), TIMEOUT)]
        out = shown_text(proc.stdout.decode("utf-8", errors="replace"), folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    pieces = out.split(MARKER + "\n")
    for n, (command, expected) in enumerate(commands):
        got = pieces[n] if n < len(pieces) else "(the block ended before this command ran)\n"
        if comparable(got) != comparable(expected):
            problems.append("%s: `%s` prints otherwise\n%s"
                            % (example.where(), command, difference(expected, got, example.where())))
    return problems


def shell_quote(text):
    return "'" + text.replace("'", "'\\''") + "'"


# ------------------------------------------------------------------ registry

def documented_names(guide):
    """({routine: is function}, {variable}) as the guide documents them."""
    routines, variables, section = {}, set(), None
    with open(guide, encoding="utf-8") as f:
        inside_fence = False
        for line in f:
            if FENCE.match(line):
                inside_fence = not inside_fence
                continue
            if inside_fence:
                continue
            if line.startswith("## "):
                section = line[3:].strip()
                continue
            if section == "Built-in routines" and re.match(r"#{3,4} `", line):
                for name in re.findall(r"`(\w+)\(", line):
                    routines[name] = "→" in line
            elif section == "Predefined variables":
                m = re.match(r"\|\s*`(\w+)`\s*\|", line)
                if m:
                    variables.add(m.group(1))
    return routines, variables


def check_registry(tool, guide, top):
    listing = subprocess.run([tool], capture_output=True, text=True, check=True).stdout.split("\n")
    registered_routines, registered_variables = {}, set()
    for line in listing:
        if not line:
            continue
        kind, name = line.split(" ", 1)
        if kind == "variable":
            registered_variables.add(name)
        else:
            registered_routines[name] = kind == "function"
    routines, variables = documented_names(guide)
    guide = os.path.relpath(guide, top)
    problems = []
    for name in sorted(set(registered_routines) - set(routines)):
        problems.append("%s: built-in %s is not documented under \"## Built-in routines\"" % (guide, name))
    for name in sorted(set(routines) - set(registered_routines)):
        problems.append("%s: %s is documented as a built-in, but the engine has none of that name" % (guide, name))
    for name in sorted(set(routines) & set(registered_routines)):
        if routines[name] != registered_routines[name]:
            problems.append("%s: %s is a %s: its heading %s \"→ type\"" % (
                guide, name, "function" if registered_routines[name] else "procedure",
                "needs" if registered_routines[name] else "has no"))
    for name in sorted(registered_variables - variables):
        problems.append("%s: predefined variable %s is not in the \"## Predefined variables\" table" % (guide, name))
    for name in sorted(variables - registered_variables):
        problems.append("%s: %s is documented as a predefined variable, but the engine has none" % (guide, name))
    return problems, len(registered_routines) + len(registered_variables)


# ------------------------------------------------------------------ messages

MESSAGE_FILES = ["*/messages.h", "interp/apdu_texts.h"]
PRINTF_CONVERSION = re.compile(r"%(?:\.\d+)?(?:ll|l)?[sdXxu]|%%")
# Texts no script meets: the run budget exists in fuzzing builds only.
UNSEEN_MESSAGES = {"Runtime error : run budget spent."}


def message_texts(engine):
    """Every message text of the engine, its C string literals joined."""
    texts = []
    for pattern in MESSAGE_FILES:
        for path in sorted(glob.glob(os.path.join(engine, pattern))):
            with open(path, encoding="utf-8") as f:
                source = re.sub(r"//[^\n]*", "", f.read())
            for m in re.finditer(r'(?:"(?:[^"\\]|\\.)*"\s*)+', source):
                pieces = re.findall(r'"((?:[^"\\]|\\.)*)"', m.group(0))
                text = "".join(pieces).encode("utf-8").decode("unicode_escape")
                texts.append((os.path.relpath(path, os.path.dirname(engine)), text))
    return texts


# The static check's warnings are the pelorn command's, documented with it.
COMMAND_MESSAGES = "engine/check/"


def check_messages(engine, docs, top):
    """Every message's fixed text (what lies between its conversions) must
    stand in the guide (the static check's in the command's page), so a new
    message cannot go undocumented."""
    texts = {}
    for page in ("language.md", "command.md"):
        with open(os.path.join(docs, page), encoding="utf-8") as f:
            texts[page] = re.sub(r"\s+", " ", f.read().replace("`", "").replace("\\|", "|"))
    problems = []
    for path, text in message_texts(engine):
        if text in UNSEEN_MESSAGES:
            continue
        page = "command.md" if path.startswith(COMMAND_MESSAGES) else "language.md"
        guide, documented = os.path.join(docs, page), texts[page]
        for piece in PRINTF_CONVERSION.split(text.replace("%s(%d) : ", "")):
            piece = re.sub(r"\s+", " ", piece).strip()
            if len(piece) >= 6 and piece not in documented:
                problems.append("%s: the message text %r of %s is not in the guide"
                                % (os.path.relpath(guide, top), piece, path))
    return problems


# ---------------------------------------------------------------------- main

class CardReader:
    """The virtual card in reader 0, showing the profile each example asks for."""

    def __init__(self, vcard, examples_folder):
        sys.path.insert(0, os.path.join(HERE, "..", "card"))
        from run_card_scripts import VirtualReader  # noqa: E402
        self.work = tempfile.mkdtemp(prefix="pelorn-doc-card-")
        self.examples = examples_folder
        self.reader = VirtualReader(vcard, 0, self.work)

    def show(self, profile):
        # Every example gets the card as its profile describes it: what an
        # earlier example wrote into its files is gone.
        self.reader.show("empty")
        self.reader.show(os.path.join(self.examples, profile))

    def close(self):
        self.reader.close()
        shutil.rmtree(self.work, ignore_errors=True)


def markdown_files(docs):
    found = []
    for root, dirs, files in os.walk(docs):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(".md"):
                found.append(os.path.join(root, name))
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", required=True, help="pelornrun, or a wrapper of it")
    parser.add_argument("--build", required=True, help="the build folder (pelorn, pelorn-vcard)")
    parser.add_argument("--compile-only", help="the tool that compiles a script without running it")
    parser.add_argument("--registry", help="the tool that lists the engine's built-in names")
    parser.add_argument("--engine", help="the engine's sources, whose messages the guide must hold")
    parser.add_argument("--card", action="store_true", help="run the `pelorn card` examples (and only them)")
    parser.add_argument("--vcard", help="pelorn-vcard")
    parser.add_argument("--examples", help="the examples folder, where card profiles are")
    parser.add_argument("-k", default="", help="only the examples whose FILE:LINE holds this text")
    parser.add_argument("docs")
    options = parser.parse_args()

    build = os.path.abspath(options.build)
    docs = os.path.abspath(options.docs)
    top = os.path.dirname(docs)
    runner = [os.path.abspath(options.runner)]
    shims = runner_shims(runner[0])
    env = environment(build, shims)
    if options.card and os.environ.get("PELORN_CARD_STACK") != "private":
        print("run me through tests/card/with-card-stack.sh")
        return 2

    problems, examples = [], []
    for path in markdown_files(docs):
        found, mistakes = collect(path, os.path.relpath(path, top))
        examples += found
        problems += mistakes

    counts = {"run": 0, "card": 0, "norun": 0, "console": 0}
    left = 0
    reader = None
    try:
        for example in examples:
            if options.k not in example.where():
                continue
            if (example.kind == "card") != options.card:
                left += 1
                continue
            if example.kind == "norun" and not options.compile_only:
                left += 1
                continue
            counts[example.kind] += 1
            if example.kind == "console":
                problems += run_console(example, env)
            elif example.kind == "norun":
                problems += run_script(example, [os.path.abspath(options.compile_only)], env)
            elif example.kind == "card":
                if reader is None:
                    reader = CardReader(os.path.abspath(options.vcard), os.path.abspath(options.examples))
                reader.show(example.card)
                problems += run_script(example, runner, env)
            else:
                problems += run_script(example, runner, env)
    finally:
        if reader is not None:
            reader.close()
        shutil.rmtree(shims, ignore_errors=True)

    names = 0
    if options.registry and not options.card:
        found, names = check_registry(os.path.abspath(options.registry), os.path.join(docs, "language.md"), top)
        problems += found
    if options.engine and not options.card:
        problems += check_messages(os.path.abspath(options.engine), docs, top)

    for problem in problems:
        print("FAIL " + problem + "\n")
    ran = sum(counts.values())
    print("%d doc examples run (%d scripts, %d card scripts, %d compiled only, %d console blocks), "
          "%d not run here, %d built-in names checked, %d problems"
          % (ran, counts["run"], counts["card"], counts["norun"], counts["console"], left, names, len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
