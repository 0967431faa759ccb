#!/usr/bin/python3
"""Checks the house rules that the includes show, against docs/architecture.md:

- an include points down the layer chain ("shell -> display -> ... -> platform"), or to a room
  the including folder's row of the rooms table names under "Uses" (a layer named there brings
  the layers below it), or from a folder that the included room's row names under "Used by";
- every .cpp of the system has a header of its own name (programs and module entry points,
  which define only main or the module, and the embedded data of resources/ excepted);
- no two units (a .cpp with its header) include each other, directly or round a longer loop.

Usage: check_layers.py SOURCE_DIR. Prints every violation with file and line, exits 1 on any.
check_layers.py --self-test runs the check on a small tree with one fault of each kind.
"""
import os
import re
import sys

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_EXTENSIONS = (".h", ".cpp")
SKIPPED = ("build", ".git", "tests/fuzz_corpus")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
FOLDER = re.compile(r"`([a-z_/]+)/`")


def read_doc():
    text = open(os.path.join(ROOT, "docs", "architecture.md"), encoding="utf-8").read()
    chain = re.search(r"Includes point down this list only:\s+`([a-z >\n-]+)`", text)
    if chain is None:
        sys.exit("docs/architecture.md: the layer chain (Includes point down this list only: `...`) is missing")
    layers = [name.strip() for name in chain.group(1).split("->")]
    rooms = {}
    for line in text.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) != 4 or not cells[0].startswith("`"):
            continue
        name = FOLDER.findall(cells[0])
        if len(name) != 1:
            continue
        uses = set(FOLDER.findall(cells[2])) | ({"*"} if "everything" in cells[2] else set())
        rooms[name[0]] = (uses, set(FOLDER.findall(cells[3])))
    return layers, rooms


def source_files():
    for folder, dirs, files in os.walk(ROOT):
        rel = os.path.relpath(folder, ROOT)
        dirs[:] = [d for d in dirs if os.path.join(rel, d).lstrip("./") not in SKIPPED and not d.startswith(".")
                   and not d.startswith("build")]
        for name in files:
            if name.endswith(SOURCE_EXTENSIONS):
                yield os.path.normpath(os.path.join(rel, name))


def folder_of(path, known):
    """The longest known folder (layer or room) holding path; its first component otherwise."""
    parts = path.split("/")[:-1]
    for n in range(len(parts), 0, -1):
        candidate = "/".join(parts[:n])
        if candidate in known:
            return candidate
    return parts[0] if parts else ""


