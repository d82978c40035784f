// tarvik-cli as a script or a person runs it.
#include "support/TestProfile.h"
#include "workbook/DataControl.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct CliRun
{
    int code;
    QString out;
    QString err;
};

CliRun cli(const QStringList& arguments, const QString& workingDirectory = {})
{
    QProcess p;
    p.setWorkingDirectory(workingDirectory);
    p.start(QStringLiteral(TARVIK_CLI), arguments);
    p.waitForFinished(60000);
    return { p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()) };
}

QString fixture(const QString& name)
{
    return QStringLiteral(TARVIK_FIXTURES "/data/") + name;
}

// A demo site with AutoDescarrega as given and the simulated terminal docked, holding one entry.
struct DockedSite
{
    explicit DockedSite(const TestProfile& profile, const QString& autoDescarrega)
    {
        QDir().mkpath(profile.path(u"c"_s));
        QSettings(profile.path(u"Tarvik.ini"_s), QSettings::IniFormat)
            .setValue(u"Startup/AutoDescarrega"_s, autoDescarrega);
        EXPECT_EQ(cli({ u"demo-workbook"_s, u"c:\\InventariosQel.xls"_s }).code, 0);
        QFile entries(profile.path(u"entries.txt"_s));
        EXPECT_TRUE(entries.open(QIODevice::WriteOnly));
        entries.write(QByteArray("5601234000011").leftJustified(14) + QByteArray("1001").rightJustified(5)
            + QByteArray("61").leftJustified(6) + "000012" + QByteArray("UN").leftJustified(15)
            + QByteArray("10").leftJustified(6) + "000");
        entries.close();
        EXPECT_EQ(cli({ u"terminal"_s, u"load"_s, entries.fileName() }).code, 0);
        EXPECT_EQ(cli({ u"terminal"_s, u"dock"_s }).code, 0);
    }

    static QString state() { return cli({ u"check"_s }).out + cli({ u"terminal"_s, u"status"_s }).out; }
};

} // namespace

TEST(CliExportAndCheck, ExportWritesCellsInTheSiteFormatAndCheckFailsWithStartUpsMessages)
{
    TestProfile profile;
    const CliRun formulas = cli({ u"--workbook"_s, fixture(u"formulas-lo.xls"_s), u"export"_s, u"Formulas$"_s });
    EXPECT_EQ(formulas.code, 0) << formulas.err.toStdString();
    EXPECT_EQ(
        formulas.out, u"10\t2,5\t20\t100\n4\tTotal: 10\t8\t40\n6\tVERDADEIRO\t12\t60\n8\t#DIV/0!\t16\n2\t\t4\n"_s);
    const CliRun missing = cli({ u"--workbook"_s, fixture(u"formulas-lo.xls"_s), u"export"_s, u"Nada"_s });
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(u"A folha Nada não existe"_s)) << missing.err.toStdString();

    const CliRun empty = cli({ u"--workbook"_s, fixture(u"inventory-empty-lo.xls"_s), u"check"_s });
    EXPECT_EQ(empty.code, 1);
    EXPECT_TRUE(empty.err.startsWith(
        u"Erro a ler o ficheiro "_s + fixture(u"inventory-empty-lo.xls"_s) + u"\nErro em 'Contabilistica' "_s))
        << empty.err.toStdString();
    const CliRun good = cli({ u"--workbook"_s, fixture(u"inventory-gnumeric-biff5.xls"_s), u"check"_s });
    EXPECT_EQ(good.code, 0);
    EXPECT_TRUE(good.out.contains(u"Artigos: 7"_s)) << good.out.toStdString();
}

