"""The CSV export's peers, writing the samples of a binary data file: Python's csv module (the
data-logging page's exact text), pandas to_csv and numpy savetxt (each with its own number format).
Run as 'csv_peers.py SAMPLES.bin', it loads the samples once and answers one command per line on
standard input with one line, so that the benchmark can interleave its own export with these:

  csv PATH | pandas PATH | numpy PATH  -> the seconds the formatting and writing took
  check WRITER PATH                    -> how many numbers of PATH are not the samples as WRITER's
                                          formats write them (WRITER: ours, csv, pandas or numpy), read
                                          back and compared with a relative tolerance of 1e-12
Reading the input is never counted."""
import csv
import struct
import sys
import time

import numpy
import pandas

source = sys.argv[1]
data = open(source, 'rb').read()
n = struct.unpack_from('<I', data, 47)[0]
times = numpy.frombuffer(data, dtype='<f8', count=n, offset=176)
values = numpy.frombuffer(data, dtype='<f8', count=n, offset=176 + 8 * n)
time_list, value_list = times.tolist(), values.tolist()


def time_text(x):
    s = '%.8f' % x
    return s.rstrip('0').rstrip('.') if '.' in s else s


def value_text(x):
    return ('%.6e' if abs(x) > 99999.0 or abs(x) < 0.1 else '%.6f') % x


def write_csv(path):
    with open(path, 'w', newline='') as f:
        writer = csv.writer(f)
        writer.writerow(['Time', 'Current DC'])
        writer.writerows([time_text(t), value_text(v)] for t, v in zip(time_list, value_list))


def write_pandas(path):
    pandas.DataFrame({'Time': times, 'Current DC': values}).to_csv(path, index=False, float_format='%.8g')


def write_numpy(path):
    numpy.savetxt(path, numpy.column_stack((times, values)), fmt=('%.8f', '%.6e'), delimiter=',',
                  header='Time,Current DC', comments='')


# The text each writer makes of a time and of a value.
formats = {
    'ours': (time_text, value_text),
    'csv': (time_text, value_text),
    'pandas': (lambda x: '%.8g' % x, lambda x: '%.8g' % x),
    'numpy': (lambda x: '%.8f' % x, lambda x: '%.6e' % x),
}


def check(writer, path):
    back = pandas.read_csv(path, dtype='float64', float_precision='round_trip')
    if len(back) != n:
        return n
    time_format, value_format = formats[writer]
    bad = 0
    for column, samples, text in ((0, time_list, time_format), (1, value_list, value_format)):
        expected = numpy.array([float(text(v)) for v in samples])
        got = back.iloc[:, column].to_numpy()
        bad_rows = numpy.abs(got - expected) > 1e-12 * numpy.abs(expected)
        bad += int(bad_rows.sum())
    return bad


writers = {'csv': write_csv, 'pandas': write_pandas, 'numpy': write_numpy}
for line in sys.stdin:
    command, _, path = line.strip().partition(' ')
    if command == 'check':
        writer, _, path = path.partition(' ')
        print(check(writer, path), flush=True)
        continue
    start = time.perf_counter()
    writers[command](path)
    print(time.perf_counter() - start, flush=True)
