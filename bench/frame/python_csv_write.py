# Writes the samples of a binary data file as the data-logging page's CSV, with Python's csv module,
# and prints the seconds the formatting and writing took (reading the input is not counted).
import csv
import struct
import sys
import time

source, target = sys.argv[1:3]
data = open(source, 'rb').read()
n = struct.unpack_from('<I', data, 47)[0]
times = struct.unpack_from('<%dd' % n, data, 176)
values = struct.unpack_from('<%dd' % n, data, 176 + 8 * n)


def time_text(x):
    s = '%.8f' % x
    return s.rstrip('0').rstrip('.') if '.' in s else s


def value_text(x):
    return ('%.6e' if abs(x) > 99999.0 or abs(x) < 0.1 else '%.6f') % x


start = time.perf_counter()
with open(target, 'w', newline='') as f:
    writer = csv.writer(f)
    writer.writerow(['Time', 'Current DC'])
    writer.writerows([time_text(t), value_text(v)] for t, v in zip(times, values))
print(time.perf_counter() - start)
