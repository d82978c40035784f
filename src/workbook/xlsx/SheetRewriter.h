#pragma once
#include "workbook/xlsx/PartDeflater.h"
#include "workbook/xlsx/XmlOutput.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct XlsxSheet;
struct SheetCells;

// A worksheet written again as its part was read: everything outside sheetData as it stands, the dimension
// made to cover the cells, each row's start tag as read (but for r, written again, and spans, which written
// cells may pass), the written cells from the program (texts inline), and in a row that also has cells the
// program did not write, those cells as they stand.
class SheetRewriter
{
public:
    // xml is the part as read, needed only when needsPart() says so.
    SheetRewriter(const QByteArray& xml, const XlsxSheet& sheet, bool date1904);

    // Whether the sheet keeps cells the program did not write, which are copied from the part.
    static bool needsPart(const XlsxSheet& sheet);
    // The sheet's part, deflated as it is written, as a one-part archive (see PartDeflater).
    bool run(QByteArray* archive, QString* why);

private:
    struct OriginalCell
    {
        int col;
        qsizetype start; // the cell's element in the part, start tag to end tag
        qsizetype end;
        qsizetype nameEnd; // just after "<c", where a missing r attribute goes
        bool hasReference;
        // A formula left out: one shared from a cell the program wrote over, which holds it no more.
        qsizetype formulaStart = -1;
        qsizetype formulaEnd = -1;
    };

    void copy(qsizetype from, qsizetype to);
    void open(QByteArrayView name);
    void close(QByteArrayView name);
    void writeDimension();
    bool readRow(qsizetype at, std::vector<OriginalCell>* cells, QString* why);
    void copyCell(const OriginalCell& cell, int row);
    void openRow(int row, bool empty);
    void writeCell(const SheetCells& cells, size_t index, int row);
    bool writeSheetData(QString* why);

    const QByteArray& m_xml;
    const XlsxSheet& m_sheet;
    const bool m_date1904;
    PartDeflater m_deflater;
    XmlOutput m_out;
    std::vector<int> m_lostFormulas; // the si of shared formulas whose cell the program wrote over
};
