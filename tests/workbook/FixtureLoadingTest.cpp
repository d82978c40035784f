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
    EXPECT_EQ(tables.conta(2).DesConta, QStringLiteral("Bebidas e cafetaria"));
    EXPECT_EQ(tables.conta(2).ContaContab, QStringLiteral("3162"));
    EXPECT_EQ(tables.conta(4).Conta, QStringLiteral("64"));
    EXPECT_TRUE(tables.conta(4).DesConta.isEmpty());

    ASSERT_EQ(tables.NArtigos(), 7);
    QStringList codes;
    for (int i = 1; i <= 7; ++i)
        codes << tables.artigo(i).CodArtigo;
    EXPECT_EQ(codes.join(u','), QStringLiteral("1001,1002,1003,1005,1006,1007,1008"));
    const Artigo& acucar = tables.artigo(1);
    EXPECT_EQ(acucar.DescArtigo, QStringLiteral("Açúcar branco 1 kg"));
    EXPECT_EQ(acucar.Posicao, 3);
    EXPECT_EQ(acucar.DataRecepcao, 45355);
    EXPECT_EQ(Conversions::dateToSiteText(acucar.DataUltimaImportacao), QStringLiteral("15/03/2024 14:30:00"));
    EXPECT_EQ(acucar.PrecoCompraUnitario, 8.5);
    const Artigo& detergente = tables.artigo(5);
    EXPECT_EQ(detergente.DescArtigo, QStringLiteral("Detergente loiça (promoção 2 €)"));
    EXPECT_EQ(detergente.UnidadeDeStock, QStringLiteral("Unidade"));
    EXPECT_EQ(detergente.ConversaoCompraStock, 1);
    EXPECT_EQ(tables.artigo(2).DataUltimaImportacao, 0);

    ASSERT_EQ(tables.NLeituras(), 3);
    EXPECT_EQ(tables.leitura(1).QtEmUnidadeInventario, 10);
    EXPECT_EQ(tables.leitura(1).LeituraDuvidosa, 1);
    EXPECT_EQ(tables.leitura(1).QtEmUnidadeCompra, 1);
    EXPECT_EQ(tables.leitura(2).QtEmUnidadeCompra, 2);
    EXPECT_EQ(tables.leitura(3).Unidade, QStringLiteral("CX"));
    EXPECT_EQ(tables.leitura(3).QtEmUnidadeCompra, 3);

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

TEST(XlsReaderFixtures, FormulaCellsReadAsTheirCachedValues)
{
    XlsWorkbook book;
    QString error;
    ASSERT_TRUE(XlsReader::read(fixture("formulas-lo.xls"), &book, &error)) << error.toStdString();
    const XlsSheet* sheet = book.sheet(QStringLiteral("Formulas$"));
    ASSERT_TRUE(sheet);
    const auto text = [&](int row, int col) {
        for (const XlsSheet::Cell& c : sheet->rows[size_t(row)])
            if (c.col == col)
                return c.value().toText() + u'/' + QString::number(int(c.value().type()));
        return QStringLiteral("(none)");
    };
    EXPECT_EQ(text(0, 1), QStringLiteral("2,5/2"));
    EXPECT_EQ(text(1, 1), QStringLiteral("Total: 10/1"));
    EXPECT_EQ(text(2, 1), QStringLiteral("VERDADEIRO/4"));
    EXPECT_EQ(text(3, 1), QStringLiteral("#DIV/0!/5"));
    EXPECT_EQ(text(4, 1), QStringLiteral("/1"));
    EXPECT_EQ(text(4, 2), QStringLiteral("4/2")); // a shared formula
    EXPECT_EQ(text(2, 3), QStringLiteral("60/2")); // an array formula
}

TEST(XlsReaderFixtures, DatesOfThe1904SystemAndRichText)
{
    XlsWorkbook book;
    QString error;
    ASSERT_TRUE(XlsReader::read(fixture("date1904-lo.xls"), &book, &error)) << error.toStdString();
    const XlsSheet* dates = book.sheet(QStringLiteral("Datas"));
    ASSERT_TRUE(dates && dates->rows.size() >= 5);
    EXPECT_TRUE(dates->rows[1][0].value().isDate());
    EXPECT_EQ(dates->rows[1][0].value().toText(), QStringLiteral("01/01/1904"));
    EXPECT_EQ(dates->rows[4][0].value().toText(), QStringLiteral("01/03/2100"));
    EXPECT_EQ(dates->rows[3][1].value().toText(), QStringLiteral("31/12/2024 23:59:59"));

    ASSERT_TRUE(XlsReader::read(fixture("richtext-lo.xls"), &book, &error)) << error.toStdString();
    const XlsSheet* texts = book.sheet(QStringLiteral("textos"));
    ASSERT_TRUE(texts && texts->rows.size() >= 4);
    EXPECT_EQ(texts->rows[1][0].value().toText(), QStringLiteral("Normal, negrito e azul"));
    EXPECT_EQ(texts->rows[2][0].value().toText().size(), 4620);
    EXPECT_TRUE(texts->rows[2][0].value().toText().contains(QStringLiteral("0330 preço €")));
    EXPECT_EQ(texts->rows[3][0].value().toText(), QStringLiteral("Açúcar, limões, pão e feijão: 5 € / kg"));
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
    for (const auto& [name, reason] : cases) {
        XlsWorkbook book;
        QString error;
        EXPECT_FALSE(XlsReader::read(fixture(name), &book, &error)) << name;
        EXPECT_TRUE(error.contains(QString::fromUtf8(reason)) && error.contains(fixture(name)))
            << name << ": " << error.toStdString();
    }
    // The BOF of Excel 3.0 at the start of a file that is no compound file.
    XlsWorkbook book;
    QString error;
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
