// Workbooks made by LibreOffice and Gnumeric, loaded as start-up loads them.
#include "platform/Clock.h"
#include "support/ScriptedInteraction.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWorkbook.h"
#include "workbook/xls/XlsWriter.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(TARVIK_FIXTURES "/data/") + QString::fromLatin1(name);
}

class InventoryFixture : public ::testing::TestWithParam<const char*>
{
protected:
    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables { ui, clock };
    DataControl data1;
};

} // namespace

TEST_P(InventoryFixture, LoadsWithTheMergeRules)
{
    data1.setDatabaseName(fixture(GetParam()));
    InventoryLoader loader(data1, tables, ui);
    QString first, second;
    ASSERT_TRUE(loader.loadAll(&first, &second)) << second.toStdString();

    ASSERT_EQ(tables.NContas(), 4);
    EXPECT_EQ(std::tuple(tables.conta(2).DesConta, tables.conta(2).ContaContab, tables.conta(4).Conta,
                  tables.conta(4).DesConta),
        std::tuple(u"Bebidas e cafetaria"_s, u"3162"_s, u"64"_s, QString()));

    ASSERT_EQ(tables.NArtigos(), 7);
    QStringList codes;
    for (int i = 1; i <= 7; ++i)
        codes << tables.artigo(i).CodArtigo;
    EXPECT_EQ(codes.join(u','), u"1001,1002,1003,1005,1006,1007,1008"_s);
    const Artigo& acucar = tables.artigo(1);
    EXPECT_EQ(std::tuple(acucar.DescArtigo, acucar.Posicao, acucar.DataRecepcao, acucar.PrecoCompraUnitario,
                  Conversions::dateToSiteText(acucar.DataUltimaImportacao)),
        std::tuple(u"Açúcar branco 1 kg"_s, 3, 45355.0, 8.5, u"15/03/2024 14:30:00"_s));
    const Artigo& detergente = tables.artigo(5);
    EXPECT_EQ(std::tuple(detergente.DescArtigo, detergente.UnidadeDeStock, detergente.ConversaoCompraStock,
                  tables.artigo(2).DataUltimaImportacao),
        std::tuple(u"Detergente loiça (promoção 2 €)"_s, u"Unidade"_s, 1.0, 0.0));

    ASSERT_EQ(tables.NLeituras(), 3);
    const Leitura& reading = tables.leitura(1);
    EXPECT_EQ(std::tuple(reading.QtEmUnidadeInventario, reading.LeituraDuvidosa, reading.QtEmUnidadeCompra,
                  tables.leitura(2).QtEmUnidadeCompra, tables.leitura(3).QtEmUnidadeCompra, tables.leitura(3).Unidade),
        std::tuple(10.0, 1.0, 1.0, 2.0, 3.0, u"CX"_s));

    QStringList barcodes;
    for (int i = 1; i <= tables.NCodBarras(); ++i) {
        const CodigoBarras& c = tables.codigoBarras(i);
        barcodes << c.CodArtigo.toText() + u'|' + c.Unidade.toText() + u'|' + c.CodBarras.toText();
    }
    EXPECT_EQ(barcodes.join(u',').toStdString(),
        "1001|CX|5601234000035,1001|CX|5601234000011,1002|PACK|,1002|UN|5601234000028,9999|UN|5609999000014");
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(OtherPrograms, InventoryFixture,
    ::testing::Values(
        "inventory-lo.xls", "inventory-gnumeric-biff5.xls", "inventory-gnumeric-biff8.xls", "dimensions-lo.xls"));

// Formulas as their cached values, dates of the 1904 system, and rich text.
TEST(XlsReaderFixtures, CellsReadAsLibreOfficeShowsThem)
{
    XlsWorkbook book;
    QString error;
    ASSERT_TRUE(XlsReader::read(fixture("formulas-lo.xls"), &book, &error)) << error.toStdString();
    const XlsSheet* sheet = book.sheet(u"Formulas$"_s);
    ASSERT_TRUE(sheet);
    const auto text = [&](int row, int col) {
        for (const XlsSheet::Cell& c : sheet->rows[size_t(row)])
            if (c.col == col)
                return c.value().toText() + u'/' + QString::number(int(c.value().type()));
        return u"(none)"_s;
    };
    EXPECT_EQ(text(0, 1), u"2,5/2"_s);
    EXPECT_EQ(text(1, 1), u"Total: 10/1"_s);
    EXPECT_EQ(text(2, 1), u"VERDADEIRO/4"_s);
    EXPECT_EQ(text(3, 1), u"#DIV/0!/5"_s);
    EXPECT_EQ(text(4, 1), u"/1"_s);
    EXPECT_EQ(text(4, 2), u"4/2"_s); // a shared formula
    EXPECT_EQ(text(2, 3), u"60/2"_s); // an array formula

    ASSERT_TRUE(XlsReader::read(fixture("date1904-lo.xls"), &book, &error)) << error.toStdString();
    const XlsSheet* dates = book.sheet(u"Datas"_s);
    ASSERT_TRUE(dates && dates->rows.size() >= 5);
    EXPECT_TRUE(dates->rows[1][0].value().isDate());
    EXPECT_EQ(dates->rows[1][0].value().toText(), u"01/01/1904"_s);
    EXPECT_EQ(dates->rows[4][0].value().toText(), u"01/03/2100"_s);
    EXPECT_EQ(dates->rows[3][1].value().toText(), u"31/12/2024 23:59:59"_s);

    ASSERT_TRUE(XlsReader::read(fixture("richtext-lo.xls"), &book, &error)) << error.toStdString();
    const XlsSheet* texts = book.sheet(u"textos"_s);
    ASSERT_TRUE(texts && texts->rows.size() >= 4);
    EXPECT_EQ(texts->rows[1][0].value().toText(), u"Normal, negrito e azul"_s);
    EXPECT_EQ(texts->rows[2][0].value().toText().size(), 4620);
    EXPECT_TRUE(texts->rows[2][0].value().toText().contains(u"0330 preço €"_s));
    EXPECT_EQ(texts->rows[3][0].value().toText(), u"Açúcar, limões, pão e feijão: 5 € / kg"_s);
}

TEST(XlsReaderFixtures, RefusesWhatItCannotReadWithTheReason)
{
    const std::pair<const char*, const char*> cases[] = {
        { "password.xls", "palavra-passe" },
        { "truncated.xls", "danificado" },
        { "not-a-workbook.xls", "não é um livro" },
        { "inventory.xlsx", "97-2003" },
        { "inventory.ods", "97-2003" },
        { "nada.xls", "não existe" },
    };
    // Each reason names its file, so one left from the case before cannot pass for the next.
    XlsWorkbook book;
    QString error;
    for (const auto& [name, reason] : cases) {
        EXPECT_FALSE(XlsReader::read(fixture(name), &book, &error)) << name;
        EXPECT_TRUE(error.contains(QString::fromUtf8(reason)) && error.contains(fixture(name)))
            << name << ": " << error.toStdString();
    }
    // The BOF of Excel 3.0 at the start of a file that is no compound file.
    EXPECT_FALSE(XlsReader::readBytes(QByteArray::fromHex("0902060000001000"), QStringLiteral("c.xls"), &book, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("anterior ao Excel 5.0")) && error.contains(QStringLiteral("c.xls")))
        << error.toStdString();
}

// What the fuzzer found: each is refused with a reason or read, and a small file stays small in memory.
TEST(XlsReaderFuzzFindings, RefuseOrReadWithinBounds)
{
    const QDir folder(QStringLiteral(TARVIK_FIXTURES "/data/fuzz"));
    const QStringList found = folder.entryList({ QStringLiteral("*-*") }, QDir::Files);
    ASSERT_EQ(found.size(), 5);
    for (const QString& name : found) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray input = file.readAll();
        const QByteArray bytes = input.mid(1);
        XlsWorkbook book;
        QString error;
        const bool read = input.at(0) & 1 ? XlsReader::readStream(bytes, name, &book, &error)
                                          : XlsReader::readBytes(bytes, name, &book, &error);
        EXPECT_TRUE(read || error.contains(name)) << name.toStdString() << ": " << error.toStdString();
        size_t rows = 0;
        for (const XlsSheet& sheet : book.sheets)
            rows += sheet.rows.size();
        EXPECT_LT(rows, size_t(bytes.size())) << name.toStdString();
        // A workbook that reads saves with a date written into a row it holds, or says why it cannot.
        if (!read)
            continue;
        const auto sheet = std::find_if(book.sheets.begin(), book.sheets.end(), [](auto& s) { return s.isWorksheet; });
        const int dateXf = book.dateXf();
        if (sheet != book.sheets.end()) {
            sheet->setCell(1, XlsSheet::Cell { 2, quint16(dateXf), true, CellValue::date(46000) });
            sheet->rowCount = std::max(sheet->rowCount, 2);
            sheet->modified = true;
        }
        QByteArray written;
        if (XlsWriter::writeStream(book, &written, &error))
            EXPECT_TRUE(XlsReader::readStream(written, name, &book, &error)) << name.toStdString();
        else
            EXPECT_TRUE(error.contains(QStringLiteral("nada foi gravado"))) << error.toStdString();
    }
}
