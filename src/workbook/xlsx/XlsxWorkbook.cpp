#include "workbook/xlsx/XlsxWorkbook.h"

#include "values/NumberFormats.h"

#include <algorithm>

namespace {

// Custom number formats are numbered from 164 up.
constexpr int kFirstCustomFormat = 164;
const QString kDatePattern = QStringLiteral("dd/mm/yyyy");

} // namespace

void XlsxWorkbook::classifyFormats()
{
    xfIsDate.assign(xfFormats.size(), false);
    for (size_t i = 0; i < xfFormats.size(); ++i) {
        const auto custom = formats.constFind(xfFormats[i]);
        xfIsDate[i]
            = custom != formats.cend() ? NumberFormats::isDate(*custom) : NumberFormats::isBuiltInDate(xfFormats[i]);
    }
}

int XlsxWorkbook::dateXf()
{
    if (addedDateXf >= 0)
        return addedDateXf;
    int format = -1;
    for (auto it = formats.cbegin(); it != formats.cend(); ++it) {
        if (it.value() == kDatePattern)
            format = it.key();
    }
    if (format >= 0) {
        for (size_t i = 1; i < xfFormats.size(); ++i) {
            if (xfFormats[i] == format)
                return addedDateXf = int(i);
        }
    } else {
        format = kFirstCustomFormat;
        for (auto it = formats.cbegin(); it != formats.cend(); ++it)
            format = std::max(format, it.key() + 1);
        formats.insert(format, kDatePattern);
        addedFormat = format;
    }
    if (xfFormats.empty()) {
        // A package without styles gets the default style first, so the date one is not taken for it.
        xfFormats.push_back(0);
        xfIsDate.push_back(false);
    }
    xfFormats.push_back(format);
    xfIsDate.push_back(true);
    addedDateXf = int(xfFormats.size()) - 1;
    dateXfAppended = true;
    return addedDateXf;
}

XlsxSheet* XlsxWorkbook::sheet(const QString& name)
{
    return findSheet(sheets, name);
}

const XlsxSheet* XlsxWorkbook::sheet(const QString& name) const
{
    return findSheet(sheets, name);
}
