#pragma once
#include "values/SheetCells.h"
#include "workbook/xlsx/XlsxPackage.h"

#include <QHash>
#include <QString>

#include <vector>

// One sheet of an .xlsx: its cells decoded and the part it came from, which a save reads again to keep
// everything in it but the cells written.
struct XlsxSheet : SheetCells
{
    static constexpr quint32 kNoRow = ~0u;

    QString part; // e.g. "xl/worksheets/sheet1.xml"
    // What a save keeps of the part around the cells, taken as it was read, so that a save that writes every
    // cell of a sheet need not inflate the part again.
    QByteArray beforeData; // the XML before sheetData, without the dimension element
    qsizetype dimensionAt = -1; // where the dimension element was in it
    QByteArray afterData; // the XML after sheetData
    qsizetype sheetDataEnd = -1; // where that is in the part
    QByteArray prefix; // of the sheet's element names, with its colon ("x:"), or empty
    // Each row's attributes but r and spans, as written, each after a blank; rows that write the same share
    // one copy.
    std::vector<QByteArray> rowAttributes;
    // The cells that hold a shared formula for the cells after them (t="shared" with a ref), by its si.
    struct SharedFormula
    {
        int si;
        int row;
        int col;
    };
    std::vector<SharedFormula> sharedFormulas;
    std::vector<quint32> rowTags; // where each row's start tag is, kNoRow for a row the part does not have
};

// A whole .xlsx in memory: the package as read, the parts the program reads, and the sheets.
struct XlsxWorkbook
{
    // An .xlsx sheet holds 1,048,576 rows.
    static constexpr int kMaxRows = 1 << 20;

    XlsxPackage package;
    QString workbookPart; // "xl/workbook.xml" as the package names it
    QString stylesPart; // empty when the package has none
    QString sharedStringsPart;
    QString calcChainPart; // Excel's calculation chain, empty when there is none
    QString calcChainRelationship; // its relationship's Id
    std::vector<XlsxSheet> sheets;
    bool date1904 = false;
    std::vector<int> xfFormats; // number-format id of each cellXfs entry
    QHash<int, QString> formats; // custom number formats by id
    std::vector<bool> xfIsDate;
    int addedDateXf = -1; // the date style for dates written where none was
    int addedFormat = -1; // the number format that style shows, when it was added too
    bool dateXfAppended = false;

    void classifyFormats();
    // How many cellXfs entries the file had, before the date style (and the default one a package without
    // styles gets with it) were added.
    size_t formatsRead() const
    {
        return dateXfAppended ? (stylesPart.isEmpty() ? 0 : xfFormats.size() - 1) : xfFormats.size();
    }
    bool isDateXf(int xf) const { return xf >= 0 && size_t(xf) < xfIsDate.size() && xfIsDate[size_t(xf)]; }
    // The style for dates written where no date style was: the default cell style showing dd/mm/yyyy,
    // added at the end of cellXfs the first time it is needed.
    int dateXf();
    // By name, with or without the trailing "$", ignoring case; nullptr when there is none.
    XlsxSheet* sheet(const QString& name);
    const XlsxSheet* sheet(const QString& name) const;
};
