"""Prints an .xls workbook as JSON: every sheet's name and rows, and how many cells are not text.

xlrd's own warnings about the file go to stderr, so a clean file leaves stderr empty."""
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr, formatting_info=True)
sheets = []
for sheet in book.sheets():
    rows, other = [], 0
    for r in range(sheet.nrows):
        cells = sheet.row(r)
        other += sum(1 for cell in cells if cell.ctype != xlrd.XL_CELL_TEXT)
        rows.append([cell.value for cell in cells])
    sheets.append({"name": sheet.name, "rows": rows, "nonText": other})
sys.stdout.buffer.write(json.dumps({"sheets": sheets}, ensure_ascii=False).encode("utf-8"))
