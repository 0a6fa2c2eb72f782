"""Prints every sheet of the given workbooks as JSON, read by xlrd. Exits 3 when xlrd logs anything."""
import io
import json
import sys
import warnings

import xlrd

warnings.simplefilter("error")


def cell_text(cell):
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        return "n" + repr(cell.value)
    if cell.ctype == xlrd.XL_CELL_TEXT:
        return "s" + cell.value
    if cell.ctype == xlrd.XL_CELL_BOOLEAN:
        return "b" + str(int(cell.value))
    if cell.ctype == xlrd.XL_CELL_ERROR:
        return "e" + str(cell.value)
    if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        return ""
    return "?" + str(cell.value)


result = {}
log = io.StringIO()
for path in sys.argv[1:]:
    book = xlrd.open_workbook(path, logfile=log, formatting_info=True)
    sheets = []
    for sheet in book.sheets():
        sheets.append({
            "name": sheet.name,
            "rows": sheet.nrows,
            "cols": sheet.ncols,
            "cells": [[cell_text(c) for c in sheet.row(r)] for r in range(sheet.nrows)],
            "merged": [[rlo, rhi - 1, clo, chi - 1] for rlo, rhi, clo, chi in sheet.merged_cells],
        })
    result[path] = sheets
if log.getvalue():
    sys.stderr.write("xlrd logged:\n" + log.getvalue())
    sys.exit(3)
json.dump(result, sys.stdout, ensure_ascii=False)
