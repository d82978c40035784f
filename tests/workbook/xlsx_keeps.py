"""What openpyxl, an independent reader, finds in an .xlsx besides the cells a save writes.

xlsx_keeps.py FILE: one line a fact: defined names, and for each sheet its merged cells, frozen pane, column
widths, comments, the formulas and the fonts, fills and number formats of its cells.
"""
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
for name in sorted(book.defined_names.definedName, key=lambda n: n.name):
    print('name', name.name, name.attr_text)
for ws in book.worksheets:
    print(ws.title, 'merged', sorted(str(r) for r in ws.merged_cells.ranges))
    print(ws.title, 'pane', ws.freeze_panes)
    for letter, dim in sorted(ws.column_dimensions.items()):
        if dim.customWidth:
            print(ws.title, 'width', letter, round(dim.width, 2))
    for row in ws.iter_rows():
        for c in row:
            if c.comment:
                print(ws.title, 'comment', c.coordinate, c.comment.author, c.comment.text.strip())
            if c.data_type == 'f':
                print(ws.title, 'formula', c.coordinate, c.value)
            style = (c.font.b, c.font.i, c.font.color.rgb if c.font.color else None, c.fill.fgColor.rgb,
                     c.number_format)
            if style != (False, False, None, '00000000', 'General') and c.value is not None:
                print(ws.title, 'style', c.coordinate, style)
