// A save into an .xlsx made by LibreOffice keeps everything the program does not write.
#include "platform/Clock.h"
#include "support/LoadedSite.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/DataCommand.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWorkbook.h"
#include "tables/InventoryWriter.h"
#include "workbook/DataControl.h"
#include "workbook/Workbook.h"
#include "workbook/xlsx/XlsxPackage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    const bool finished = p.waitForFinished(120000);
    EXPECT_TRUE(finished && p.exitCode() == 0)
        << program.toStdString() << ": " << p.readAllStandardError().toStdString()
        << " (tools/install-deps installs python3-openpyxl and libreoffice-calc-nogui)";
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Everything but the cells, as openpyxl reads it (xlsx_keeps.py).
QString keptByOpenpyxl(const QString& path)
{
    return run(QStringLiteral(TARVIK_PYTHON3), { QStringLiteral(TARVIK_FIXTURES "/../workbook/xlsx_keeps.py"), path });
}

XlsxPackage package(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    XlsxPackage p;
    QString why;
    EXPECT_TRUE(p.open(file.readAll(), &why)) << why.toStdString();
    return p;
}

QStringList partNames(const QString& path)
{
    QProcess unzip;
    unzip.start(u"unzip"_s, { u"-Z1"_s, path });
    unzip.waitForFinished();
    QStringList names = QString::fromUtf8(unzip.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    names.sort();
    return names;
}

// Every sheet as LibreOffice shows it, formulas worked out again on loading, as CSV files in folder.
void libreOfficeCsv(const QString& workbook, const QString& folder)
{
    const QString profile = folder + u"/profile"_s;
    QDir().mkpath(profile + u"/user"_s);
    QFile settings(profile + u"/user/registrymodifications.xcu"_s);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
)");
    settings.close();
    run(QStringLiteral(TARVIK_SOFFICE),
        { u"--headless"_s, u"-env:UserInstallation=file://"_s + profile, u"--convert-to"_s,
            u"csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1"_s, u"--outdir"_s, folder,
            workbook });
}