def main():
    layers, rooms = read_doc()
    rank = {name: i for i, name in enumerate(layers)}  # 0 is the top
    known = set(layers) | set(rooms)
    # Folders named only under "Uses" (tests/support/) are told apart as targets.
    named = known | {used for uses, _ in rooms.values() for used in uses if used != "*"}
    problems = []

    def below(layer):
        return set(layers[rank[layer] + 1:])

    def allowed(source, target):
        if source == target or source == "" or target == "":
            return True
        if source in rank and target in rank:
            return rank[target] > rank[source]
        uses = set()
        for used in rooms.get(source, (set(), set()))[0]:
            uses.add(used)
            if used in rank:
                uses |= below(used)
        if target in uses or "*" in uses:
            return True
        return source in rooms.get(target, (set(), set()))[1] or any(
            target.startswith(used + "/") for used in uses)

    files = sorted(source_files())
    present = set(files)
    units = {}
    for path in files:
        text = open(os.path.join(ROOT, path), encoding="utf-8", errors="replace").read()
        source = folder_of(path, known)
        unit = path.rsplit(".", 1)[0]
        for match in INCLUDE.finditer(text):
            included = match.group(1)
            if "/" not in included:
                included = os.path.normpath(os.path.join(os.path.dirname(path), included))
            if included not in present:
                continue
            target = folder_of(included, named)
            line = text.count("\n", 0, match.start()) + 1
            if not allowed(source, target):
                problems.append(f"{path}:{line}: includes {included}: {source}/ may not use {target}/ "
                                "(docs/architecture.md: the layer chain and the rooms table)")
            other = included.rsplit(".", 1)[0]
            if other != unit:
                units.setdefault(unit, {}).setdefault(other, (path, line))
        checked = source in rank or source in rooms and source not in ("tests", "bench", "fuzz", "docs", "resources")
        if path.endswith(".cpp") and checked and unit + ".h" not in present:
            if not re.search(r"^int main\(|^PYBIND11_MODULE\(", text, re.M):
                problems.append(f"{path}: has no header of its own ({unit}.h) declaring what it defines")

    # Loops between units: strongly connected components of more than one unit.
    index, low, stack, on_stack, counter = {}, {}, [], set(), [0]
    sys.setrecursionlimit(100000)

    def connect(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in units.get(v, {}):
            if w not in index:
                connect(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                members = sorted(component)
                edges = [f"{units[a][b][0]}:{units[a][b][1]} includes {b}.h" for a in members
                         for b in members if b in units.get(a, {})]
                problems.append("include loop between " + ", ".join(members) + ": " + "; ".join(edges))

    for unit in sorted(units):
        if unit not in index:
            connect(unit)

    for problem in problems:
        print(problem)
    print(f"{len(files)} files checked, {len(problems)} problems")
    return 1 if problems else 0


SELF_TEST_DOC = """Includes point down this list only: `shell -> signal ->
platform`.

| Folder | Holds | Uses | Used by |
|---|---|---|---|
| `files/` | readers | `signal/` and the layers below it | `shell/` |
| `tests/` | tests | everything | `ctest` |
"""

SELF_TEST_TREE = {
    "docs/architecture.md": SELF_TEST_DOC,
    "platform/sink.h": "#pragma once\n",
    "signal/a.h": '#include "platform/sink.h"\n',
    "signal/a.cpp": '#include "signal/a.h"\n#include "shell/t.h"\n',  # up a layer
    "signal/b.h": '#include "signal/c.h"\n',
    "signal/b.cpp": '#include "signal/b.h"\n',
    "signal/c.h": "",
    "signal/c.cpp": '#include "signal/c.h"\n#include "signal/b.h"\n',  # b and c include each other
    "signal/lonely.cpp": "int lonely() { return 1; }\n",  # no header of its own
    "shell/s.h": '#include "files/f.h"\n',
    "shell/t.h": "#pragma once\\n",
    "shell/main.cpp": '#include "shell/s.h"\nint main() {}\n',
    "files/f.h": '#include "platform/sink.h"\n#include "signal/a.h"\n',
    "files/f.cpp": '#include "files/f.h"\n#include "shell/t.h"\n',  # sideways, outside the table
    "tests/t.cpp": '#include "shell/s.h"\n#include "files/f.h"\n',
}


def self_test():
    import contextlib
    import io
    import tempfile
    global ROOT
    with tempfile.TemporaryDirectory() as folder:
        for path, text in SELF_TEST_TREE.items():
            os.makedirs(os.path.join(folder, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(folder, path), "w", encoding="utf-8") as out:
                out.write(text)
        ROOT = folder
        report = io.StringIO()
        with contextlib.redirect_stdout(report):
            status = main()
    lines = report.getvalue().splitlines()
    expected = [
        "files/f.cpp:2: includes shell/t.h: files/ may not use shell/",
        "signal/a.cpp:2: includes shell/t.h: signal/ may not use shell/",
        "signal/lonely.cpp: has no header of its own",
        "include loop between signal/b, signal/c",
        "14 files checked, 4 problems",
    ]
    missing = [e for e in expected if not any(line.startswith(e) for line in lines)]
    for line in lines:
        print(line)
    if status != 1 or missing or len(lines) != len(expected):
        print("self-test failed; expected lines starting with:", *missing, sep="\n  ")
        return 1
    print("self-test passed")
    return 0


if __name__ == "__main__":
    sys.exit(self_test() if sys.argv[1:] == ["--self-test"] else main())