// A count round headless, with AutoDescarrega on and off: a command does what its name says and nothing else,
// and the exit status follows how it ended.
TEST(CliTerminal, EachCommandDoesOnlyWhatItsNameSaysAndExitsAsItEnded)
{
    for (const QString& autoDescarrega : { u" 1"_s, u"0"_s }) {
        TestProfile profile;
        DockedSite site(profile, autoDescarrega);
        const QString before = DockedSite::state();
        EXPECT_TRUE(before.contains(u"Leituras: 12\n"_s)) << before.toStdString();
        EXPECT_TRUE(before.contains(u"Registos por receber: 1\n"_s)) << before.toStdString();
        EXPECT_EQ(DockedSite::state(), before); // check and status change nothing

        const CliRun send = cli({ u"send"_s });
        EXPECT_EQ(send.code, 0) << send.err.toStdString();
        const QString sent = DockedSite::state();
        EXPECT_TRUE(sent.contains(u"Leituras: 12\n"_s)) << sent.toStdString();
        EXPECT_TRUE(sent.contains(u"Registos por receber: 1\n"_s)) << sent.toStdString();
        EXPECT_TRUE(sent.contains(u"ListCodArtigos: 1680 bytes"_s)) << sent.toStdString();

        // Read once: the 12 counted join the 14 already there, not 24.
        const CliRun receive = cli({ u"receive"_s });
        EXPECT_EQ(receive.code, 0) << receive.err.toStdString();
        const QString received = DockedSite::state();
        EXPECT_TRUE(received.contains(u"Registos por receber: 0\n"_s)) << received.toStdString();
        EXPECT_TRUE(cli({ u"export"_s, u"Inventario"_s }).out.contains(u"1001\t61\t10\tUN\t26\t0"_s));

        // Nothing left to collect is no failure.
        const CliRun again = cli({ u"receive"_s });
        EXPECT_EQ(again.code, 0) << again.err.toStdString();
        EXPECT_EQ(DockedSite::state(), received);

        ASSERT_EQ(cli({ u"terminal"_s, u"undock"_s }).code, 0);
        const CliRun refused = cli({ u"receive"_s });
        EXPECT_EQ(refused.code, 1);
        EXPECT_EQ(refused.err, u"Por favor coloque terminal no suporte!\n"_s);
        EXPECT_EQ(cli({ u"receive"_s, u"a-mais"_s }).code, 2);
        EXPECT_EQ(cli({ u"nao-existe"_s }).code, 2);

        // A warning on the way does not make a successful send fail: an article whose family sits after the 256th.
        {
            DataControl data1;
            data1.setDatabaseName(u"c:\\InventariosQel.xls"_s);
            QString error;
            data1.setRecordSource(u"Contabilistica$"_s);
            ASSERT_TRUE(data1.Refresh(&error)) << error.toStdString();
            for (int i = 0; i < 260; ++i) {
                ASSERT_TRUE(data1.AddNew(&error) && data1.setField(u"CONTA"_s, CellValue::text(u"F%1"_s.arg(i)), &error)
                    && data1.Update(&error))
                    << error.toStdString();
            }
            ASSERT_TRUE(data1.commit(&error)) << error.toStdString();
            data1.setRecordSource(u"Artigos$"_s);
            ASSERT_TRUE(data1.Refresh(&error) && data1.AddNew(&error)) << error.toStdString();
            const std::pair<QString, CellValue> fields[] = { { u"CodArtigo"_s, CellValue::text(u"9001"_s) },
                { u"FamiliaContabilistica"_s, CellValue::text(u"F259"_s) },
                { u"DescArtigo"_s, CellValue::text(u"Fora"_s) }, { u"PrecoCompraUnitario"_s, CellValue::number(1) },
                { u"UnidadeDeCompra"_s, CellValue::text(u"UN"_s) }, { u"UnidadeDeStock"_s, CellValue::text(u"UN"_s) },
                { u"ConversaoCompraStock"_s, CellValue::number(1) }, { u"Posicao"_s, CellValue::number(31) },
                { u"DataRecepcao"_s, CellValue::date(46000) } };
            for (const auto& [column, value] : fields)
                ASSERT_TRUE(data1.setField(column, value, &error)) << error.toStdString();
            ASSERT_TRUE(data1.Update(&error) && data1.commit(&error)) << error.toStdString();
        }
        ASSERT_EQ(cli({ u"terminal"_s, u"dock"_s }).code, 0);
        const CliRun warned = cli({ u"send"_s });
        EXPECT_EQ(warned.code, 0) << warned.err.toStdString();
        EXPECT_TRUE(warned.err.startsWith(u"1 artigos não foram enviados"_s)) << warned.err.toStdString();
    }
}

