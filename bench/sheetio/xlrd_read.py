"""Reads every value of a workbook with xlrd, 'repeats' times in this one process, and prints as JSON
the median seconds of one read (module import excluded, like the other side's library loading) and
how many values differ from the values the benchmark wrote (exit status 1 when any does)."""
import json
import statistics
import sys
import time

import xlrd

path, rows, cols, repeats = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
seconds = []
values = []
for _ in range(repeats):
    start = time.perf_counter()
    book = xlrd.open_workbook(path)
    sheet = book.sheet_by_index(0)
    values = [sheet.row_values(r) for r in range(sheet.nrows)]
    seconds.append(time.perf_counter() - start)
    del book, sheet

mismatches = 0
if len(values) != rows:
    mismatches += abs(len(values) - rows) * cols
for r, row in enumerate(values[:rows]):
    if len(row) != cols:
        mismatches += cols
        continue
    for c, v in enumerate(row):
        if v != (r * cols + c + 1) * 1.000000001e-7 + c:
            mismatches += 1
print(json.dumps({"seconds": statistics.median(seconds), "mismatches": mismatches}))
sys.exit(1 if mismatches else 0)
