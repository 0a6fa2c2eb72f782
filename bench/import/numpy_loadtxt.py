# Reads the benchmark's text file with numpy's loadtxt, timed inside this process like the C++ side:
# warm (one untimed read first), the median of several reads. Prints JSON with the seconds, the row
# count and the column sums, so the caller can check that both sides read the same numbers.
import json
import statistics
import sys
import time

import numpy as np

path, repeats = sys.argv[1], int(sys.argv[2])
np.loadtxt(path, delimiter=",", skiprows=1, max_rows=1000)
times = []
data = None
for _ in range(repeats):
    start = time.perf_counter()
    data = np.loadtxt(path, delimiter=",", skiprows=1)
    times.append(time.perf_counter() - start)
print(json.dumps({"seconds": statistics.median(times), "rows": int(data.shape[0]),
                  "sum_x": float(data[:, 0].sum()), "sum_y": float(data[:, 1].sum())}))
