#!/usr/bin/python3
"""Checks the man pages against the programs themselves.

The subcommands and options are read from the programs' --help, never listed here, so a new
subcommand or option fails this check until its man page section is written:
- every subcommand that `detection-batch --help` lists has a subsection in detection-batch(1),
  and every option that `detection-batch SUBCOMMAND --help` lists is an item of that subsection
  whose text gives its default ("Default: VALUE" with the value --help shows);
- every option item of a subsection is accepted by that subcommand (no stale options);
- the general options of detection-batch and the options of detection-workbench --help are items
  of their pages; the workbench answers --help without any display.
The pages are rendered with groff, so a page that does not render fails too.

usage: check_man_pages.py BATCH_EXE WORKBENCH_EXE MAN_DIR
"""
import os
import re
import subprocess
import sys

failures = []


def fail(text):
    failures.append(text)


def run(command, env=None):
    result = subprocess.run(command, capture_output=True, text=True, env=env, timeout=60)
    if result.returncode != 0:
        fail(f"{' '.join(command)} exited with {result.returncode}: {result.stderr.strip()}")
    return result.stdout


def help_section(text, title):
    """The lines of the section `title:` of a --help text."""
    lines, inside = [], False
    for line in text.splitlines():
        if re.match(r"^\S", line):
            inside = line == title + ":"
            continue
        if inside and line.strip():
            lines.append(line)
    return lines


def help_options(text):
    """{long option: default or None} from the Options section of a --help text."""
    options = {}
    for line in help_section(text, "Options"):
        m = re.match(r"^\s+(?:-\w,)?(--[\w-]+)(?:\s+[A-Z]+)?(?:=(\S+))?", line)
        if m:
            options[m.group(1)] = m.group(2)
    return options


def render(page):
    result = subprocess.run(["groff", "-mdoc", "-Tascii", "-P-cbou", "-rLL=250n", "-ww", page],
                            capture_output=True, text=True, timeout=60)
    if result.returncode != 0 or result.stderr.strip():
        fail(f"{page} does not render cleanly: {result.stderr.strip()}")
    return result.stdout.splitlines()


def sections(lines):
    """{heading: lines} for the sections (no indent) and subsections (three blanks) of a page."""
    found, name = {}, None
    for line in lines:
        m = re.match(r"^(?:   )?(\S.*)$", line)
        if m and not line.startswith("    "):
            name = m.group(1).strip()
            found[name] = []
        elif name is not None:
            found[name].append(line)
    return found


ITEM_HEAD = re.compile(r"^ {5}(--?[\w-]+(?: [\w.,;]+)?(?:, --?[\w-]+(?: [\w.,;]+)?)*)$")


def items(lines):
    """{option: text of its item} for the list items whose head names options ("--length N")."""
    found, current = {}, None
    for line in lines:
        m = ITEM_HEAD.match(line)
        if m:
            current = []
            for head in re.findall(r"(?:^|, )(--?[\w-]+)", m.group(1)):
                found[head] = current
        elif line.startswith(" " * 13) and current is not None:
            current.append(line.strip())
        elif line.strip():
            current = None
    return {option: " ".join(text) for option, text in found.items()}


def inherited(name, rendered, seen=()):
    """The items of subsection `name` and of the subsections whose options it says it takes
    ("Takes every option of series", "Takes the options of process")."""
    lines = rendered.get(name, [])
    documented = {}
    for other in re.findall(r"Takes (?:every option|the options) of (\S+)", " ".join(l.strip() for l in lines)):
        if other not in seen and other != name:
            documented.update(inherited(other, rendered, seen + (name,)))
    documented.update(items(lines))
    return documented


def check_items(page, section, wanted, documented):
    for option, default in wanted.items():
        if option not in documented:
            fail(f"{page}: {section}: option {option} is not documented")
            continue
        text = documented[option]
        if default is not None and not re.search(r"Default: " + re.escape(default) + r"\b", text):
            fail(f"{page}: {section}: {option} should say \"Default: {default}\"; it says: {text}")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    batch, workbench, man_dir = sys.argv[1:]

    page = os.path.join(man_dir, "detection-batch.1")
    rendered = sections(render(page))
    top = run([batch, "--help"])
    general = help_options(top)
    check_items("detection-batch.1", "GENERAL OPTIONS", {o: None for o in general},
                items(rendered.get("GENERAL OPTIONS", [])))
    subcommands = [line.split()[0] for line in help_section(top, "Subcommands")]
    if not subcommands:
        fail("detection-batch --help lists no subcommands")
    for name in subcommands:
        if name not in rendered:
            fail(f"detection-batch.1: no subsection for the subcommand {name}")
            continue
        accepted = help_options(run([batch, name, "--help"]))
        accepted.pop("--help", None)
        check_items("detection-batch.1", name, accepted, inherited(name, rendered))
        for option in items(rendered[name]):
            if option.startswith("--") and option not in accepted:
                fail(f"detection-batch.1: {name}: documents {option}, which the subcommand does not accept")
    for heading in ("EXIT STATUS", "EXAMPLES"):
        if heading not in rendered:
            fail(f"detection-batch.1: no {heading} section")

    page = os.path.join(man_dir, "detection-workbench.1")
    rendered = sections(render(page))
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    options = help_options(run([workbench, "--help"], env=env))
    if not options:
        fail("detection-workbench --help lists no options")
    check_items("detection-workbench.1", "OPTIONS", {o: None for o in options}, items(rendered.get("OPTIONS", [])))
    for heading in ("EXIT STATUS", "EXAMPLES"):
        if heading not in rendered:
            fail(f"detection-workbench.1: no {heading} section")

    for text in failures:
        print(text)
    print(f"{len(failures)} problem(s)" if failures else "man pages document every option")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
