// A save into an .xlsx made by LibreOffice keeps everything the program does not write.
#include "support/CellValues.h"
#include "support/LoadedSite.h"
#include "support/TestProfile.h"
#include "workbook/DataControl.h"
#include "workbook/Workbook.h"
#include "workbook/xlsx/XlsxPackage.h"

#include <QDir>
#include <QFile>
#include <QProcess>

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

// A part of the .xlsx at path, inflated; empty, failing the test, when it cannot be read.
QByteArray part(const QString& path, const QString& name)
{
    QFile file(path);
    XlsxPackage package;
    QByteArray bytes;
    QString why;
    EXPECT_TRUE(
        file.open(QIODevice::ReadOnly) && package.open(file.readAll(), &why) && package.read(name, &bytes, &why))
        << path.toStdString() << ' ' << name.toStdString() << ": " << why.toStdString();
    return bytes;
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
    const QString original = QStringLiteral(TARVIK_FIXTURES "/xlsx/lossless-libreoffice.xlsx");
    const QString path = profile.path(u"inventario.xlsx"_s);
    ASSERT_TRUE(QFile::copy(original, path) && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    const QString keptBefore = keptByOpenpyxl(path);

    LoadedSite site(path);
    QString error;
    ASSERT_TRUE(site.load(&error)) << error.toStdString();
    site.tables.AdicionaLeitura(T(u"3001"_s), T(u"63"_s), T(u"Cozinha"_s), T(u"Gramas"_s), N(500), N(0));
    ASSERT_TRUE(site.saveAfterRawImport(&error)) << error.toStdString();

    // Byte for byte, every part but the three sheets written (Artigos, CodBarras, Inventario; every article has
    // a barcode, so ArtigosSemCodBarras is left as it was).
    ASSERT_EQ(partNames(path), partNames(original));
    const QStringList written { u"xl/worksheets/sheet2.xml"_s, u"xl/worksheets/sheet3.xml"_s,
        u"xl/worksheets/sheet5.xml"_s };
    for (const QString& name : partNames(original))
        EXPECT_EQ(part(original, name) == part(path, name), !written.contains(name)) << name.toStdString();
    // In the sheets written, what is not a cell: widths, the frozen pane, the comment's anchor.
    const QByteArray artigos = part(path, u"xl/worksheets/sheet2.xml"_s);
    EXPECT_TRUE(artigos.contains(R"(state="frozen")") && artigos.contains(R"(<legacyDrawing r:id="rId2"/>)"));
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

// A written cell that held a shared formula takes it with it: the cells that shared it keep their values
// rather than point at a formula that is gone, which Excel would call damage.
TEST(XlsxSharedFormula, CellsThatSharedAFormulaWrittenOverKeepTheirValues)
{
    TestProfile profile;
    const QString path = profile.path(u"regras.xlsx"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(TARVIK_FIXTURES "/xlsx/reading-rules.xlsx"), path)
        && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    DataControl data;
    data.setDatabaseName(path);
    data.setRecordSource(u"Folha1"_s);
    QString error;
    ASSERT_TRUE(data.Refresh(&error) && data.MoveFirst(&error)) << error.toStdString();
    for (int row = 2; row < 10; ++row)
        data.MoveNext();
    ASSERT_TRUE(
        data.Edit(&error) && data.setField(u"Outro"_s, N(5), &error) && data.Update(&error) && data.commit(&error))
        << error.toStdString();

    const QByteArray sheet = part(path, u"xl/worksheets/sheet1.xml"_s);
    EXPECT_FALSE(sheet.contains("t=\"shared\"")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("<f>B10*2</f>")); // an ordinary formula in a cell not written stays
    Workbook book;
    ASSERT_TRUE(Workbook::read(path, &book, &error)) << error.toStdString();
    EXPECT_EQ(book.worksheet(u"Folha1"_s)->cell(9, 2)->value().numberValue(), 5);
    EXPECT_EQ(book.worksheet(u"Folha1"_s)->cell(10, 2)->value().numberValue(), 23.4);
}
