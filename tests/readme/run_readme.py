#!/usr/bin/python3
"""Runs the command blocks of the README as a new user would, and checks the
rest of what the README promises.

  run_readme.py SOURCE_DIR BUILD_DIR

How the README's fenced blocks are read:

  ```sh        run, in order, by bash (errexit, pipefail) in one fresh scratch
               folder (mktemp -d), with BUILD_DIR first on PATH and Qt's
               offscreen platform; so a block may use what an earlier one
               wrote, and none can write into the source tree. A non-zero
               status fails the test.
  ```sh needs-openems
               run the same way when openEMS (openEMS and nf2ff) is
               installed; skipped without it, except under CI=true, which
               installs every tool, so a skip there fails.
  ```text      what the nearest ```sh block above it prints, as a terminal
               shows it (standard output and error): each line must appear
               in it, in order; "..." in a line stands for any text, and
               ~N for a number within one unit of N's last digit, for the
               solver's figures, which vary a little from run to run.
  ```console   not run: it needs root and apt, a display, or it is the test
               command itself. Each command in it is checked instead: a path
               (tools/install-deps.sh, build/dev/tessivar) must be a file of
               the source tree or a program of the build, a bare name a
               program on PATH (or sudo and apt, which install the rest),
               and `--preset NAME` a preset of CMakePresets.json.

The block under "Run the tests" is the test command, which must be one line
that .ci/run runs. Every relative link and picture of the README and of
docs/*.md must name a file of the tree (and a heading of it, after a #).
The full-wave runs keep their results in the scratch folder, not in the
user's cache, so each test run checks afresh. TESSIVAR_TEST_HIDE_TOOLS="openEMS" counts openEMS as missing.
Exit status: 0 passed, 1 failed, 77 passed with the openEMS blocks skipped.
"""
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
# Seconds a block may take: the openEMS ones run the solver several times.
PLAIN_TIMEOUT = 300
SOLVER_TIMEOUT = 3000
SYSTEM_COMMANDS = {"sudo", "apt", "apt-get"}
SHELL_WORDS = {"export", "cd", "(", ")"}


def blocks(text):
    """Each fenced block: (info words, body, line number of its fence)."""
    found = []
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        m = re.match(r"^```(.*)$", lines[i])
        if not m:
            i += 1
            continue
        start = i + 1
        j = start
        while j < len(lines) and lines[j] != "```":
            j += 1
        if j == len(lines):
            raise SystemExit(f"README line {i + 1}: a block that is never closed")
        found.append((m.group(1).split(), "\n".join(lines[start:j]), i + 1))
        i = j + 1
    return found


NUMBER = r"[-+]?[0-9]+(?:\.[0-9]*)?(?:e[-+]?[0-9]+)?"


def line_pattern(want):
    """A regular expression for an expected line, and the numbers it asks
    for as ~N: "..." stands for any text, ~N for a number within one unit of
    N's last digit (~2.297: 2.296 to 2.298)."""
    near = []
    regex = ""
    for k, part in enumerate(re.split(r"(~" + NUMBER + ")", want.strip())):
        if k % 2:
            near.append(part[1:])
            regex += "(" + NUMBER + ")"
        else:
            regex += ".*".join(re.escape(p) for p in part.split("..."))
    return re.compile(regex), near


def close_to(got, want):
    digits = len(want.split(".")[1]) if "." in want else 0
    return abs(float(got) - float(want)) <= 10.0**-digits * (1 + 1e-9)


def matches(line, pattern, near):
    m = pattern.fullmatch(line.strip())
    return m is not None and all(close_to(g, w) for g, w in zip(m.groups(), near))


def expected_in(output, expected):
    """Whether every line of `expected` appears in `output` in order (see
    line_pattern); the first line that does not, or None."""
    got = output.split("\n")
    at = 0
    for want in [w for w in expected.split("\n") if w.strip()]:
        pattern, near = line_pattern(want)
        while at < len(got) and not matches(got[at], pattern, near):
            at += 1
        if at == len(got):
            return want
        at += 1
    return None


def under_ci():
    return os.environ.get("CI", "") not in ("", "false", "0")


def have_openems():
    hidden = os.environ.get("TESSIVAR_TEST_HIDE_TOOLS", "").split()
    return "openEMS" not in hidden and all(shutil.which(t) for t in ("openEMS", "nf2ff"))


def simple_commands(block):
    """The commands of a console block, as lists of words."""
    commands = []
    for line in block.replace("\\\n", " ").split("\n"):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        lexer = shlex.shlex(line, posix=True, punctuation_chars=True)
        lexer.whitespace_split = True
        words = []
        for w in list(lexer) + [";"]:
            if w in ("&&", "||", ";", "|", "(", ")"):
                if words:
                    commands.append(words)
                words = []
            else:
                words.append(w)
    return commands


