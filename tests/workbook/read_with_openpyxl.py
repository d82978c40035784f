"""What openpyxl, an independent reader, sees in an .xlsx, shown as read_with_xlrd.py shows an .xls.

read_with_openpyxl.py FILE SHEET: one line a row, the cells joined by "|"; a date as D<yyyy-mm-dd>[ hh:mm:ss],
a number as a float's repr, a text as its repr, an empty cell as ''. Rows and columns run to the last cell
with a value, as xlrd's do (a cell with a format and no value is not counted).
read_with_openpyxl.py FILE: the date system and the sheet names.
"""
import datetime
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
if len(sys.argv) == 2:
    print('datemode', 1 if book.epoch == openpyxl.utils.datetime.CALENDAR_MAC_1904 else 0,
          '|'.join(book.sheetnames))
    sys.exit(0)


def show(value):
    if value is None:
        return "''"
    if isinstance(value, datetime.datetime):
        return value.strftime('D%Y-%m-%d') + (value.strftime(' %H:%M:%S') if value.time() != datetime.time() else '')
    if isinstance(value, bool):
        return repr(int(value))
    if isinstance(value, (int, float)):
        return repr(float(value))
    return repr(value)


rows = [list(r) for r in book[sys.argv[2]].iter_rows(values_only=True)]
last_row = max((i for i, r in enumerate(rows) if any(v is not None for v in r)), default=-1)
last_col = max((j for r in rows for j, v in enumerate(r) if v is not None), default=-1)
for r in rows[:last_row + 1]:
    print('|'.join(show(v) for v in (r + [None] * (last_col + 1))[:last_col + 1]))
