#include "workbook/xls/XlsWorkbook.h"

#include "workbook/xls/BiffRecords.h"

#include <algorithm>

namespace {

bool isBuiltInDateFormat(int index)
{
    return (index >= 14 && index <= 22) || (index >= 27 && index <= 36) || (index >= 45 && index <= 47)
        || (index >= 50 && index <= 58);
}

QString bareName(const QString& name)
{
    return name.endsWith(u'$') ? name.chopped(1) : name;
}

} // namespace

bool XlsWorkbook::isDateFormat(const QString& format)
{
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'"') {
            const qsizetype close = format.indexOf(u'"', i + 1);
            if (close < 0)
                return false;
            i = close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype close = format.indexOf(u']', i + 1);
            if (close < 0)
                return false;
            const QString inside = format.mid(i + 1, close - i - 1).toLower();
            if (!inside.isEmpty()
                && (inside.count(u'h') == inside.size() || inside.count(u'm') == inside.size()
                    || inside.count(u's') == inside.size()))
                return true;
            i = close;
        } else {
            switch (c.toLower().unicode()) {
            case u'd':
            case u'm':
            case u'y':
            case u'h':
            case u's':
                return true;
            default:
                break;
            }
        }
    }
    return false;
}

void XlsWorkbook::classifyFormats()
{
    xfIsDate.assign(xfFormats.size(), false);
    for (size_t i = 0; i < xfFormats.size(); ++i) {
        const int index = xfFormats[i];
        const auto custom = formats.constFind(index);
        xfIsDate[i] = custom != formats.cend() ? isDateFormat(*custom) : isBuiltInDateFormat(index);
    }
}

int XlsWorkbook::dateXf()
{
    if (addedDateXf >= 0)
        return addedDateXf;
    const QString pattern = QStringLiteral("dd/mm/yyyy");
    const bool biff8 = version == Version::Biff8;
    int format = -1;
    for (auto it = formats.cbegin(); it != formats.cend(); ++it) {
        if (it.value() == pattern)
            format = it.key();
    }
    const auto lastOf = [&](quint16 id) {
        for (size_t i = globals.size(); i-- > 0;) {
            if (globals[i].id == id)
                return qsizetype(i);
        }
        return qsizetype(-1);
    };
    if (format >= 0) {
        for (size_t i = Biff::kDefaultCellXf + 1; i < xfFormats.size(); ++i) {
            if (xfFormats[i] == format)
                return addedDateXf = int(i);
        }
    } else {
        format = Biff::kFirstCustomFormat;
        for (auto it = formats.cbegin(); it != formats.cend(); ++it)
            format = std::max(format, it.key() + 1);
        qsizetype at = lastOf(BiffId::Format);
        if (at < 0)
            at = lastOf(BiffId::Xf) >= 0 ? lastOf(BiffId::Xf) - qsizetype(xfFormats.size()) : 0;
        globals.insert(globals.begin() + at + 1,
            BiffRecord { BiffId::Format, BiffRecords::format(biff8, quint16(format), pattern) });
        formats.insert(format, pattern);
    }
    const qsizetype lastXf = lastOf(BiffId::Xf);
    QByteArray xf;
    if (lastXf >= 0) {
        // The default cell format's font and alignment carry over.
        qsizetype source = lastXf;
        int seen = int(xfFormats.size());
        for (size_t i = size_t(lastXf) + 1; i-- > 0 && seen > Biff::kDefaultCellXf;) {
            if (globals[i].id == BiffId::Xf && --seen == Biff::kDefaultCellXf)
                source = qsizetype(i);
        }
        xf = globals[size_t(source)].data;
    } else {
        xf = QByteArray(biff8 ? BiffRecords::kXfSizeBiff8 : BiffRecords::kXfSizeBiff5, '\0');
    }
    globals.insert(globals.begin() + (lastXf >= 0 ? lastXf + 1 : qsizetype(globals.size()) - 1),
        BiffRecord { BiffId::Xf, BiffRecords::withNumberFormat(xf, biff8, quint16(format)) });
    xfFormats.push_back(quint16(format));
    xfIsDate.push_back(true);
    addedDateXf = int(xfFormats.size()) - 1;
    dateXfAppended = true;
    return addedDateXf;
}

namespace {

// Where col stands, or would stand, among a row's cells, which are kept in column order.
template <typename Cells> auto placeOf(Cells& cells, int col)
{
    return std::lower_bound(
        cells.begin(), cells.end(), col, [](const XlsSheet::Cell& c, int wanted) { return c.col < wanted; });
}

} // namespace

const XlsSheet::Cell* XlsSheet::cell(int row, int col) const
{
    if (row < 0 || size_t(row) >= rows.size())
        return nullptr;
    const auto& cells = rows[size_t(row)];
    const auto it = placeOf(cells, col);
    return it != cells.end() && it->col == col ? &*it : nullptr;
}

void XlsSheet::setCell(int row, const Cell& cell)
{
    if (size_t(row) >= rows.size())
        rows.resize(size_t(row) + 1);
    auto& cells = rows[size_t(row)];
    const auto it = placeOf(cells, cell.col);
    if (it != cells.end() && it->col == cell.col)
        *it = cell;
    else
        cells.insert(it, cell);
}

XlsSheet* XlsWorkbook::sheet(const QString& name)
{
    return const_cast<XlsSheet*>(std::as_const(*this).sheet(name));
}

const XlsSheet* XlsWorkbook::sheet(const QString& name) const
{
    const QString wanted = bareName(name);
    for (const XlsSheet& s : sheets) {
        if (s.name == wanted)
            return &s;
    }
    for (const XlsSheet& s : sheets) {
        if (s.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}
