#include "site/CountComparison.h"

#include "platform/SitePaths.h"
#include "report/CountSummary.h"
#include "report/Variance.h"
#include "site/Site.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QString kBackup = u"inventario 6_ 12_ 2026_ 10 30_Bak.xls"_s;

// The two counts LibreOffice made: the current workbook and, beside it, the backup of the previous count.
class CountComparisonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(folder));
        copy(u"inventario.xls"_s, u"inventario.xls"_s);
        copy(kBackup, kBackup);
        ASSERT_FALSE(site->load().failed());
    }
    void copy(const QString& fixture, const QString& as)
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(TARVIK_FIXTURES "/variance/") + fixture, folder + u'/' + as));
        QFile::setPermissions(folder + u'/' + as, QFile::ReadOwner | QFile::WriteOwner);
    }
    CommandResult compare(const QString& previous = {})
    {
        return CountComparison(*site).compare(previous, &variance, &used);
    }

    TestProfile profile;
    ScriptedInteraction ui;
    const QString folder = SitePaths::resolve(u"c:\\contagens"_s);
    std::unique_ptr<Site> site = std::make_unique<Site>(ui, folder + u"/inventario.xls"_s);
    std::unique_ptr<Variance> variance;
    CountComparison::PreviousCount used;
};

} // namespace

// Worked out by hand from the two workbooks: one article up, one down, one only before, one only now, grams
// counted before and kilos now, two cost centres.
TEST_F(CountComparisonTest, TheVarianceIsWhatMovedPerCostCentreAndFamilyAndTheGlanceAgrees)
{
    ASSERT_FALSE(compare().failed());
    EXPECT_EQ(variance->tsv(),
        u"CentroCusto\tFamiliaContabilistica\tCodArtigo\tDescArtigo\tQtAnterior\tQtActual\tQtDiferenca\t"
        "ValorAnterior\tValorActual\tValorDiferenca\n"
        "10\t61\t1002\tAzeite virgem 1 L\t6\t2\t-4\t30\t10\t-20\n"
        "10\t61\t1001\tArroz agulha 1 kg\t2\t3,5\t1,5\t24\t42\t18\n"
        "10\t63\t3001\tQueijo flamengo\t1,5\t2\t0,5\t12\t16\t4\n"
        "20\t62\t2002\tÁgua mineral 1,5 L\t0\t30\t30\t0\t12\t12\n"
        "20\t62\t2001\tCerveja mini 33 cl\t3\t3\t0\t72\t72\t0\n"
        "20\t67\t4001\tDetergente loiça 5 L\t4\t0\t-4\t30\t0\t-30\n"_s);
    const QString text = variance->text(CountComparison::title(used));
    EXPECT_TRUE(
        text.startsWith(u"Variação desde a contagem de domingo, 6 de dezembro de 2026 ("_s + kBackup + u")\n"_s));
    QStringList lines;
    for (const QString& line : text.split(u'\n'))
        lines << line.simplified();
    EXPECT_TRUE(lines.contains(u"Total do centro de custo 10 66,00 68,00 2,00"_s)) << text.toStdString();
    EXPECT_TRUE(lines.contains(u"Total do centro de custo 20 102,00 84,00 -18,00"_s));
    EXPECT_TRUE(lines.contains(u"Total geral 168,00 152,00 -16,00"_s));
    EXPECT_TRUE(text.contains(u"Familia Contabilistica 6126 Lacticínios"_s));

    // The glance values the count as the report does: the current values above.
    const CountSummary summary(site->tables());
    ASSERT_EQ(summary.rows().size(), 2u);
    const CountSummary::Row& first = summary.rows()[0];
    EXPECT_EQ(std::tuple(first.CentroCusto, first.readings, first.doubtful), std::tuple(u"10"_s, 3, 1));
    EXPECT_DOUBLE_EQ(first.value, 68.0);
    EXPECT_DOUBLE_EQ(summary.rows()[1].value, 84.0);
    EXPECT_EQ(summary.total().readings, 5);
    EXPECT_DOUBLE_EQ(summary.total().value, 152.0);
}

// The date in the name decides, not when the file was last written.
TEST_F(CountComparisonTest, TheNewestBackupIsTheOneWhoseNameSaysSo)
{
    const QString older = u"inventario 28_ 2_ 2026_ 9 5_Bak.xls"_s;
    copy(kBackup, older);
    QFile file(folder + u'/' + older);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)
        && file.setFileTime(QDateTime::currentDateTime().addDays(30), QFileDevice::FileModificationTime));
    copy(kBackup, u"outro 1_ 1_ 2027_ 10 0_Bak.xls"_s); // another workbook's backup
    const QList<CountComparison::PreviousCount> counts = CountComparison(*site).previousCounts();
    ASSERT_EQ(counts.size(), 2);
    EXPECT_EQ(QFileInfo(counts[0].path).fileName(), kBackup);
    EXPECT_EQ(counts[1].when, QDateTime(QDate(2026, 2, 28), QTime(9, 5)));
}

TEST_F(CountComparisonTest, BadPreviousCountsAreRefusedWithTheirReason)
{
    QFile::remove(folder + u'/' + kBackup);
    CommandResult result = compare();
    EXPECT_TRUE(
        result.failed() && result.messages()[0].startsWith(u"Não há nenhuma contagem anterior junto ao livro"_s));

    QFile junk(folder + u'/' + kBackup);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly) && junk.write("isto não é um livro") > 0);
    junk.close();
    result = compare();
    EXPECT_TRUE(result.failed() && result.messages()[0].startsWith(u"Não foi possível ler a contagem anterior "_s))
        << result.messages().value(0).toStdString();

    copy(u"outra-loja 6_ 12_ 2026_ 10 30_Bak.xls"_s, u"outra.xls"_s);
    result = compare(folder + u"/outra.xls"_s);
    EXPECT_TRUE(result.failed() && result.messages()[0].contains(u"parece ser de outro livro"_s));

    // A workbook without the readings' sheet.
    result = compare(QStringLiteral(TARVIK_FIXTURES "/data/formulas-lo.xls"));
    EXPECT_TRUE(result.failed() && result.messages()[0].contains(u"Inventario"_s))
        << result.messages().value(0).toStdString();
    EXPECT_EQ(site->tables().NLeituras(), 5);
}
