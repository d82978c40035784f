import sys, xlrd
def info(path):
    b = xlrd.open_workbook(path, formatting_info=True)
    out = {}
    out['sheets'] = b.sheet_names()
    out['fonts'] = [(f.name, f.height, f.bold, f.italic) for f in b.font_list]
    out['formats'] = sorted((k, v.format_str) for k, v in b.format_map.items())
    out['names'] = sorted(b.name_map.keys())
    for s in b.sheets():
        out['cols:'+s.name] = sorted((k, v.width) for k, v in s.colinfo_map.items())
        out['merged:'+s.name] = s.merged_cells
        if s.name == 'Resumo':
            out['resumo'] = [s.row_values(r) for r in range(s.nrows)]
        # heading xf fonts
        if s.nrows:
            out['headfont:'+s.name] = [b.xf_list[s.cell_xf_index(0, c)].font_index for c in range(s.ncols)]
    return out
a = info(sys.argv[1]); b = info(sys.argv[2])
for k in sorted(set(a) | set(b)):
    if a.get(k) != b.get(k):
        print('DIFF', k, '\n  before', a.get(k), '\n  after ', b.get(k))
print('compared', len(a), 'keys')
