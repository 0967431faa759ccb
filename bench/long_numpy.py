"""numpy's bare matched filter on the recording bench_long made: np.correlate of the samples
with the etalon (float64, as a user would call it), fastest of 3 runs, one line of the table."""
import sys
import time

import numpy as np

path, size, n = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = np.fromfile(path, dtype=np.int16)
x, e = data[:size].astype(np.float64), data[size:size + n].astype(np.float64)
best, cpu = float("inf"), 0.0
for _ in range(2 if size >= 100_000_000 else 3):
    t0, c0 = time.perf_counter(), time.process_time()
    np.correlate(x, e, mode="valid")
    wall = time.perf_counter() - t0
    if wall < best:
        best, cpu = wall, time.process_time() - c0
print(f"{size:11d} {n:3d} {'numpy':>8s} {1:3d} {best * 1e9 / size:12.2f} {size / best:14.3e} {'':>12s} "
      f"{'np.correlate':>14s} {'':>8s} {cpu * 1e9 / size:12.2f}")
