// A save into an .xlsx made by LibreOffice keeps everything the program does not write.
#include "platform/Clock.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/DataCommand.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "workbook/DataControl.h"
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

    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables(ui, clock);
    DataControl data1;
    data1.setDatabaseName(path);
    InventoryLoader loader(data1, tables, ui);
    QString first, second;
    ASSERT_TRUE(loader.loadAll(&first, &second)) << second.toStdString();
    tables.AdicionaLeitura(CellValue::text(u"3001"_s), CellValue::text(u"63"_s), CellValue::text(u"Cozinha"_s),
        CellValue::text(u"Gramas"_s), CellValue::number(500), CellValue::number(0));
    InventoryWriter writer(data1, tables, ui);
    DataCommand command(tables, data1);
    QString error;
    ASSERT_TRUE(command.run([&](QString* e) { return writer.saveAfterRawImport(e); }, &error)) << error.toStdString();

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
