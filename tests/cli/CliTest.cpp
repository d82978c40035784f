// tarvik-cli as a script or a person runs it.
#include "support/TestProfile.h"
#include "workbook/DataControl.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CliRun
{
    int code;
    QString out;
    QString err;
};

CliRun cli(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral(TARVIK_CLI), arguments);
    p.waitForFinished(60000);
    return { p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()) };
}

QString fixture(const char* name)
{
    return QStringLiteral(TARVIK_FIXTURES "/data/") + QString::fromLatin1(name);
}

} // namespace

TEST(CliExport, WritesEveryKindOfCellInTheSiteFormat)
{
    TestProfile profile;
    const CliRun formulas = cli({ QStringLiteral("--workbook"), fixture("formulas-lo.xls"), QStringLiteral("export"),
        QStringLiteral("Formulas$") });
    EXPECT_EQ(formulas.code, 0) << formulas.err.toStdString();
    EXPECT_EQ(formulas.out,
        QStringLiteral("10\t2,5\t20\t100\n4\tTotal: 10\t8\t40\n6\tVERDADEIRO\t12\t60\n"
                       "8\t#DIV/0!\t16\n2\t\t4\n"));
    const CliRun dates = cli({ QStringLiteral("--workbook"), fixture("date1904-lo.xls"), QStringLiteral("export"),
        QStringLiteral("datas") });
    EXPECT_TRUE(dates.out.contains(QStringLiteral("15/03/2024\t31/12/2024 23:59:59\n"))) << dates.out.toStdString();
    const CliRun missing = cli(
        { QStringLiteral("--workbook"), fixture("formulas-lo.xls"), QStringLiteral("export"), QStringLiteral("Nada") });
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("A folha Nada não existe"))) << missing.err.toStdString();
}

TEST(CliCheck, PrintsStartUpsTwoMessagesAndFails)
{
    TestProfile profile;
    const CliRun empty
        = cli({ QStringLiteral("--workbook"), fixture("inventory-empty-lo.xls"), QStringLiteral("check") });
    EXPECT_EQ(empty.code, 1);
    EXPECT_TRUE(empty.err.startsWith(QStringLiteral("Erro a ler o ficheiro ") + fixture("inventory-empty-lo.xls")
        + QStringLiteral("\nErro em 'Contabilistica' ")))
        << empty.err.toStdString();
    const CliRun good
        = cli({ QStringLiteral("--workbook"), fixture("inventory-gnumeric-biff5.xls"), QStringLiteral("check") });
    EXPECT_EQ(good.code, 0);
    EXPECT_TRUE(good.out.contains(QStringLiteral("Artigos: 7"))) << good.out.toStdString();
}

namespace {

// A demo site with AutoDescarrega as given and the simulated terminal docked, holding one entry.
struct DockedSite
{
    explicit DockedSite(const TestProfile& profile, const char* autoDescarrega)
    {
        QDir().mkpath(profile.path(QStringLiteral("c")));
        QSettings(profile.path(QStringLiteral("Tarvik.ini")), QSettings::IniFormat)
            .setValue(QStringLiteral("Startup/AutoDescarrega"), QString::fromLatin1(autoDescarrega));
        EXPECT_EQ(cli({ QStringLiteral("demo-workbook"), QStringLiteral("c:\\InventariosQel.xls") }).code, 0);
        QFile entries(profile.path(QStringLiteral("entries.txt")));
        EXPECT_TRUE(entries.open(QIODevice::WriteOnly));
        entries.write(QByteArray("5601234000011").leftJustified(14) + QByteArray("1001").rightJustified(5)
            + QByteArray("61").leftJustified(6) + "000012" + QByteArray("UN").leftJustified(15)
            + QByteArray("10").leftJustified(6) + "000");
        entries.close();
        EXPECT_EQ(cli({ QStringLiteral("terminal"), QStringLiteral("load"), entries.fileName() }).code, 0);
        EXPECT_EQ(cli({ QStringLiteral("terminal"), QStringLiteral("dock") }).code, 0);
    }

    static QString state()
    {
        return cli({ QStringLiteral("check") }).out + cli({ QStringLiteral("terminal"), QStringLiteral("status") }).out;
    }
};

} // namespace