def check_console(body, source, build, presets):
    """The reasons the commands of a console block would not run here."""
    faults = []
    for words in simple_commands(body):
        while words and "=" in words[0] and not words[0].startswith("-"):
            words = words[1:]  # VAR=value before a command
        if not words or words[0] in SHELL_WORDS:
            continue
        if words[0] == "sudo":
            words = words[1:]
        program = words[0]
        if "/" in program:
            in_build = program.startswith("build/dev/") and os.access(
                os.path.join(build, program[len("build/dev/"):]), os.X_OK)
            if not in_build and not os.access(os.path.join(source, program), os.X_OK):
                faults.append(f"{program} is neither a program of the tree nor of the build")
        elif program not in SYSTEM_COMMANDS and not shutil.which(program):
            faults.append(f"{program} is not on PATH")
        for k, w in enumerate(words[:-1]):
            if w == "--preset" and words[k + 1] not in presets:
                faults.append(f"no preset {words[k + 1]} in CMakePresets.json")
    return faults


def check_links(source):
    """Relative links and pictures of the README and docs/*.md that name no file."""
    faults = []
    pages = ["README.md"] + ["docs/" + p for p in sorted(os.listdir(os.path.join(source, "docs")))
                             if p.endswith(".md")]
    for page in pages:
        text = open(os.path.join(source, page), encoding="utf-8").read()
        text = re.sub(r"```.*?```", "", text, flags=re.S)
        for target in re.findall(r"\]\(([^)\s]+)\)", text):
            if re.match(r"^[a-z]+:", target) or target.startswith("#"):
                continue
            name, _, anchor = target.partition("#")
            path = os.path.normpath(os.path.join(source, os.path.dirname(page), name))
            if not os.path.exists(path):
                faults.append(f"{page}: the link {target} names no file")
            elif anchor and path.endswith(".md") and anchor not in anchors(path):
                faults.append(f"{page}: the link {target} names no heading of {name}")
    return faults


def anchors(path):
    """The anchors a Markdown page's headings get: lower case, spaces as
    hyphens, other punctuation left out."""
    text = re.sub(r"```.*?```", "", open(path, encoding="utf-8").read(), flags=re.S)
    return {re.sub(r"[^\w\- ]", "", h.strip().lower()).replace(" ", "-")
            for h in re.findall(r"^#+ (.*)$", text, flags=re.M)}


def test_command(text, source):
    """The reasons the README's test command is not the one .ci/run runs."""
    m = re.search(r"^## Run the tests\n(.*?)(?=^## |\Z)", text, flags=re.S | re.M)
    if not m:
        return ['no "## Run the tests" section']
    found = blocks(m.group(1))
    if not found:
        return ['no command under "Run the tests"']
    command = found[0][1].strip()
    if "\n" in command:
        return ["the test command is not one line"]
    ci = open(os.path.join(source, ".ci/run"), encoding="utf-8").read().split("\n")
    if command not in (line.strip() for line in ci):
        return [f".ci/run does not run the README's test command ({command})"]
    return []


def main():
    source, build = (os.path.abspath(a) for a in sys.argv[1:3])
    text = open(os.path.join(source, "README.md"), encoding="utf-8").read()
    with open(os.path.join(source, "CMakePresets.json"), encoding="utf-8") as f:
        presets = {p["name"] for p in json.load(f)["configurePresets"]}
    faults = check_links(source) + test_command(text, source)
    skipped = 0
    scratch = tempfile.mkdtemp(prefix="tessivar-readme-")
    env = dict(os.environ, PATH=build + os.pathsep + os.environ.get("PATH", ""),
               QT_QPA_PLATFORM="offscreen", HOME=scratch,
               XDG_CACHE_HOME=os.path.join(scratch, ".cache"),
               XDG_STATE_HOME=os.path.join(scratch, ".state"),
               XDG_CONFIG_HOME=os.path.join(scratch, ".config"))
    last_output = None
    try:
        for info, body, line in blocks(text):
            kind = info[0] if info else ""
            where = f"README line {line}"
            if kind == "console":
                faults += [f"{where}: {f}" for f in check_console(body, source, build, presets)]
            elif kind == "text":
                if last_output is SKIPPED:
                    continue
                if last_output is None:
                    faults.append(f"{where}: expected output with no block run above it")
                    continue
                missing = expected_in(last_output, body)
                if missing is not None:
                    faults.append(f"{where}: the block above does not print\n  {missing}\n"
                                  f"it printed:\n{last_output}")
            elif kind == "sh":
                last_output = None
                solver = "needs-openems" in info
                if solver and not have_openems():
                    last_output = SKIPPED
                    if under_ci():
                        faults.append(f"{where}: openEMS is missing (Debian package openems)")
                    else:
                        print(f"{where}: skipped, openEMS is not installed")
                        skipped += 1
                    continue
                print(f"{where}: running", flush=True)
                try:
                    run = subprocess.run(["bash", "-e", "-o", "pipefail", "-c", body], cwd=scratch,
                                         env=env, stdout=subprocess.PIPE,
                                         stderr=subprocess.STDOUT, text=True,
                                         timeout=SOLVER_TIMEOUT if solver else PLAIN_TIMEOUT)
                except subprocess.TimeoutExpired:
                    faults.append(f"{where}: did not end in time")
                    continue
                last_output = run.stdout
                if run.returncode != 0:
                    faults.append(f"{where}: exit status {run.returncode}\n{run.stdout}")
            elif kind:
                faults.append(f"{where}: a block of kind '{kind}' (sh, text or console)")
            else:
                faults.append(f"{where}: a block without a kind (sh, text or console)")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    for f in faults:
        print("FAIL " + f)
    if faults:
        return 1
    return SKIPPED if skipped else 0


if __name__ == "__main__":
    sys.exit(main())
