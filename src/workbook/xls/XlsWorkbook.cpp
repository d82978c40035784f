#include "workbook/xls/XlsWorkbook.h"

#include "values/NumberFormats.h"
#include "workbook/xls/BiffCodec.h"
#include "workbook/xls/BiffRecords.h"

#include <algorithm>

SubstreamRecords XlsSheet::allRecords() const
{
    return source.isEmpty() ? SubstreamRecords(records) : SubstreamRecords(source, qsizetype(streamOffset));
}

void XlsWorkbook::classifyFormats()
{
    xfIsDate.assign(xfFormats.size(), false);
    for (size_t i = 0; i < xfFormats.size(); ++i) {
        const int index = xfFormats[i];
        const auto custom = formats.constFind(index);
        xfIsDate[i] = custom != formats.cend() ? NumberFormats::isDate(*custom) : NumberFormats::isBuiltInDate(index);
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

XlsSheet* XlsWorkbook::sheet(const QString& name)
{
    return findSheet(sheets, name);
}

const XlsSheet* XlsWorkbook::sheet(const QString& name) const
{
    return findSheet(sheets, name);
}