// A count round headless, with AutoDescarrega on and off: a command does what its name says and nothing else.
TEST(CliTerminal, EachCommandDoesOnlyWhatItsNameSays)
{
    for (const char* autoDescarrega : { " 1", "0" }) {
        TestProfile profile;
        DockedSite site(profile, autoDescarrega);
        const QString before = DockedSite::state();
        EXPECT_TRUE(before.contains(QStringLiteral("Leituras: 12\n"))) << before.toStdString();
        EXPECT_TRUE(before.contains(QStringLiteral("Registos por receber: 1\n"))) << before.toStdString();

        const CliRun status = cli({ QStringLiteral("terminal"), QStringLiteral("status") });
        EXPECT_EQ(status.code, 0);
        EXPECT_EQ(DockedSite::state(), before);

        const CliRun send = cli({ QStringLiteral("send") });
        EXPECT_EQ(send.code, 0) << send.err.toStdString();
        const QString sent = DockedSite::state();
        EXPECT_TRUE(sent.contains(QStringLiteral("Leituras: 12\n"))) << sent.toStdString();
        EXPECT_TRUE(sent.contains(QStringLiteral("Registos por receber: 1\n"))) << sent.toStdString();
        EXPECT_TRUE(sent.contains(QStringLiteral("ListCodArtigos: 1680 bytes"))) << sent.toStdString();

        // Read once: the 12 counted join the 14 already there, not 24.
        const CliRun receive = cli({ QStringLiteral("receive") });
        EXPECT_EQ(receive.code, 0) << receive.err.toStdString();
        const QString received = DockedSite::state();
        EXPECT_TRUE(received.contains(QStringLiteral("Registos por receber: 0\n"))) << received.toStdString();
        EXPECT_TRUE(cli({ QStringLiteral("export"), QStringLiteral("Inventario") })
                        .out.contains(QStringLiteral("1001\t61\t10\tUN\t26\t0")));

        // Nothing left to collect is no failure.
        const CliRun again = cli({ QStringLiteral("receive") });
        EXPECT_EQ(again.code, 0) << again.err.toStdString();
        EXPECT_EQ(DockedSite::state(), received);
    }
}

TEST(CliExitStatus, FollowsHowTheCommandEnded)
{
    TestProfile profile;
    DockedSite site(profile, "0");
    ASSERT_EQ(cli({ QStringLiteral("terminal"), QStringLiteral("undock") }).code, 0);
    const CliRun refused = cli({ QStringLiteral("receive") });
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, QStringLiteral("Por favor coloque terminal no suporte!\n"));
    EXPECT_EQ(cli({ QStringLiteral("receive"), QStringLiteral("a-mais") }).code, 2);
    EXPECT_EQ(cli({ QStringLiteral("nao-existe") }).code, 2);
    const CliRun help = cli({ QStringLiteral("--help") });
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("2 utilização errada"))) << help.out.toStdString();

    // A warning on the way does not make a successful send fail: an article whose family sits after the 256th.
    {
        DataControl data1;
        data1.setDatabaseName(QStringLiteral("c:\\InventariosQel.xls"));
        QString error;
        data1.setRecordSource(QStringLiteral("Contabilistica$"));
        ASSERT_TRUE(data1.Refresh(&error)) << error.toStdString();
        for (int i = 0; i < 260; ++i) {
            ASSERT_TRUE(data1.AddNew(&error)
                && data1.setField(QStringLiteral("CONTA"), CellValue::text(QStringLiteral("F%1").arg(i)), &error)
                && data1.Update(&error))
                << error.toStdString();
        }
        ASSERT_TRUE(data1.commit(&error)) << error.toStdString();
        data1.setRecordSource(QStringLiteral("Artigos$"));
        ASSERT_TRUE(data1.Refresh(&error));
        ASSERT_TRUE(data1.AddNew(&error)
            && data1.setField(QStringLiteral("CodArtigo"), CellValue::text(QStringLiteral("9001")), &error)
            && data1.setField(QStringLiteral("FamiliaContabilistica"), CellValue::text(QStringLiteral("F259")), &error)
            && data1.setField(QStringLiteral("DescArtigo"), CellValue::text(QStringLiteral("Fora")), &error)
            && data1.setField(QStringLiteral("PrecoCompraUnitario"), CellValue::number(1), &error)
            && data1.setField(QStringLiteral("UnidadeDeCompra"), CellValue::text(QStringLiteral("UN")), &error)
            && data1.setField(QStringLiteral("UnidadeDeStock"), CellValue::text(QStringLiteral("UN")), &error)
            && data1.setField(QStringLiteral("ConversaoCompraStock"), CellValue::number(1), &error)
            && data1.setField(QStringLiteral("Posicao"), CellValue::number(31), &error)
            && data1.setField(QStringLiteral("DataRecepcao"), CellValue::date(46000), &error) && data1.Update(&error)
            && data1.commit(&error))
            << error.toStdString();
    }
    ASSERT_EQ(cli({ QStringLiteral("terminal"), QStringLiteral("dock") }).code, 0);
    const CliRun warned = cli({ QStringLiteral("send") });
    EXPECT_EQ(warned.code, 0) << warned.err.toStdString();
    EXPECT_TRUE(warned.err.startsWith(QStringLiteral("1 artigos não foram enviados"))) << warned.err.toStdString();
}

