# The peers of the text-import benchmark in one process: numpy's loadtxt and pandas' read_csv (its C
# engine), both read once untimed first. The caller names a reader per line on stdin ("numpy",
# "pandas", "quit"), so that the runs of both sides interleave; each run answers one JSON line with its
# wall and CPU seconds, the row count and the column sums, from the new arrays the call made.
# With '--once READER' after the path it reads the file once in this fresh process, answers one JSON
# line with the row count and the sums, and ends: the whole process is what the caller times.
import json
import sys
import time

import numpy as np
import pandas as pd

path = sys.argv[1]


def numpy_read():
    data = np.loadtxt(path, delimiter=",", skiprows=1)
    return data[:, 0], data[:, 1]


def pandas_read():
    frame = pd.read_csv(path, engine="c")
    return frame.iloc[:, 0].to_numpy(), frame.iloc[:, 1].to_numpy()


readers = {"numpy": numpy_read, "pandas": pandas_read}
if len(sys.argv) == 4 and sys.argv[2] == "--once":
    x, y = readers[sys.argv[3]]()
    print(json.dumps({"rows": int(x.shape[0]), "sum_x": float(x.sum()), "sum_y": float(y.sum())}), flush=True)
    sys.exit(0)
for reader in readers.values():
    reader()
print(json.dumps({"ready": True}), flush=True)
for line in sys.stdin:
    name = line.strip()
    if name not in readers:
        break
    wall, cpu = time.perf_counter(), time.process_time()
    x, y = readers[name]()
    wall, cpu = time.perf_counter() - wall, time.process_time() - cpu
    print(json.dumps({"seconds": wall, "cpu_seconds": cpu, "rows": int(x.shape[0]),
                      "sum_x": float(x.sum()), "sum_y": float(y.sum())}), flush=True)
