// tarvik-cli as a script or a person runs it.
#include "support/TestProfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>

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

// A count round headless: lists out, entries in, readings in the workbook, terminal cleared.
TEST(CliCount, GoesRoundWithTheSimulatedTerminal)
{
    TestProfile profile;
    const QString workbook = profile.path(QStringLiteral("c/InventariosQel.xls"));
    QDir().mkpath(profile.path(QStringLiteral("c")));
    ASSERT_EQ(cli({ QStringLiteral("demo-workbook"), workbook }).code, 0);
    ASSERT_EQ(cli({ QStringLiteral("terminal"), QStringLiteral("dock") }).code, 0);
    const CliRun send = cli({ QStringLiteral("send") });
    EXPECT_EQ(send.code, 0) << send.err.toStdString();
    EXPECT_TRUE(cli({ QStringLiteral("terminal"), QStringLiteral("status") })
                    .out.contains(QStringLiteral("ListCodArtigos: 1680")));
    QFile entries(profile.path(QStringLiteral("entries.txt")));
    ASSERT_TRUE(entries.open(QIODevice::WriteOnly));
    entries.write(QByteArray("5601234000011").leftJustified(14) + QByteArray("1001").rightJustified(5)
        + QByteArray("61").leftJustified(6) + "000012" + QByteArray("UN").leftJustified(15)
        + QByteArray("COZ").leftJustified(6) + "000\r\n");
    entries.close();
    ASSERT_EQ(cli({ QStringLiteral("terminal"), QStringLiteral("load"), entries.fileName() }).code, 0);
    const CliRun receive = cli({ QStringLiteral("receive") });
    EXPECT_EQ(receive.code, 0) << receive.err.toStdString() << receive.out.toStdString();
    EXPECT_TRUE(
        cli({ QStringLiteral("terminal"), QStringLiteral("status") }).out.contains(QStringLiteral("por receber: 0")));
    EXPECT_TRUE(cli({ QStringLiteral("export"), QStringLiteral("Inventario") })
                    .out.contains(QStringLiteral("1001\t61\tCOZ\tUN\t26\t0")));
}
