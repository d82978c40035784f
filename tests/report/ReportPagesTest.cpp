#include "report/ReportPages.h"

#include "platform/SettingsStore.h"
#include "report/ReportFile.h"
#include "support/TestProfile.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr double k6December2026 = 46362.4375;

QString numberedLines(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += u"linha %1\n"_s.arg(i);
    return text;
}

class Pages : public ::testing::Test
{
protected:
    ReportPages pages(const QString& text) { return ReportPages(text, settings, k6December2026); }

    TestProfile profile;
    SettingsStore settings;
};

// How the lines fall on the pages shows in the printed pages; here, the exact header and the widths the printer
// sizes the font by.
TEST_F(Pages, HoldLinhasPorPaginaPlusOneLinesAfterTheMarginUnderAHeader)
{
    const ReportPages report = pages(numberedLines(200));
    ASSERT_EQ(report.pageCount(), 3);
    EXPECT_EQ(report.lines(2).last(), u"          linha 200"_s);
    const QString blanks(20, u' ');
    EXPECT_EQ(
        report.header(2), u"Pagina 3"_s + blanks + u"ESTABELECIMENTO"_s + blanks + u"domingo, 6 de dezembro de 2026"_s);
    EXPECT_EQ(report.linesPerPage(), 81);
    EXPECT_EQ(report.widestLine(), u"          linha 100"_s); // the first of the longest
    // An empty report still has its header page; a lone line end is one empty line.
    EXPECT_EQ(pages(QString()).pageCount(), 1);
    EXPECT_EQ(pages(u"\n"_s).lines(0), QStringList { QString(10, u' ') });
}

TEST_F(Pages, FollowTheSettingsAsTheyAreTyped)
{
    QString error;
    ASSERT_TRUE(settings.save({ { SettingsKeys::Margem, u" 2.6"_s }, { SettingsKeys::LinhasPorPagina, u"9,9"_s },
                                  { SettingsKeys::NomeEstabelecimento, u"Cantina Sé"_s } },
        &error));
    ReportPages report = pages(numberedLines(25));
    EXPECT_EQ(report.pageCount(), 3); // 10, 10, 5
    EXPECT_EQ(report.lines(0).first(), u"   linha 1"_s);
    EXPECT_TRUE(report.header(0).contains(u"Cantina Sé"_s));

    // A page holds one line at least, and a margin is never negative nor without bound.
    ASSERT_TRUE(
        settings.save({ { SettingsKeys::Margem, u"-4"_s }, { SettingsKeys::LinhasPorPagina, u"-1"_s } }, &error));
    report = pages(numberedLines(3));
    EXPECT_EQ(report.pageCount(), 3);
    EXPECT_EQ(report.lines(2), QStringList { u"linha 3"_s });
    ASSERT_TRUE(settings.save(
        { { SettingsKeys::Margem, u"1E+300"_s }, { SettingsKeys::LinhasPorPagina, u"1E+300"_s } }, &error));
    report = pages(numberedLines(3));
    EXPECT_EQ(report.pageCount(), 1);
    EXPECT_EQ(report.widestLine().size(), 1000 + 7);
}

// Windows-1252 with CRLF line ends, read back as it was written.
TEST(ReportFileText, RoundTripsTheWritersBytes)
{
    TestProfile profile;
    const QString path = profile.path(u"Report.txt"_s);
    const QString text = u" Centro Custo 10\n Lacticínios 7,38\n\n"_s;
    QString read, error;
    ASSERT_TRUE(ReportFile::write(path, text, &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), " Centro Custo 10\r\n Lactic\xEDnios 7,38\r\n\r\n");
    ASSERT_TRUE(ReportFile::read(path, &read, &error)) << error.toStdString();
    EXPECT_EQ(read, text);
}

} // namespace