// Every path argument that names a site drive is placed as the settings' paths are. Headless, the PDF has the
// pages the viewer prints, dated by the clock.
TEST(CliPathsAndReport, DrivePathsGoUnderTheDataRootAndThePdfHasThePrintedPages)
{
    TestProfile profile("2026-12-24T09:00:00");
    QTemporaryDir elsewhere;
    const CliRun demo = cli({ u"demo-workbook"_s, u"c:\\InventariosQel.xls"_s }, elsewhere.path());
    EXPECT_EQ(demo.code, 0) << demo.err.toStdString();
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    EXPECT_TRUE(QFile::exists(profile.path(u"c/InventariosQel.xls"_s)));
    const CliRun out = cli({ u"report"_s, u"--out"_s, u"c:\\r\\rel.txt"_s });
    EXPECT_EQ(out.code, 0) << out.err.toStdString();
    EXPECT_TRUE(QFile::exists(profile.path(u"c/r/rel.txt"_s)));
    const CliRun lists = cli({ u"lists"_s, u"--out"_s, u"c:\\listas"_s });
    EXPECT_EQ(lists.code, 0) << lists.err.toStdString();
    EXPECT_TRUE(QFile::exists(profile.path(u"c/listas/ListUnidades"_s)));

    const CliRun report = cli({ u"report"_s, u"--pdf"_s, u"c:\\rel.pdf"_s });
    EXPECT_EQ(report.code, 0) << report.err.toStdString();
    const QString pdf = profile.path(u"c/rel.pdf"_s);
    EXPECT_EQ(report.out,
        u"Relatório: %1\nPDF: %2 (2 páginas, letra reduzida para 7,4 pontos)\n"_s.arg(
            profile.path(u"c/Report.txt"_s), pdf));
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, { u"-raw"_s, pdf, u"-"_s });
    ASSERT_TRUE(pdftotext.waitForFinished(60000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    EXPECT_TRUE(text.startsWith(u"Pagina 1 ESTABELECIMENTO quinta-feira, 24 de dezembro de 2026\n"_s))
        << text.left(200).toStdString();

    for (const QStringList& bad : { QStringList { u"--pdf"_s },
             QStringList { u"--pdf"_s, u"a.pdf"_s, u"--pdf"_s, u"b.pdf"_s }, QStringList { u"--png"_s, u"a.png"_s } })
        EXPECT_EQ(cli(QStringList { u"report"_s } + bad).code, 2);
}

// The previous count is found beside the workbook; the listing, the tab-separated lines and the PDF.
TEST(CliVariance, ComparesWithTheNewestBackup)
{
    TestProfile profile;
    const QString folder = profile.path(u"contagens"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& name : { u"inventario.xls"_s, u"inventario 6_ 12_ 2026_ 10 30_Bak.xls"_s })
        ASSERT_TRUE(QFile::copy(QStringLiteral(TARVIK_FIXTURES "/variance/") + name, folder + u'/' + name));
    const QStringList variance { u"--workbook"_s, folder + u"/inventario.xls"_s, u"variance"_s };
    const CliRun tsv = cli(variance + QStringList { u"--tsv"_s });
    EXPECT_EQ(tsv.code, 0) << tsv.err.toStdString();
    EXPECT_TRUE(tsv.out.contains(u"\n20\t67\t4001\tDetergente loiça 5 L\t4\t0\t-4\t30\t0\t-30\n"_s));
    const QString pdf = profile.path(u"variacao.pdf"_s);
    const CliRun pages = cli(variance + QStringList { u"--pdf"_s, pdf });
    EXPECT_EQ(pages.code, 0) << pages.err.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
    const CliRun missing = cli(variance + QStringList { u"--previous"_s, profile.path(u"x.xls"_s) });
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(u"Não foi possível ler a contagem anterior"_s)) << missing.err.toStdString();
    EXPECT_EQ(cli(variance + QStringList { u"--tsv"_s, u"--tsv"_s }).code, 2);
}

// Each command the overview lists explains itself, and the overview the exit statuses; the version is the one
// the window's title shows.
TEST(CliHelp, EveryCommandExplainsItself)
{
    const CliRun help = cli({ u"--help"_s });
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(u"2 utilização errada"_s)) << help.out.toStdString();
    QStringList names;
    for (const QString& line : help.out.split(u'\n')) {
        if (line.startsWith(u"  "_s) && !line.startsWith(u"   "_s))
            names << line.simplified().section(u' ', 0, 0);
    }
    EXPECT_GE(names.size(), 13);
    for (const QString& name : names) {
        const CliRun own = cli({ name, u"--help"_s });
        EXPECT_EQ(own.code, 0) << name.toStdString();
        EXPECT_TRUE(own.out.contains(u"tarvik-cli [--workbook PATH] "_s + name)) << own.out.toStdString();
    }
    const CliRun version = cli({ u"--version"_s });
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, QStringLiteral("tarvik-cli " TARVIK_VERSION "\n"));
}

// The same count through an .xls and through an .xlsx: a raw import leaves the same sheets in both.
TEST(CliXlsx, ARawImportGivesTheSameSheetsAsInAnXls)
{
    TestProfile profile;
    QFile raw(profile.path(u"leituras.raw"_s));
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write("5601234000011  100161    000012UN             Bar   000\r\n"
              "5609999000014  999961    000004UN             20    000\r\n");
    raw.close();
    QFile bad(profile.path(u"mal.raw"_s));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("5601234000011  100161    000012UN             Bar   000"
              "5609999000014  999961    0000X4UN             20    000\r\n");
    bad.close();
    QStringList sheets[2];
    for (int i = 0; i < 2; ++i) {
        const QString workbook = profile.path(i == 0 ? u"inventario.xls"_s : u"inventario.xlsx"_s);
        ASSERT_EQ(cli({ u"demo-workbook"_s, workbook }).code, 0);
        const CliRun imported = cli({ u"--workbook"_s, workbook, u"import-raw"_s, raw.fileName() });
        ASSERT_EQ(imported.code, 0) << imported.err.toStdString();
        for (const QString& sheet :
            { u"Artigos"_s, u"CodBarras"_s, u"Contabilistica"_s, u"Inventario"_s, u"ArtigosSemCodBarras"_s })
            sheets[i] << cli({ u"--workbook"_s, workbook, u"export"_s, sheet }).out;

        // The command line keeps no copy of the tables to put back, yet a failed import still writes nothing.
        QFile file(workbook);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        const CliRun failed = cli({ u"--workbook"_s, workbook, u"import-raw"_s, bad.fileName() });
        EXPECT_EQ(failed.code, 1);
        EXPECT_TRUE(failed.err.contains(u"não é um número"_s)) << failed.err.toStdString();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), before);
    }
    EXPECT_EQ(sheets[1], sheets[0]);
    EXPECT_TRUE(sheets[1].at(3).contains(u"1001\t61\tBar\tUN\t12\t0\n"_s)) << sheets[1].at(3).toStdString();
}
