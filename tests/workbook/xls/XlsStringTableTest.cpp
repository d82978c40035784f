// The shared-string table a save writes: each text once, every text cell pointing at its own, whether the cell
// was rewritten or copied from a sheet left as it was read.
#include "workbook/xls/BiffCodec.h"
#include "workbook/xls/EmptyXlsWorkbook.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"

#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

constexpr int kRows = 3000;
constexpr int kColumns = 4;

// Random texts into every modified sheet: a few hundred, as shared copies and as equal texts of their own, wide
// and narrow; some cells numbers. model holds what each cell must read back as.
void fill(XlsWorkbook& book, std::vector<std::vector<CellValue>>& model, std::mt19937& rng)
{
    std::vector<QString> pool;
    for (int i = 0; i < 300; ++i)
        pool.push_back(i % 7 ? QStringLiteral("texto %1").arg(rng() % 1000) : QStringLiteral("ação € 漢 %1").arg(i));
    for (size_t s = 0; s < book.sheets.size(); ++s) {
        XlsSheet& sheet = book.sheets[s];
        if (s == 1)
            continue; // left as read: its cells are copied and point into the new table
        sheet.modified = true;
        sheet.rowCount = kRows + 1;
        sheet.rows.resize(kRows + 1);
        for (int r = 1; r <= kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                const QString& text = pool[rng() % pool.size()];
                const CellValue value = rng() % 10 == 0 ? CellValue::number(rng() % 100)
                    : rng() % 3 == 0                    ? CellValue::text(QString(text.constData(), text.size()))
                                                        : CellValue::text(text);
                sheet.setCell(r, XlsSheet::Cell { quint16(c), 0, true, value });
                model[s][size_t(r * kColumns + c)] = value;
            }
        }
    }
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

// A long table is read in two halves, the second from where EXTSST says its bucket begins. Read whole, read from
// an EXTSST that points into the middle of a string, and read without one, the strings are the same.
TEST(XlsStringTable, ALongTableReadsTheSameWhereverItsIndexPoints)
{
    std::mt19937 rng(23);
    XlsWorkbook book = EmptyXlsWorkbook::make({ { QStringLiteral("A"), { QStringLiteral("h") } } });
    XlsSheet& sheet = book.sheets[0];
    sheet.modified = true;
    QStringList expected { QStringLiteral("h") };
    for (int r = 1; r <= 6000; ++r) {
        // Some wide, some long enough to be split between records.
        const QString text = QStringLiteral("%1 %2").arg(r).arg(QString(int(rng() % 300), r % 5 ? u'x' : u'€'));
        sheet.setCell(r, XlsSheet::Cell { 0, 0, true, CellValue::text(text) });
        expected << text;
    }
    QByteArray stream;
    QString error;
    ASSERT_TRUE(XlsWriter::writeStream(book, &stream, &error)) << error.toStdString();
    const auto strings = [&](const QByteArray& bytes) {
        XlsWorkbook read;
        EXPECT_TRUE(XlsReader::readStream(bytes, QStringLiteral("textos.xls"), &read, &error)) << error.toStdString();
        QStringList texts;
        for (const XlsString& s : *read.sheets.at(0).strings)
            texts << s.text;
        return std::pair { texts, read };
    };
    const auto [texts, read] = strings(stream);
    ASSERT_EQ(texts.size(), expected.size());
    EXPECT_EQ(QSet<QString>(texts.begin(), texts.end()), QSet<QString>(expected.begin(), expected.end()));

    const auto extSst = std::find_if(
        read.globals.begin(), read.globals.end(), [](const BiffRecord& r) { return r.id == BiffId::ExtSst; });
    ASSERT_NE(extSst, read.globals.end());
    const qsizetype at = extSst->data.constData() - read.globalsSource.constData();
    const qsizetype end = at + extSst->data.size();
    for (const bool byAByte : { true, false }) {
        // Every bucket a byte on, or at the start of the next bucket's first string, with the record offset to
        // match: either way the halves no longer meet.
        QByteArray lying = stream;
        for (qsizetype b = at + 2; b + 16 <= end; b += 8) {
            const qsizetype from = byAByte ? b : b + 8;
            BiffCodec::put32(lying, b, BiffCodec::read32(stream, from) + byAByte);
            BiffCodec::put16(lying, b + 4, quint16(BiffCodec::read16(stream, from + 4) + byAByte));
        }
        EXPECT_EQ(strings(lying).first, texts) << byAByte;
    }
    QByteArray without = stream;
    without[at - 4] = '\x01'; // not EXTSST any more: a record this reader passes over
    EXPECT_EQ(strings(without).first, texts);
}
