"""The benchmark's outside peers: xlrd reading and xlwt writing a rows x cols workbook of the
benchmark's doubles. Run as 'sheet_peer.py rows cols', it answers one command per line on standard
input with one JSON line, so that the benchmark can interleave its own runs with these:

  read PATH   -> {"seconds", "cpu", "mismatches"}: open and read every value with xlrd, checked
  write PATH  -> {"seconds", "cpu"}: write the values with xlwt
  check PATH  -> {"mismatches"}: read with xlrd (not timed) and compare with the values

With '--once COMMAND PATH' after rows and cols it runs one command in this fresh process and exits
(status 1 when a value differs); it then imports only the module the command needs, as a program
that only reads (or only writes) would. Module import is outside the timed part in every case."""
import importlib
import json
import sys
import time

xlrd = None
xlwt = None


def import_modules(*names):
    for name in names:
        globals()[name] = importlib.import_module(name)


def value(r, c, cols):
    return (r * cols + c + 1) * 1.000000001e-7 + c


def mismatches(values, rows, cols):
    wrong = abs(len(values) - rows) * cols
    for r, row in enumerate(values[:rows]):
        if len(row) != cols:
            wrong += cols
            continue
        wrong += sum(1 for c, v in enumerate(row) if v != value(r, c, cols))
    return wrong


def read_values(path):
    book = xlrd.open_workbook(path)
    sheet = book.sheet_by_index(0)
    return [sheet.row_values(r) for r in range(sheet.nrows)]


def run(command, path, rows, cols):
    if command == 'check':
        return {'mismatches': mismatches(read_values(path), rows, cols)}
    start, cpu = time.perf_counter(), time.process_time()
    if command == 'read':
        values = read_values(path)
    else:
        book = xlwt.Workbook()
        sheet = book.add_sheet('Sheet1')
        for r in range(rows):
            row = sheet.row(r)
            for c in range(cols):
                row.write(c, value(r, c, cols))
        book.save(path)
    answer = {'seconds': time.perf_counter() - start, 'cpu': time.process_time() - cpu}
    if command == 'read':
        answer['mismatches'] = mismatches(values, rows, cols)
    return answer


def main():
    rows, cols = int(sys.argv[1]), int(sys.argv[2])
    if len(sys.argv) == 6 and sys.argv[3] == '--once':
        import_modules('xlwt' if sys.argv[4] == 'write' else 'xlrd')
        answer = run(sys.argv[4], sys.argv[5], rows, cols)
        print(json.dumps(answer))
        return 1 if answer.get('mismatches', 0) else 0
    import_modules('xlrd', 'xlwt')
    for line in sys.stdin:
        command, _, path = line.strip().partition(' ')
        print(json.dumps(run(command, path, rows, cols)), flush=True)
    return 0


sys.exit(main())
