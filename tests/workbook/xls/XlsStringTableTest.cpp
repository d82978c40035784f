// The shared-string table a save writes: each text once, every text cell pointing at its own, whether the cell
// was rewritten or copied from a sheet left as it was read.
#include "workbook/xls/EmptyXlsWorkbook.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"

#include <QSet>

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr int kRows = 3000;
constexpr int kColumns = 4;

// Random texts into every modified sheet: a few hundred, as shared copies and as equal texts of their own, wide
// and narrow, some of them strings of the table read; some cells numbers. model holds what each cell must read
// back as.
void fill(XlsWorkbook& book, std::vector<std::vector<CellValue>>& model, std::mt19937& rng)
{
    std::vector<QString> pool;
    for (int i = 0; i < 300; ++i)
        pool.push_back(i % 7 ? QStringLiteral("texto %1").arg(rng() % 1000) : QStringLiteral("ação € 漢 %1").arg(i));
    if (book.sheets[0].strings) {
        for (const XlsString& string : *book.sheets[0].strings) {
            if (rng() % 3 == 0)
                pool.push_back(string.text);
        }
    }
    for (size_t s = 0; s < book.sheets.size(); ++s) {
        XlsSheet& sheet = book.sheets[s];
        if (s == 1)
            continue; // left as read: its cells are copied and point into the new table
        sheet.modified = true;
        sheet.rowCount = kRows + 1;
        sheet.rows.resize(kRows + 1);
        for (int r = 1; r <= kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                // A and C draw from halves of the pool: the strings C had are not all in use after it.
                const QString& text = pool[(s * pool.size() / 4 + rng() % (pool.size() / 2)) % pool.size()];
                const CellValue value = rng() % 10 == 0 ? CellValue::number(rng() % 100)
                    : rng() % 3 == 0                    ? CellValue::text(QString(text.constData(), text.size()))
                                                        : CellValue::text(text);
                sheet.setCell(r, XlsSheet::Cell { quint16(c), 0, true, value });
                model[s][size_t(r * kColumns + c)] = value;
            }
        }
    }
}

// A text of its own in the first column of rows 1 to rows.
void fillFirstColumn(XlsSheet& sheet, int rows)
{
    sheet.modified = true;
    for (int r = 1; r <= rows; ++r)
        sheet.setCell(r, XlsSheet::Cell { 0, 0, true, CellValue::text(QStringLiteral("texto número %1").arg(r)) });
    sheet.rowCount = rows + 1;
}

XlsWorkbook savedAndRead(const XlsWorkbook& book)
{
    QByteArray stream;
    QString error;
    EXPECT_TRUE(XlsWriter::writeStream(book, &stream, &error)) << error.toStdString();
    XlsWorkbook read;
    EXPECT_TRUE(XlsReader::readStream(stream, QStringLiteral("textos.xls"), &read, &error)) << error.toStdString();
    return read;
}

} // namespace

TEST(XlsStringTable, RandomTextsReadBackWithEachTextOnceInTheTable)
{
    std::mt19937 rng(17);
    XlsWorkbook book = EmptyXlsWorkbook::make({ { QStringLiteral("A"), { QStringLiteral("h") } },
        { QStringLiteral("B"), { QStringLiteral("h") } }, { QStringLiteral("C"), { QStringLiteral("h") } } });
    std::vector<std::vector<CellValue>> model(3, std::vector<CellValue>(size_t((kRows + 1) * kColumns)));
    // The first save fills all three sheets; the second rewrites A and C, so B's cells are copied.
    fill(book, model, rng);
    book.sheets[1] = book.sheets[0];
    book.sheets[1].name = QStringLiteral("B");
    model[1] = model[0];
    book = savedAndRead(book);
    fill(book, model, rng);
    const XlsWorkbook read = savedAndRead(book);

    QSet<QString> texts { QStringLiteral("h") };
    ASSERT_EQ(read.sheets.size(), 3u);
    for (size_t s = 0; s < 3; ++s) {
        for (int r = 1; r <= kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                const CellValue& expected = model[s][size_t(r * kColumns + c)];
                const XlsSheet::Cell* cell = read.sheets[s].cell(r, c);
                ASSERT_EQ(cell ? cell->value() : CellValue(), expected) << s << ' ' << r << ' ' << c;
                if (expected.isText())
                    texts.insert(expected.storedText());
            }
        }
    }
    ASSERT_TRUE(read.sheets[0].strings);
    EXPECT_EQ(read.sheets[0].strings->size(), size_t(texts.size()));
}

