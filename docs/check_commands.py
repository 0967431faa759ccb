#!/usr/bin/python3
"""Runs the commands of the documents as written and compares what they print.

    check_commands.py SOURCE_DIR BUILD_DIR PROGRAM_DIR...

Documents: README.md, CONTRIBUTING.md, docs/*.md and the man pages packaging/man/*.1.

A fenced block of a Markdown document carries a language tag. Blocks tagged `sh` (commands) or
`console` (a transcript: commands after "$ ", each followed by what it prints) are command blocks;
the line before each one is a marker (CONTRIBUTING.md describes them):
    <!-- docs-test: run -->            the test runs it
    <!-- docs-test: slow -->           the test runs it when DETECTION_DOCS_SLOW is set (scripts/test --full)
    <!-- docs-test: skip REASON -->    not run here (a cluster, other hosts, a display, a whole build)
In a man page the marker is the comment line `.\\" docs-test: ...` before `.Bd -literal`.

The blocks of one document run in order in one temporary folder that looks like a checkout
(every top-level entry of the sources linked into it, build/test leading to BUILD_DIR), with
the PROGRAM_DIRs first on PATH. A block of commands runs under `bash -e -o pipefail`; in a
transcript every command must succeed unless the next one is `echo $?`, and the output shown
after a command (standard output and standard error) must be what it prints. ctest refuses a
selection that matches no test (--no-tests=error).
"""
import os
import pathlib
import re
import subprocess
import sys
import tempfile

MARKER = re.compile(r"<!--\s*docs-test:\s*(run|slow|skip)\b\s*(.*?)\s*-->")
MAN_MARKER = re.compile(r'^\.\\"\s*docs-test:\s*(run|slow|skip)\b\s*(.*)$')
COMMAND_TAGS = {"sh", "console"}
PRELUDE = 'ctest() { command ctest --no-tests=error "$@"; }\n'
TIMEOUT = 600


class Block:
    def __init__(self, document, line, tag, text, marker, reason):
        self.document, self.line, self.tag, self.text = document, line, tag, text
        self.marker, self.reason = marker, reason

    def where(self):
        return f"{self.document}:{self.line}"


def markdown_blocks(path, name, problems):
    blocks = []
    lines = path.read_text(encoding="utf-8").splitlines()
    i = 0
    previous = ""
    while i < len(lines):
        line = lines[i]
        fence = re.match(r"^(\s*)```(.*)$", line)
        if not fence:
            if line.strip():
                previous = line.strip()
            i += 1
            continue
        tag = fence.group(2).strip()
        start = i + 1
        i += 1
        body = []
        while i < len(lines) and not lines[i].strip().startswith("```"):
            body.append(lines[i][len(fence.group(1)):] if lines[i].startswith(fence.group(1)) else lines[i])
            i += 1
        i += 1
        if not tag:
            problems.append(f"{name}:{start}: a fenced block without a language tag (sh, console, text, ...)")
        elif tag in COMMAND_TAGS:
            marker = MARKER.fullmatch(previous)
            if not marker:
                problems.append(f"{name}:{start}: a {tag} block without a docs-test marker before it")
            else:
                blocks.append(Block(name, start, tag, "\n".join(body) + "\n", marker.group(1), marker.group(2)))
        previous = ""
    return blocks


def unescape_roff(text):
    return (text.replace("\\e", "\\").replace("\\-", "-").replace("\\&", "").replace("\\(aq", "'")
            .replace("\\(dq", '"'))


def man_blocks(path, name, problems):
    blocks = []
    lines = path.read_text(encoding="utf-8").splitlines()
    previous = ""
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith(".Bd -literal"):
            start = i + 1
            body = []
            i += 1
            while i < len(lines) and not lines[i].startswith(".Ed"):
                body.append(unescape_roff(lines[i]))
                i += 1
            if body and body[0].startswith("$ "):
                marker = MAN_MARKER.match(previous)
                if not marker:
                    problems.append(f"{name}:{start}: an example without a docs-test marker before it")
                else:
                    blocks.append(Block(name, start, "console", "\n".join(body) + "\n", marker.group(1),
                                        marker.group(2).strip()))
        previous = line
        i += 1
    return blocks


def transcript(text):
    """The commands of a transcript with the output shown after each."""
    steps = []
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("$ "):
            command = line[2:]
            while command.endswith("\\") and i + 1 < len(lines):
                i += 1
                command += "\n" + lines[i]
            steps.append([command, []])
        elif steps:
            steps[-1][1].append(line)
        i += 1
    return [(command, "\n".join(shown).rstrip()) for command, shown in steps]


