#!/usr/bin/python3
"""Start-up cost of detection-batch beside a C++ program that prints "hello".

    /usr/bin/python3 bench/startup_cost.py build/test/batch/detection-batch [--pairs 30]

Runs `detection-batch alphabet --count 1` and the hello program side by side, PAIRS times in
alternating order, and prints the median CPU time (user + system, from the kernel's account of
each child) of both and their ratio. Then it reports the address space each program holds once
its shared libraries are mapped and before its main runs, read by a probe preloaded into it
(bench/startup/address_space_probe.cpp), and the smallest address-space limit, to the MB, at
which `alphabet --count 1` still succeeds. Both helpers are compiled with the system's c++.
"""
import argparse
import os
import pathlib
import resource
import statistics
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent


def compile_helpers(folder):
    hello = folder / "hello"
    probe = folder / "address_space_probe.so"
    subprocess.run(["c++", "-O2", "-o", str(hello), str(HERE / "startup" / "hello.cpp")], check=True)
    subprocess.run(["c++", "-O2", "-shared", "-fPIC", "-o", str(probe),
                    str(HERE / "startup" / "address_space_probe.cpp")], check=True)
    return hello, probe


def cpu_seconds(argv, env=None, limit=None):
    """Runs argv with its output discarded; returns (exit status, user + system seconds).

    The child is started with posix_spawn, so that its account holds the program alone and
    not the copy of this interpreter a fork would make; a limit needs a fork to set it first."""
    null = [(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
            (os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0)]
    environment = env if env is not None else os.environ
    if limit is None:
        pid = os.posix_spawn(argv[0], argv, environment, file_actions=null)
    else:
        pid = os.fork()
        if pid == 0:
            try:
                resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
                fd = os.open(os.devnull, os.O_WRONLY)
                os.dup2(fd, 1)
                os.dup2(fd, 2)
                os.execve(argv[0], argv, environment)
            finally:
                os._exit(127)
    _, status, usage = os.wait4(pid, 0)
    return os.waitstatus_to_exitcode(status), usage.ru_utime + usage.ru_stime


def address_space_kb(argv, probe, folder):
    report = folder / "address_space.txt"
    env = dict(os.environ, LD_PRELOAD=str(probe), ADDRESS_SPACE_REPORT=str(report))
    status, _ = cpu_seconds(argv, env)
    if status != 0:
        sys.exit(f"{argv[0]} exited with {status} under the probe")
    fields = {}
    for line in report.read_text().splitlines():
        key, value = line.split(":", 1)
        fields[key] = int(value.split()[0])
    return fields["VmSize"]


def smallest_limit_mb(argv):
    low, high = 1, 1024
    if cpu_seconds(argv, limit=high << 20)[0] != 0:
        return None
    while low < high:
        middle = (low + high) // 2
        if cpu_seconds(argv, limit=middle << 20)[0] == 0:
            high = middle
        else:
            low = middle + 1
    return low


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("batch", help="the detection-batch program to measure")
    parser.add_argument("--pairs", type=int, default=30)
    args = parser.parse_args()
    batch = [str(pathlib.Path(args.batch).resolve()), "alphabet", "--count", "1"]
    with tempfile.TemporaryDirectory() as scratch:
        folder = pathlib.Path(scratch)
        hello, probe = compile_helpers(folder)
        hello_argv = [str(hello)]
        for argv in (batch, hello_argv):  # warm the page cache
            cpu_seconds(argv)
        batch_times, hello_times = [], []
        for pair in range(args.pairs):
            order = [(batch, batch_times), (hello_argv, hello_times)]
            if pair % 2:
                order.reverse()
            for argv, times in order:
                status, seconds = cpu_seconds(argv)
                if status != 0:
                    sys.exit(f"{argv[0]} exited with {status}")
                times.append(seconds)
        batch_cpu = statistics.median(batch_times)
        hello_cpu = statistics.median(hello_times)
        print(f"CPU time, median of {args.pairs} pairs: detection-batch alphabet --count 1 "
              f"{batch_cpu * 1000:.2f} ms, hello {hello_cpu * 1000:.2f} ms, ratio "
              f"{batch_cpu / hello_cpu if hello_cpu > 0 else float('inf'):.1f}")
        batch_kb = address_space_kb(batch, probe, folder)
        hello_kb = address_space_kb(hello_argv, probe, folder)
        print(f"address space before main: detection-batch {batch_kb / 1024:.1f} MB, "
              f"hello {hello_kb / 1024:.1f} MB")
        limit = smallest_limit_mb(batch)
        print(f"smallest address-space limit at which alphabet --count 1 succeeds: {limit} MB")


if __name__ == "__main__":
    main()
