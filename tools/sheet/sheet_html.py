#!/usr/bin/python3
# Writes an exported record list (.xlsx) as an HTML table, the way a spreadsheet shows it:
# the cells as their number formats show them, fills, bold text, borders and column widths.
# Read with openpyxl, so the picture shows what another program finds in the file.
#   sheet_html.py WORKBOOK.xlsx > sheet.html
import datetime
import html
import sys

import openpyxl
from openpyxl.utils import get_column_letter

path = sys.argv[1]
sheet = openpyxl.load_workbook(path).active
cached = openpyxl.load_workbook(path, data_only=True).active


def shown(cell, value):
    if isinstance(value, datetime.timedelta):
        seconds = int(value.total_seconds())
        return f"{seconds // 3600}:{seconds // 60 % 60:02d}:{seconds % 60:02d}"
    if isinstance(value, datetime.datetime):
        return value.strftime("%Y-%m-%d %H:%M:%S")
    if value is None:
        return ""
    return str(value)


widths = {}
for dimension in sheet.column_dimensions.values():
    for column in range(dimension.min, dimension.max + 1):
        widths[column] = dimension.width
columns = sheet.max_column
print('<html><body style="font-family: sans-serif; font-size: 11pt">')
print('<table cellspacing="0" cellpadding="3" style="border-collapse: collapse">')
print('<tr><td style="background: #e8e8e8; border: 1px solid #c8c8c8"></td>')
for column in range(1, columns + 1):
    width = int(widths.get(column, 8.43) * 7)
    print(f'<td width="{width}" align="center" style="background: #e8e8e8; '
          f'border: 1px solid #c8c8c8; color: #555">{get_column_letter(column)}</td>')
print("</tr>")
for row in range(1, sheet.max_row + 1):
    print(f'<tr><td align="center" style="background: #e8e8e8; border: 1px solid #c8c8c8; '
          f'color: #555">{row}</td>')
    for column in range(1, columns + 1):
        cell = sheet.cell(row, column)
        value = cached.cell(row, column).value
        style = "border: 1px solid #dcdcdc; white-space: nowrap;"
        if cell.fill.fill_type == "solid":
            style += f" background: #{cell.fill.fgColor.rgb[-6:]};"
        if cell.border.left.style:
            style += " border: 1px solid #000;"
        text = html.escape(shown(cell, value)).replace("\n", "<br>")
        if cell.font.b:
            text = f"<b>{text}</b>"
        align = "right" if isinstance(value, (int, float, datetime.timedelta,
                                              datetime.datetime)) else "left"
        print(f'<td align="{align}" valign="top" style="{style}">{text}</td>')
    print("</tr>")
print("</table></body></html>")
