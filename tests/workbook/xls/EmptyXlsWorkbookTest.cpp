// A new workbook as the xls layer makes it, read back by our own reader.
#include "workbook/xls/EmptyXlsWorkbook.h"

#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"

#include <gtest/gtest.h>

#include <utility>

using namespace Qt::StringLiterals;

TEST(EmptyXlsWorkbook, ReadsBackWithItsSheetsHeadingsAndFormats)
{
    XlsWorkbook made = EmptyXlsWorkbook::make({ { u"Primeira"_s, { u"A"_s, u"Bê"_s } }, { u"Vazia"_s, {} } });
    const int dateXf = made.dateXf();
    made.sheets[1].rows.push_back({ XlsSheet::Cell { 2, quint16(dateXf), true, CellValue::date(45000.25) } });
    made.sheets[1].rowCount = 2;
    QByteArray stream;
    QString error;
    ASSERT_TRUE(XlsWriter::writeStream(made, &stream, &error)) << error.toStdString();

    XlsWorkbook read;
    ASSERT_TRUE(XlsReader::readStream(stream, QStringLiteral("novo.xls"), &read, &error)) << error.toStdString();
    EXPECT_EQ(read.version, XlsWorkbook::Version::Biff8);
    EXPECT_EQ(read.codepage, Biff::kCodepageUtf16);
    // What the workbook keeps beside its records matches the records it wrote.
    EXPECT_EQ(read.xfFormats, made.xfFormats);
    EXPECT_EQ(read.formats, made.formats);
    EXPECT_EQ(read.dateXf(), dateXf);
    EXPECT_FALSE(read.dateXfAppended);

    ASSERT_EQ(read.sheets.size(), 2u);
    const XlsSheet& first = read.sheets[0];
    EXPECT_EQ(first.name, QStringLiteral("Primeira"));
    EXPECT_EQ(first.rowCount, 1);
    ASSERT_NE(first.cell(0, 1), nullptr);
    EXPECT_EQ(first.cell(0, 1)->value(), CellValue::text(QStringLiteral("Bê")));
    EXPECT_EQ(first.cell(0, 2), nullptr);
    const XlsSheet& second = read.sheets[1];
    EXPECT_EQ(second.name, QStringLiteral("Vazia"));
    ASSERT_NE(second.cell(1, 2), nullptr);
    EXPECT_EQ(second.cell(1, 2)->value(), CellValue::date(45000.25));
}

// A MULRK whose columns run past the last one (a damaged file) still saves once one of its cells is rewritten: the
// others go on as RKs of their own, each with its own entry's value.
TEST(EmptyXlsWorkbook, AMulRkRunningPastTheLastColumnSplitsWhenACellIsRewritten)
{
    const XlsWorkbook made = EmptyXlsWorkbook::make({ { u"A"_s, { u"h"_s } } });
    QByteArray stream;
    QString error;
    ASSERT_TRUE(XlsWriter::writeStream(made, &stream, &error)) << error.toStdString();
    const qsizetype at = stream.lastIndexOf(QByteArray::fromHex("fd000a00")); // the heading's LABELSST
    ASSERT_GT(at, 0);
    // Row 0 from column 65534 on: RKs of 1, 2 and 3 in the default format; the last sheet, so no offset moves.
    stream.replace(at, 14,
        QByteArray::fromHex("bd001800"
                            "0000feff"
                            "0f0006000000"
                            "0f000a000000"
                            "0f000e000000"
                            "0000"));
    XlsWorkbook book;
    ASSERT_TRUE(XlsReader::readStream(stream, u"mulrk.xls"_s, &book, &error)) << error.toStdString();
    book.sheets[0].setCell(0, XlsSheet::Cell { 65535, 15, true, CellValue::number(9) });
    book.sheets[0].modified = true;
    ASSERT_TRUE(XlsWriter::writeStream(book, &stream, &error)) << error.toStdString();
    XlsWorkbook read;
    ASSERT_TRUE(XlsReader::readStream(stream, u"mulrk.xls"_s, &read, &error)) << error.toStdString();
    for (const auto& [col, value] : { std::pair { 65534, 1.0 }, { 65535, 9.0 }, { 0, 3.0 } }) {
        ASSERT_NE(read.sheets[0].cell(0, col), nullptr) << col;
        EXPECT_EQ(read.sheets[0].cell(0, col)->value().numberValue(), value) << col;
    }
}
