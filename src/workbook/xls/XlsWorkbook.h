#pragma once
#include "values/SheetCells.h"
#include "workbook/xls/BiffRecord.h"
#include "workbook/xls/CompoundFile.h"
#include "workbook/xls/SharedStrings.h"
#include "workbook/xls/SubstreamRecords.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

using XlsStrings = std::shared_ptr<const SharedStrings>;

// One sheet as read: its records, kept to be written back as they came, and its cells decoded.
struct XlsSheet : SheetCells
{
    QByteArray boundSheetFlags; // visibility and sheet type, as in its BOUNDSHEET
    // The records of a sheet made in memory. A sheet read from a file keeps its records in source only: a
    // full sheet has over a million, and most commands never write it.
    std::vector<BiffRecord> records;
    QByteArray source;
    quint32 streamOffset = 0; // of its BOF in the stream the records came from
    XlsStrings strings; // the table its LABELSST records index

    // Its records in order, BOF to EOF: places in source for a sheet read.
    SubstreamRecords allRecords() const;
};

// A whole .xls workbook in memory: the compound file it came in, the workbook-wide records and the sheets.
struct XlsWorkbook
{
    enum class Version
    {
        Biff5,
        Biff8,
    };
    Version version = Version::Biff8;
    CompoundFile container;
    QString streamName; // "Workbook" or "Book"
    std::vector<BiffRecord> globals; // as read, BOF to EOF; views into globalsSource
    QByteArray globalsSource;
    std::vector<XlsSheet> sheets;
    bool date1904 = false;
    quint16 codepage = Biff::kCodepageWindows1252;
    std::vector<quint16> xfFormats; // number-format index of each XF
    QHash<int, QString> formats; // number formats by index, from the FORMAT records
    int addedDateXf = -1; // the date cell format for dates written where none was
    bool dateXfAppended = false; // whether that format was added to the XFs read

    std::vector<bool> xfIsDate; // from classifyFormats()

    int maxRows() const { return version == Version::Biff5 ? Biff::kMaxRowsBiff5 : Biff::kMaxRowsBiff8; }
    // Works out which XFs show their number as a date or a time.
    void classifyFormats();
    // How many XFs the file had, before the date format was added.
    size_t formatsRead() const { return xfFormats.size() - (dateXfAppended ? 1 : 0); }
    bool isDateXf(int xf) const { return xf >= 0 && size_t(xf) < xfIsDate.size() && xfIsDate[size_t(xf)]; }
    // The XF for dates written where no date format was: a copy of the default cell format showing
    // dd/mm/yyyy, added at the end of the formats the first time it is needed.
    int dateXf();
    // By name, with or without the trailing "$", ignoring case; nullptr when there is none.
    XlsSheet* sheet(const QString& name);
    const XlsSheet* sheet(const QString& name) const;
};