// Every path argument that names a site drive is placed as the settings' paths are.
TEST(CliPaths, DrivePathsGoUnderTheDataRoot)
{
    TestProfile profile;
    QTemporaryDir elsewhere;
    QProcess p;
    p.setWorkingDirectory(elsewhere.path());
    p.start(QStringLiteral(TARVIK_CLI), { QStringLiteral("demo-workbook"), QStringLiteral("c:\\InventariosQel.xls") });
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    EXPECT_TRUE(QFile::exists(profile.path(QStringLiteral("c/InventariosQel.xls"))));
    const CliRun report = cli({ QStringLiteral("report"), QStringLiteral("--out"), QStringLiteral("c:\\r\\rel.txt") });
    EXPECT_EQ(report.code, 0) << report.err.toStdString();
    EXPECT_TRUE(QFile::exists(profile.path(QStringLiteral("c/r/rel.txt"))));
    const CliRun lists = cli({ QStringLiteral("lists"), QStringLiteral("--out"), QStringLiteral("c:\\listas") });
    EXPECT_EQ(lists.code, 0) << lists.err.toStdString();
    EXPECT_TRUE(QFile::exists(profile.path(QStringLiteral("c/listas/ListUnidades"))));
}

// Headless, the PDF has the pages the viewer prints, dated by the clock.
TEST(CliReport, WritesThePrintedPagesAsAPdf)
{
    TestProfile profile("2026-12-24T09:00:00");
    ASSERT_EQ(cli({ QStringLiteral("demo-workbook"), QStringLiteral("c:\\InventariosQel.xls") }).code, 0);
    const CliRun report = cli({ QStringLiteral("report"), QStringLiteral("--pdf"), QStringLiteral("c:\\rel.pdf") });
    EXPECT_EQ(report.code, 0) << report.err.toStdString();
    const QString pdf = profile.path(QStringLiteral("c/rel.pdf"));
    EXPECT_EQ(report.out,
        QStringLiteral("Relatório: %1\nPDF: %2 (2 páginas, letra reduzida para 7,4 pontos)\n")
            .arg(profile.path(QStringLiteral("c/Report.txt")), pdf));
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), { QStringLiteral("-raw"), pdf, QStringLiteral("-") });
    ASSERT_TRUE(pdftotext.waitForFinished(60000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    EXPECT_TRUE(text.startsWith(QStringLiteral("Pagina 1 ESTABELECIMENTO quinta-feira, 24 de dezembro de 2026\n")))
        << text.left(200).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Lacticínios")));

    for (const QStringList& bad : { QStringList { QStringLiteral("--pdf") },
             QStringList {
                 QStringLiteral("--pdf"), QStringLiteral("a.pdf"), QStringLiteral("--pdf"), QStringLiteral("b.pdf") },
             QStringList { QStringLiteral("--png"), QStringLiteral("a.png") } })
        EXPECT_EQ(cli(QStringList { QStringLiteral("report") } + bad).code, 2);
}

// The previous count is found beside the workbook; the listing, the tab-separated lines and the PDF.
TEST(CliVariance, ComparesWithTheNewestBackup)
{
    TestProfile profile;
    const QString folder = profile.path(QStringLiteral("contagens"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : { "inventario.xls", "inventario 6_ 12_ 2026_ 10 30_Bak.xls" })
        ASSERT_TRUE(QFile::copy(QStringLiteral(TARVIK_FIXTURES "/variance/") + QString::fromUtf8(name),
            folder + u'/' + QString::fromUtf8(name)));
    const QStringList workbook { QStringLiteral("--workbook"), folder + QStringLiteral("/inventario.xls") };
    const CliRun tsv = cli(workbook + QStringList { QStringLiteral("variance"), QStringLiteral("--tsv") });
    EXPECT_EQ(tsv.code, 0) << tsv.err.toStdString();
    EXPECT_EQ(tsv.out.count(u'\n'), 7);
    EXPECT_TRUE(tsv.out.contains(QStringLiteral("\n20\t67\t4001\tDetergente loiça 5 L\t4\t0\t-4\t30\t0\t-30\n")));
    const QString pdf = profile.path(QStringLiteral("variacao.pdf"));
    const CliRun pages = cli(workbook + QStringList { QStringLiteral("variance"), QStringLiteral("--pdf"), pdf });
    EXPECT_EQ(pages.code, 0) << pages.err.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
    const CliRun missing = cli(workbook
        + QStringList {
            QStringLiteral("variance"), QStringLiteral("--previous"), profile.path(QStringLiteral("x.xls")) });
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Não foi possível ler a contagem anterior")))
        << missing.err.toStdString();
    EXPECT_EQ(
        cli(workbook + QStringList { QStringLiteral("variance"), QStringLiteral("--tsv"), QStringLiteral("--tsv") })
            .code,
        2);
}

// Each command the overview lists explains itself; the version is the one the window's title shows.
TEST(CliHelp, EveryCommandExplainsItself)
{
    const CliRun help = cli({ QStringLiteral("--help") });
    QStringList names;
    for (const QString& line : help.out.split(u'\n')) {
        if (line.startsWith(QStringLiteral("  ")) && !line.startsWith(QStringLiteral("   ")))
            names << line.simplified().section(u' ', 0, 0);
    }
    EXPECT_GE(names.size(), 13);
    for (const QString& name : names) {
        const CliRun own = cli({ name, QStringLiteral("--help") });
        EXPECT_EQ(own.code, 0) << name.toStdString();
        EXPECT_TRUE(own.out.contains(QStringLiteral("tarvik-cli [--workbook PATH] ") + name)) << own.out.toStdString();
    }
    const CliRun version = cli({ QStringLiteral("--version") });
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, QStringLiteral("tarvik-cli " TARVIK_VERSION "\n"));
}

// The same count through an .xls and through an .xlsx: a raw import leaves the same sheets in both.
TEST(CliXlsx, ARawImportGivesTheSameSheetsAsInAnXls)
{
    TestProfile profile;
    QFile raw(profile.path(QStringLiteral("leituras.raw")));
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write("5601234000011  100161    000012UN             Bar   000\r\n"
              "5609999000014  999961    000004UN             20    000\r\n");
    raw.close();
    QStringList sheets[2];
    const char* extensions[] = { ".xls", ".xlsx" };
    for (int i = 0; i < 2; ++i) {
        const QString workbook = profile.path(QStringLiteral("inventario") + QString::fromLatin1(extensions[i]));
        ASSERT_EQ(cli({ QStringLiteral("demo-workbook"), workbook }).code, 0);
        const CliRun imported
            = cli({ QStringLiteral("--workbook"), workbook, QStringLiteral("import-raw"), raw.fileName() });
        ASSERT_EQ(imported.code, 0) << imported.err.toStdString();
        for (const char* sheet : { "Artigos", "CodBarras", "Contabilistica", "Inventario", "ArtigosSemCodBarras" })
            sheets[i] << cli(
                { QStringLiteral("--workbook"), workbook, QStringLiteral("export"), QString::fromLatin1(sheet) })
                             .out;
    }
    EXPECT_EQ(sheets[1], sheets[0]);
    EXPECT_TRUE(sheets[1].at(3).contains(QStringLiteral("1001\t61\tBar\tUN\t12\t0\n")))
        << sheets[1].at(3).toStdString();
}