QString readAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(XlsxLosslessSave, ARawImportKeepsEverythingItDoesNotWrite)
{
    TestProfile profile;
    const QString path = profile.path(u"inventario.xlsx"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(TARVIK_FIXTURES "/xlsx/lossless-libreoffice.xlsx"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QString keptBefore = keptByOpenpyxl(path);

    LoadedSite site(path);
    QString error;
    ASSERT_TRUE(site.load(&error)) << error.toStdString();
    site.tables.AdicionaLeitura(CellValue::text(u"3001"_s), CellValue::text(u"63"_s), CellValue::text(u"Cozinha"_s),
        CellValue::text(u"Gramas"_s), CellValue::number(500), CellValue::number(0));
    ASSERT_TRUE(site.saveAfterRawImport(&error)) << error.toStdString();

    // Byte for byte, every part but the three sheets written (Artigos, CodBarras, Inventario; every article has
    // a barcode, so ArtigosSemCodBarras is left as it was).
    const QString original = QStringLiteral(TARVIK_FIXTURES "/xlsx/lossless-libreoffice.xlsx");
    ASSERT_EQ(partNames(path), partNames(original));
    const XlsxPackage before = package(original);
    const XlsxPackage after = package(path);
    const QStringList written { u"xl/worksheets/sheet2.xml"_s, u"xl/worksheets/sheet3.xml"_s,
        u"xl/worksheets/sheet5.xml"_s };
    for (const QString& part : partNames(original)) {
        QByteArray old, now;
        QString why;
        ASSERT_TRUE(before.read(part, &old, &why) && after.read(part, &now, &why)) << why.toStdString();
        EXPECT_EQ(old == now, !written.contains(part)) << part.toStdString();
    }
    // In the sheets written, what is not a cell: widths, the frozen pane, the comment's anchor.
    QByteArray artigos;
    QString why;
    ASSERT_TRUE(after.read(u"xl/worksheets/sheet2.xml"_s, &artigos, &why));
    EXPECT_TRUE(artigos.contains(R"(state="frozen")"));
    EXPECT_TRUE(artigos.contains(R"(<legacyDrawing r:id="rId2"/>)"));
    EXPECT_EQ(keptByOpenpyxl(path), keptBefore);

    // LibreOffice reads the new data and counts the readings again (the quantities are written as texts in the
    // site's format, as in an .xls, so the sums over them do not add them).
    const QString csv = profile.path(u"csv"_s);
    libreOfficeCsv(path, csv);
    const QString resumo = readAll(csv + u"/inventario-Resumo.csv"_s);
    EXPECT_TRUE(resumo.contains(u"Leituras,5\n"_s)) << resumo.toStdString();
    const QString inventario = readAll(csv + u"/inventario-Inventario.csv"_s);
    EXPECT_TRUE(inventario.endsWith(u"3001,63,Cozinha,Gramas,500,0\n"_s)) << inventario.toStdString();
    const QString artigosCsv = readAll(csv + u"/inventario-Artigos.csv"_s);
    EXPECT_TRUE(artigosCsv.contains(
        u"1001,61,11/02/2026,Açúcar branco 1 kg,8.5,Caixa,Unidade,10,Mercearia,11/20/2026 14:30:00,1\n"_s))
        << artigosCsv.toStdString();
}

// Another program changes the sheet the program writes while the program holds the workbook: its note in a
// column the program does not write and the row it added stay, beside what the program writes.
TEST(XlsxMerge, KeepsAnotherProgramsCellsInTheSheetWritten)
{
    TestProfile profile;
    const QString path = profile.path(u"inventario.xlsx"_s);
    QString error;
    ASSERT_TRUE(InventoryWorkbook::create(path, &error)) << error.toStdString();
    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables(ui, clock);
    DataControl data1;
    data1.setDatabaseName(path);
    InventoryWriter writer(data1, tables, ui);
    DataCommand command(tables, data1);
    const auto add = [&](const QString& code) {
        tables.AdicionaArtigo(CellValue::text(code), CellValue::text(u"61"_s), CellValue::date(46000),
            CellValue::text(u"Artigo "_s + code), CellValue::number(2.5), CellValue::text(u"CX"_s),
            CellValue::text(u"UN"_s), CellValue::number(12), CellValue::text(u"Mercearia"_s), CellValue::date(46001),
            CellValue::number(1), 0, 3);
        return command.run([&](QString* e) { return writer.GravarArtigos(e); }, &error);
    };
    ASSERT_TRUE(add(u"1"_s)) << error.toStdString();

    // The other program: a note in L2 and a row 40 in Artigos, written straight into the sheet's XML.
    run(QStringLiteral(TARVIK_PYTHON3),
        { u"-c"_s, uR"(import sys, zipfile
src = sys.argv[1]
parts = {}
with zipfile.ZipFile(src) as z:
    for i in z.infolist():
        parts[i.filename] = z.read(i.filename)
xml = parts['xl/worksheets/sheet1.xml'].decode()
row2 = xml.index('<row r="2"')
end2 = xml.index('</row>', row2)
xml = xml[:end2] + '<c r="L2" t="inlineStr"><is><t>nota de fora</t></is></c>' + xml[end2:]
xml = xml.replace('</sheetData>', '<row r="40"><c r="A40" t="inlineStr"><is><t>linha de fora</t></is></c></row></sheetData>')
parts['xl/worksheets/sheet1.xml'] = xml.encode()
with zipfile.ZipFile(src, 'w', zipfile.ZIP_DEFLATED) as z:
    for name, data in parts.items():
        z.writestr(name, data)
)"_s,
            path });
    ASSERT_TRUE(add(u"2"_s)) << error.toStdString();

    Workbook book;
    ASSERT_TRUE(Workbook::read(path, &book, &error)) << error.toStdString();
    const SheetCells& artigos = *book.worksheet(u"Artigos"_s);
    ASSERT_TRUE(artigos.cell(1, 11) && artigos.cell(39, 0));
    EXPECT_EQ(artigos.cell(1, 11)->value().toText(), u"nota de fora"_s);
    EXPECT_EQ(artigos.cell(39, 0)->value().toText(), u"linha de fora"_s);
    EXPECT_EQ(artigos.cell(2, 3)->value().toText(), u"Artigo 2"_s);
}

// A written cell that held a shared formula takes it with it: the cells that shared it keep their values
// rather than point at a formula that is gone, which Excel would call damage.
TEST(XlsxSharedFormula, CellsThatSharedAFormulaWrittenOverKeepTheirValues)
{
    TestProfile profile;
    const QString path = profile.path(u"regras.xlsx"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(TARVIK_FIXTURES "/xlsx/reading-rules.xlsx"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    DataControl data;
    data.setDatabaseName(path);
    data.setRecordSource(u"Folha1"_s);
    QString error;
    ASSERT_TRUE(data.Refresh(&error) && data.MoveFirst(&error)) << error.toStdString();
    for (int row = 2; row < 10; ++row)
        data.MoveNext();
    ASSERT_TRUE(data.Edit(&error) && data.setField(u"Outro"_s, CellValue::number(5), &error) && data.Update(&error)
        && data.commit(&error))
        << error.toStdString();

    QByteArray sheet;
    QString why;
    ASSERT_TRUE(package(path).read(u"xl/worksheets/sheet1.xml"_s, &sheet, &why)) << why.toStdString();
    EXPECT_FALSE(sheet.contains("t=\"shared\"")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("<f>B10*2</f>")); // an ordinary formula in a cell not written stays
    Workbook book;
    ASSERT_TRUE(Workbook::read(path, &book, &error)) << error.toStdString();
    EXPECT_EQ(book.worksheet(u"Folha1"_s)->cell(9, 2)->value().numberValue(), 5);
    EXPECT_EQ(book.worksheet(u"Folha1"_s)->cell(10, 2)->value().numberValue(), 23.4);
}
