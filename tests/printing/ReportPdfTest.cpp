#include "printing/ReportPdf.h"

#include "platform/SettingsStore.h"
#include "printing/PrintedReport.h"
#include "report/ReportPages.h"
#include "support/TestProfile.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr double k6December2026 = 46362.4375;

QString numberedLines(int count, const QString& filler = {})
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += u" linha %1 %2\n"_s.arg(i).arg(filler);
    return text;
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct Word
{
    QString text;
    double xMin;
    double xMax;
};

// Every word pdftotext finds, page by page, with where it stands across the page.
QList<QList<Word>> words(const QString& pdf)
{
    static const QRegularExpression tag(
        uR"re(<page |<word xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)"[^>]*>([^<]*)<)re"_s);
    QList<QList<Word>> pages;
    for (const QRegularExpressionMatch& m : tag.globalMatch(run(u"pdftotext"_s, { u"-bbox"_s, pdf, u"-"_s }))) {
        if (m.captured(1).isEmpty())
            pages.append(QList<Word>());
        else
            pages.last().append({ m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble() });
    }
    return pages;
}

class Pdf : public ::testing::Test
{
protected:
    // The pages of text at the settings in force, as a PDF on layout; the printed report stays for the test.
    QString write(const QString& text, const QPageLayout& layout = PrintedReport::defaultLayout())
    {
        pages = std::make_unique<ReportPages>(text, settings, k6December2026);
        printed = std::make_unique<PrintedReport>(*pages, settings, layout);
        const QString path = profile.path(u"relatorio.pdf"_s);
        QString error;
        EXPECT_TRUE(ReportPdf::write(*printed, path, &error)) << error.toStdString();
        return path;
    }
    // Page by page, the text with its blanks run together.
    QStringList pageTexts(const QString& pdf)
    {
        QStringList texts = run(u"pdftotext"_s, { u"-raw"_s, pdf, u"-"_s }).split(u'\f');
        texts.removeLast();
        for (QString& text : texts)
            text = text.simplified();
        return texts;
    }

    TestProfile profile;
    SettingsStore settings;
    std::unique_ptr<ReportPages> pages;
    std::unique_ptr<PrintedReport> printed;
};

// Each line after the report's own blank and the margin's ten.
TEST_F(Pdf, TwoHundredLinesMakeThreeHeadedPagesOf81_81And38AfterTheMargin)
{
    const QString pdf = write(numberedLines(200));
    EXPECT_TRUE(run(u"pdffonts"_s, { pdf }).contains(u"LiberationMono"_s));
    const QStringList texts = pageTexts(pdf);
    ASSERT_EQ(texts.size(), 3);
    const int counts[] = { 81, 81, 38 };
    int line = 0;
    for (int p = 0; p < 3; ++p) {
        EXPECT_TRUE(texts[p].startsWith(
            u"Pagina %1 ESTABELECIMENTO domingo, 6 de dezembro de 2026 linha %2 "_s.arg(p + 1).arg(line + 1)))
            << texts[p].left(120).toStdString();
        EXPECT_EQ(texts[p].count(u"linha"_s), counts[p]);
        line += counts[p];
        EXPECT_TRUE(texts[p].endsWith(u"linha %1"_s.arg(line)));
    }
    for (const QList<Word>& page : words(pdf)) {
        ASSERT_EQ(page.value(0).text, u"Pagina"_s);
        const double column = (page[0].xMax - page[0].xMin) / 6;
        for (const Word& word : page) {
            if (word.text == u"linha") {
                EXPECT_NEAR((word.xMin - page[0].xMin) / column, 11.0, 0.05);
            }
        }
    }
}

TEST_F(Pdf, ANarrowPaperScalesTheFontAndCutsNoLine)
{
    const QPageLayout narrow(QPageSize(QSizeF(100, 150), QPageSize::Millimeter), QPageLayout::Portrait,
        QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    const QString pdf = write(numberedLines(200, QString(95, u'x') + u" fim"_s), narrow);
    EXPECT_LT(printed->printedFontSize(), 4.0); // from 8 points
    const QList<QList<Word>> found = words(pdf);
    ASSERT_EQ(found.size(), 3);
    const double right = narrow.paintRect(QPageLayout::Point).right();
    int ends = 0;
    for (const QList<Word>& page : found)
        for (const Word& word : page) {
            EXPECT_LE(word.xMax, right + 0.5) << word.text.toStdString();
            ends += word.text == u"fim";
        }
    EXPECT_EQ(ends, 200);
}

TEST_F(Pdf, AnEmptyReportIsOnePageWithItsHeaderAndAFolderThatIsNotThereIsNamed)
{
    EXPECT_EQ(pageTexts(write({})), QStringList { u"Pagina 1 ESTABELECIMENTO domingo, 6 de dezembro de 2026"_s });
    EXPECT_FALSE(printed->scaled());
    const QString path = profile.path(u"nao-existe/relatorio.pdf"_s);
    QString error;
    EXPECT_FALSE(ReportPdf::write(*printed, path, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
