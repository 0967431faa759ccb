"""numpy's bare matched filter on the recording bench_long made: np.correlate of the samples
with the etalon (float64, as a user would call it), fastest of 3 runs, one line of the table."""
import sys
import time

import numpy as np

path, size, n = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = np.fromfile(path, dtype=np.int16)
x, e = data[:size].astype(np.float64), data[size:size + n].astype(np.float64)
best = float("inf")
for _ in range(1 if size >= 100_000_000 else 3):
    t0 = time.perf_counter()
    np.correlate(x, e, mode="valid")
    best = min(best, time.perf_counter() - t0)
print(f"{size:11d} {n:3d} {'numpy':>8s} {1:3d} {best * 1e9 / size:12.2f} {size / best:14.3e} {'':>12s} {'np.correlate':>14s}")
