#!/usr/bin/env python3
"""The module's overhead over a direct C++ call on the default detection.

    PYTHONPATH=build/test/python /usr/bin/python3 python/overhead.py \
        build/test/python/detection_direct_timing [REPEATS [ROUNDS]]

Both sides solve the workbench's first series (1200 samples, 18 pulses of etalon 1, noise 20)
with detectFixedPulses: the C++ program calls the run the module calls, the script calls
detection_workbench.solve on the same samples (array checks, scaling, option checks, the run
without the interpreter lock, the answer as Python objects). Each side is timed as the best of
several rounds, to keep out the noise of a shared machine.
"""
import subprocess
import sys
import time

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

    calls = {"solve": timed(dw.solve), "Workbench.solve": timed(workbench.solve)}
    # The same work on both sides: the direct program scales float64 values and checks the
    # options too ("checks"), and for the module-level solve() starts a fresh workbench per
    # call as solve() does ("fresh").
    directs = {"solve": [direct, str(repeats), "checks", "fresh"],
               "Workbench.solve": [direct, str(repeats), "checks"]}
    best = {**{"direct " + name: float("inf") for name in calls}, **{name: float("inf") for name in calls}}
    for _ in range(rounds):  # interleaved, so that both sides see the same load
        for name, command in directs.items():
            out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
            best["direct " + name] = min(best["direct " + name], float(out.split()[0]))
        for name, run in calls.items():
            best[name] = min(best[name], run(repeats) / repeats)
    for name in calls:
        cpp = best["direct " + name]
        print(f"direct C++ call like {name}: {cpp * 1e6:.1f} us per call")
        print(f"{name}: {best[name] * 1e6:.1f} us per call, overhead {100 * (best[name] - cpp) / cpp:+.1f}%")


if __name__ == "__main__":
    main()