def run_script(script, folder, env):
    return subprocess.run(["bash", "-o", "pipefail", "-c", PRELUDE + script], cwd=folder, env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=TIMEOUT)


def run_transcript(block, folder, env):
    steps = transcript(block.text)
    if not steps:
        return [f"{block.where()}: a console block without a command"]
    # Each command sees the exit status of the one before it, so `echo $?` shows it.
    script = "__status=0\n"
    for k, (command, _) in enumerate(steps):
        script += f"echo '@@docs-test step {k}@@'\n(exit $__status)\n{command}\n__status=$?\n"
        script += 'echo "@@docs-test status $__status@@"\n'
    done = run_script(script, folder, env)
    parts = re.split(r"@@docs-test step (\d+)@@\n", done.stdout)
    printed = {}
    for k in range(1, len(parts) - 1, 2):
        body = parts[k + 1]
        status = re.search(r"@@docs-test status (\d+)@@\n?$", body)
        printed[int(parts[k])] = (re.sub(r"@@docs-test status \d+@@\n?$", "", body).rstrip(),
                                  int(status.group(1)) if status else None)
    problems = []
    for k, (command, shown) in enumerate(steps):
        output, status = printed.get(k, ("", None))
        first = command.splitlines()[0]
        if status is None:
            problems.append(f"{block.where()}: `{first}` did not finish:\n{done.stdout[-2000:]}")
            break
        checked_by_next = k + 1 < len(steps) and steps[k + 1][0].strip() == "echo $?"
        if status != 0 and not checked_by_next:
            problems.append(f"{block.where()}: `{first}` exited with {status}:\n{output[-2000:]}")
        if shown and [l.rstrip() for l in output.splitlines()] != [l.rstrip() for l in shown.splitlines()]:
            problems.append(f"{block.where()}: `{first}` printed\n{output[:3000]}\ninstead of\n{shown}")
    return problems


def run_commands(block, folder, env):
    done = run_script("set -e\n" + block.text, folder, env)
    if done.returncode != 0:
        return [f"{block.where()}: the block exited with {done.returncode}:\n{done.stdout[-3000:]}"]
    return []


def checkout_folder(source, build, scratch):
    """A folder that looks like a checkout of source with build/test leading to build."""
    for entry in source.iterdir():
        if entry.name in ("build", ".git"):
            continue
        (scratch / entry.name).symlink_to(entry)
    (scratch / "build").mkdir()
    (scratch / "build" / "test").symlink_to(build)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    source = pathlib.Path(sys.argv[1]).resolve()
    build = pathlib.Path(sys.argv[2]).resolve()
    programs = [str(pathlib.Path(p).resolve()) for p in sys.argv[3:]]
    slow = bool(os.environ.get("DETECTION_DOCS_SLOW"))
    env = dict(os.environ, PATH=os.pathsep.join(programs + [os.environ.get("PATH", "")]),
               MPLBACKEND="Agg", QT_QPA_PLATFORM="offscreen", PYTHONDONTWRITEBYTECODE="1")

    problems = []
    documents = [("README.md", markdown_blocks), ("CONTRIBUTING.md", markdown_blocks)]
    documents += [(f"docs/{p.name}", markdown_blocks) for p in sorted((source / "docs").glob("*.md"))]
    documents += [(f"packaging/man/{p.name}", man_blocks) for p in sorted((source / "packaging/man").glob("*.1"))]
    ran = skipped = 0
    for name, reader in documents:
        blocks = reader(source / name, name, problems)
        with tempfile.TemporaryDirectory(prefix="docs-test-") as scratch:
            folder = pathlib.Path(scratch)
            checkout_folder(source, build, folder)
            for block in blocks:
                if block.marker == "skip" and not block.reason:
                    problems.append(f"{block.where()}: docs-test: skip needs a reason")
                if block.marker == "skip" or (block.marker == "slow" and not slow):
                    skipped += 1
                    continue
                ran += 1
                runner = run_transcript if block.tag == "console" else run_commands
                try:
                    problems += runner(block, folder, env)
                except subprocess.TimeoutExpired:
                    problems.append(f"{block.where()}: did not finish within {TIMEOUT} s")
    print(f"{ran} command blocks run, {skipped} not run here")
    if ran == 0:
        problems.append("no command block was run")
    for problem in problems:
        print("FAIL: " + problem)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
