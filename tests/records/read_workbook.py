#!/usr/bin/python3
# Prints what a spreadsheet reader finds in an exported record list, one line per fact:
#   <cell> <type> <value> <number format>[ <cached result of a formula>]
#   style <cell> fill=<rgb> bold=<bool> border=<left>/<right>/<top>/<bottom>
#   width <first column>-<last column> <width>
# Read twice: once for the formulas, once for the results the file carries for them.
import sys

import openpyxl

path = sys.argv[1]
sheet = openpyxl.load_workbook(path).active
cached = openpyxl.load_workbook(path, data_only=True).active
for row in sheet.iter_rows():
    for cell in row:
        if cell.value is None:
            continue
        value = repr(cell.value) if isinstance(cell.value, str) else str(cell.value)
        line = f"{cell.coordinate}\t{type(cell.value).__name__}\t{value}\t{cell.number_format}"
        if isinstance(cell.value, str) and cell.value.startswith("="):
            line += f"\t{cached[cell.coordinate].value}"
        print(line)
for cell in ("A4", "K4", "A5"):
    c = sheet[cell]
    borders = "/".join(str(getattr(c.border, side).style) for side in ("left", "right", "top", "bottom"))
    print(f"style {cell} fill={c.fill.fgColor.rgb} bold={c.font.b} border={borders}")
for dimension in sheet.column_dimensions.values():
    print(f"width {dimension.min}-{dimension.max} {dimension.width}")
