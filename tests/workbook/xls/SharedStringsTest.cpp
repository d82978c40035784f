// A large shared-string table is read in two halves from where its EXTSST record points; wherever that points,
// the strings read are those of a plain read from the start.
#include "workbook/xls/BiffCodec.h"
#include "workbook/xls/EmptyXlsWorkbook.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Narrow and wide texts, and every so often one long enough to cross into a CONTINUE record.
QString textOf(int row)
{
    if (row % 5000 == 0)
        return QString(9000, QChar(u'a' + row % 26)) + QString::number(row);
    return row % 3 ? QStringLiteral("Artigo %1").arg(row) : QStringLiteral("Ração nº %1 €").arg(row);
}

void expectAllStrings(const QByteArray& stream, int rows)
{
    XlsWorkbook read;
    QString error;
    ASSERT_TRUE(XlsReader::readStream(stream, QStringLiteral("grande.xls"), &read, &error)) << error.toStdString();
    ASSERT_EQ(read.sheets[0].strings->size(), size_t(rows) + 1);
    for (int row = 1; row <= rows; ++row) {
        const XlsSheet::Cell* cell = read.sheets[0].cell(row, 0);
        ASSERT_NE(cell, nullptr) << row;
        ASSERT_EQ(cell->value.toText(), textOf(row)) << row;
    }
}

} // namespace

TEST(SharedStrings, ReadInHalvesWhereverTheIndexPoints)
{
    constexpr int kRows = 30000;
    XlsWorkbook made = EmptyXlsWorkbook::make({ { QStringLiteral("Folha"), { QStringLiteral("Texto") } } });
    for (int row = 1; row <= kRows; ++row)
        made.sheets[0].rows.push_back(
            { XlsSheet::Cell { 0, Biff::kDefaultCellXf, true, CellValue::text(textOf(row)) } });
    made.sheets[0].rowCount = kRows + 1;
    made.sheets[0].modified = true;
    QByteArray stream;
    QString error;
    ASSERT_TRUE(XlsWriter::writeStream(made, &stream, &error)) << error.toStdString();
    expectAllStrings(stream, kRows);

    qsizetype pos = 0;
    BiffRecord r;
    do {
        BiffCodec::nextRecord(stream, &pos, &r);
    } while (r.id != BiffId::ExtSst);
    const qsizetype buckets = pos - r.data.size() + 2;
    const qsizetype middle = buckets + (r.data.size() - 2) / 8 / 2 * 8;
    // To the start of the next bucket's string, into the middle of a string, past the table, and before it.
    const quint32 at = BiffCodec::read32(stream, middle);
    const qint64 nextBucket = qint64(BiffCodec::read32(stream, middle + 8)) - at;
    for (const qint64 shift : { nextBucket, qint64(1), qint64(-1), qint64(1) << 32, -(qint64(1) << 32) }) {
        QByteArray wrong = stream;
        const quint32 moved = quint32(std::clamp<qint64>(qint64(at) + shift, 0, 0xFFFFFFFF));
        for (int b = 0; b < 4; ++b)
            wrong[middle + b] = char(moved >> (8 * b));
        expectAllStrings(wrong, kRows);
    }
    // A bucket of no strings.
    QByteArray empty = stream;
    empty[buckets - 2] = 0;
    empty[buckets - 1] = 0;
    expectAllStrings(empty, kRows);
}