// A file may name one cell many times, the last record winning. The cells it drops let go of their strings
// only after the sheet's shares of the table have been counted, or the table would go with them.
TEST(XlsStringTable, ACellNamedManyTimesKeepsTheTableWhole)
{
    const XlsWorkbook book = EmptyXlsWorkbook::make({ { QStringLiteral("A"), { QStringLiteral("h") } } });
    QByteArray stream;
    QString error;
    ASSERT_TRUE(XlsWriter::writeStream(book, &stream, &error)) << error.toStdString();
    const QByteArray labelSst = QByteArray::fromHex("fd000a00"); // LABELSST, 10 bytes
    const qsizetype at = stream.lastIndexOf(labelSst);
    ASSERT_GT(at, 0);
    const QByteArray record = stream.mid(at, 14);
    stream.insert(at, record.repeated(20000));
    XlsWorkbook read;
    ASSERT_TRUE(XlsReader::readStream(stream, QStringLiteral("muitas.xls"), &read, &error)) << error.toStdString();
    ASSERT_EQ(read.sheets[0].rows[0].size(), 1u);
    EXPECT_EQ(read.sheets[0].rows[0][0].value().storedText(), QStringLiteral("h"));
    EXPECT_EQ((*read.sheets[0].strings)[0].text, QStringLiteral("h"));
}

// Qt lets a copy that grows keep the room its string had before it in its memory: a cell text of a large table
// that is added to must not take the table's room with it.
TEST(XlsStringTable, ATextThatGrowsTakesLittleMoreThanItself)
{
    XlsWorkbook book = EmptyXlsWorkbook::make({ { QStringLiteral("A"), { QStringLiteral("h") } } });
    fillFirstColumn(book.sheets[0], 20000);
    const XlsWorkbook read = savedAndRead(book);
    QString grown = read.sheets[0].cell(20000, 0)->value().storedText();
    grown += u'!';
    EXPECT_EQ(grown, QStringLiteral("texto número 20000!"));
    EXPECT_LT(grown.data_ptr().freeSpaceAtBegin(), 4096);
}

// A copied cell whose string is missing from the table it was read with reads empty after a save, not as the
// string its old index names in the new table.
TEST(XlsStringTable, ACellWhoseStringIsMissingReadsEmptyAfterASave)
{
    const XlsWorkbook made = EmptyXlsWorkbook::make(
        { { QStringLiteral("A"), { QStringLiteral("h") } }, { QStringLiteral("B"), { QStringLiteral("h") } } });
    QByteArray stream;
    QString error;
    ASSERT_TRUE(XlsWriter::writeStream(made, &stream, &error)) << error.toStdString();
    // B's heading, the last text cell, points past the table.
    const qsizetype at = stream.lastIndexOf(QByteArray::fromHex("fd000a00")); // LABELSST, 10 bytes
    ASSERT_GT(at, 0);
    stream.replace(at + 4 + 6, 4, QByteArray::fromHex("88130000")); // 5,000
    XlsWorkbook book;
    ASSERT_TRUE(XlsReader::readStream(stream, QStringLiteral("falta.xls"), &book, &error)) << error.toStdString();
    fillFirstColumn(book.sheets[0], 6000);
    const XlsWorkbook read = savedAndRead(book);
    const XlsSheet::Cell* heading = read.sheets[1].cell(0, 0);
    EXPECT_TRUE(!heading || heading->value().storedText().isEmpty()) << heading->value().toText().toStdString();
}
