#!/usr/bin/python3
"""The docs test itself: on documents of its own it passes what runs as written and names every
block that does not (a ctest pattern matching nothing, other output, a failing command, a block
without a marker or a tag), and skips what is marked so.

    check_commands_test.py BUILD_DIR PROGRAM_DIR
"""
import pathlib
import subprocess
import sys
import tempfile

CHECKER = pathlib.Path(__file__).resolve().parent / "check_commands.py"

GOOD = '''# Good
<!-- docs-test: run -->
```console
$ printf 'a\\nb\\n'
a
b
$ false
$ echo $?
1
```

<!-- docs-test: run -->
```sh
echo made > made.txt
```

<!-- docs-test: run -->
```sh
test "$(cat made.txt)" = made   # a later block sees what an earlier one made
```

<!-- docs-test: skip needs a cluster -->
```sh
exit 1
```

```text
a diagram, not run
```
'''

BAD = '''# Bad
<!-- docs-test: run -->
```sh
cd build/test && ctest -R NoTestIsCalledThis
```

<!-- docs-test: run -->
```console
$ echo hello
hullo
```

<!-- docs-test: run -->
```console
$ false
$ echo after
after
```

```sh
echo unmarked
```

```
untagged
```

<!-- docs-test: skip -->
```sh
echo a skip without a reason
```
'''

MAN = '''.Sh EXAMPLES
.\\" docs-test: run
.Bd -literal -offset indent
$ printf '%s\\n' \\e
    one
one
.Ed
.Bd -literal -offset indent
$ echo unmarked
.Ed
'''


def check(readme, man, build, programs):
    with tempfile.TemporaryDirectory() as scratch:
        source = pathlib.Path(scratch)
        (source / "docs").mkdir()
        (source / "packaging" / "man").mkdir(parents=True)
        (source / "README.md").write_text(readme)
        (source / "CONTRIBUTING.md").write_text("")
        (source / "packaging" / "man" / "example.1").write_text(man)
        return subprocess.run([sys.executable, str(CHECKER), str(source), build, *programs],
                              capture_output=True, text=True, timeout=300)


def main():
    build, programs = sys.argv[1], sys.argv[2:]
    failures = []
    good = check(GOOD, MAN.split(".Bd -literal -offset indent\n$ echo unmarked")[0], build, programs)
    if good.returncode != 0 or "4 command blocks run, 1 not run here" not in good.stdout:
        failures.append("good documents were refused:\n" + good.stdout + good.stderr)
    bad = check(BAD, MAN, build, programs)
    expected = [
        "README.md:3: the block exited with 8",  # ctest refuses a pattern that matches nothing
        "No tests were found",
        "README.md:8: `echo hello` printed\nhello\ninstead of\nhullo",
        "README.md:14: `false` exited with 1",
        "README.md:20: a sh block without a docs-test marker",
        "README.md:24: a fenced block without a language tag",
        "README.md:29: docs-test: skip needs a reason",
        "packaging/man/example.1:8: an example without a docs-test marker",
    ]
    if bad.returncode != 1:
        failures.append(f"bad documents gave exit status {bad.returncode}")
    for text in expected:
        if text not in bad.stdout:
            failures.append(f"not reported: {text!r}")
    if failures:
        print(bad.stdout)
        print("\n".join("FAIL: " + f for f in failures))
        sys.exit(1)
    print("the docs test passes good documents and names every fault of bad ones")


if __name__ == "__main__":
    main()
