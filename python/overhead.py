#!/usr/bin/env python3
"""The module's overhead over a direct C++ call on the default detection.

    PYTHONPATH=build/test/python /usr/bin/python3 python/overhead.py \
        build/test/python/detection_direct_timing [REPEATS [ROUNDS]]

Both sides solve the workbench's first series (1200 samples, 18 pulses of etalon 1, noise 20)
with detectFixedPulses: the C++ side calls the run the module calls, the script calls
detection_workbench.solve on the same samples (array checks, scaling, option checks, the run
without the interpreter lock, the answer as Python objects). The C++ loop runs twice: as a
program of its own, and inside this process through the detection_direct_timing extension, so
that it meets the same heap and caches as the module's calls. Each side is timed as the best of
several rounds, interleaved, to keep out the noise of a shared machine.
"""
import subprocess
import sys
import time

import detection_direct_timing
import detection_workbench as dw


def main():
    direct = sys.argv[1]
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 500
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 21
    made = dw.make_series()
    noisy, pulses = made["lpNoisyData"], made["wImpulseQuantity"]
    workbench = dw.Workbench()

    # The calls are made in the timed loop itself, as a user's loop makes them.
    def timed(solve):
        def run(count):
            start = time.perf_counter()
            for _ in range(count):
                solve("detection", 1, noisy, pulses=pulses)
            return time.perf_counter() - start
        return run

    # The same work on both sides: the direct loop scales float64 values and checks the options
    # too, and for the module-level solve() starts a fresh workbench per call as solve() does.
    calls = {"solve": (timed(dw.solve), True), "Workbench.solve": (timed(workbench.solve), False)}
    best = {}

    def keep(key, seconds):
        best[key] = min(best.get(key, float("inf")), seconds)

    for _ in range(rounds):
        for name, (run, fresh) in calls.items():
            command = [direct, str(repeats), "checks"] + (["fresh"] if fresh else [])
            out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
            keep("program " + name, float(out.split()[0]))
            keep("in process " + name, detection_direct_timing.time_direct_runs(repeats, True, fresh)[0])
            keep(name, run(repeats) / repeats)
    for name in calls:
        program, inside, module = best["program " + name], best["in process " + name], best[name]
        print(f"direct C++ call like {name}: {program * 1e6:.1f} us per call as a program, "
              f"{inside * 1e6:.1f} us inside this process")
        print(f"{name}: {module * 1e6:.1f} us per call, overhead {100 * (module - program) / program:+.1f}% "
              f"over the program, {100 * (module - inside) / inside:+.1f}% over the loop in this process")


if __name__ == "__main__":
    main()
