"""What xlrd, an independent reader, sees in a workbook.

read_with_xlrd.py FILE SHEET: one line a row, the cells joined by "|"; a cell with a date format as
D<yyyy-mm-dd>[ hh:mm:ss] in the workbook's own date system, the others as repr.
read_with_xlrd.py FILE: the BIFF version, the date system and the sheet names.
"""
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1])
if len(sys.argv) == 2:
    print('biff', book.biff_version, 'datemode', book.datemode, '|'.join(book.sheet_names()))
    sys.exit(0)


def show(cell):
    if cell.ctype != xlrd.XL_CELL_DATE:
        return repr(cell.value)
    try:
        y, mo, d, h, mi, s = xlrd.xldate_as_tuple(cell.value, book.datemode)
    except xlrd.xldate.XLDateError:
        # negative, or in Excel's ambiguous days before 1900-03-01
        return 'D?%r' % cell.value
    return 'D%04d-%02d-%02d' % (y, mo, d) + (' %02d:%02d:%02d' % (h, mi, s) if (h, mi, s) != (0, 0, 0) else '')


sheet = book.sheet_by_name(sys.argv[2])
for r in range(sheet.nrows):
    print('|'.join(show(c) for c in sheet.row(r)))
