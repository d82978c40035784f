#include "viewer/ReportViewer.h"

#include "platform/SettingsStore.h"
#include "printing/PrintedReport.h"
#include "report/ReportFile.h"
#include "site/Site.h"
#include "support/QtTestMain.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "support/WhenModal.h"
#include "values/Conversions.h"
#include "viewer/ReportPreview.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QString numberedLines(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += u" linha %1\n"_s.arg(i);
    return text;
}

QString pdfText(const QString& pdf)
{
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, { u"-raw"_s, pdf, u"-"_s });
    pdftotext.waitForFinished(60000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

} // namespace

class ReportViewerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void theFileOpensEditableUnderFicheiroAndIsWrittenBackOrTheViewerSaysWhyNot();
    void printPreviewAndExportWriteTheReportAgainDatedAsTheDateWindowSaysOrStop();

private:
    void openViewer();
    QAction* entry(const QString& caption) const;
    QPlainTextEdit* text1() const { return m_viewer->findChild<QPlainTextEdit*>(u"Text1"_s); }
    QString reportPath() const { return m_site->reportPath(); }

    std::unique_ptr<TestProfile> m_profile;
    ScriptedInteraction m_ui;
    std::unique_ptr<Site> m_site;
    std::unique_ptr<ReportViewer> m_viewer;
    QString m_report; // what the report writer writes next
    QStringList m_writeFailure; // when set, the writer fails with it
    int m_writes = 0;
};

void ReportViewerTest::init()
{
    m_profile = std::make_unique<TestProfile>("2026-12-06T10:30:00");
    m_ui = ScriptedInteraction();
    m_site = std::make_unique<Site>(m_ui);
    m_report = numberedLines(200);
    m_writeFailure.clear();
    m_writes = 0;
    QDir().mkpath(QFileInfo(reportPath()).absolutePath());
    QString error;
    QVERIFY(ReportFile::write(reportPath(), u" como foi escrito\n"_s, &error));
}

void ReportViewerTest::cleanup()
{
    m_viewer.reset();
    m_site.reset();
    m_profile.reset();
}

void ReportViewerTest::openViewer()
{
    m_viewer = std::make_unique<ReportViewer>(*m_site, reportPath(), [this] {
        ++m_writes;
        if (!m_writeFailure.isEmpty())
            return CommandResult::failed(m_writeFailure);
        QString error;
        return ReportFile::write(reportPath(), m_report, &error) ? CommandResult::done() : CommandResult::failed(error);
    });
    m_viewer->open();
    m_viewer->show();
}

// Found as a person finds it: the menu "Ficheiro", then the caption.
QAction* ReportViewerTest::entry(const QString& caption) const
{
    for (QAction* action : m_viewer->findChild<QMenu*>(u"Ficheiro"_s)->actions()) {
        if (action->text() == caption)
            return action;
    }
    return nullptr;
}

// Opened editable under the menu "Ficheiro", in the font the settings give; an unreadable file opens empty. A large
// one shows its first lines at once and the rest as it comes in; saved before it is all in, the file still gets
// every line. A file that cannot be written keeps what it had, and the viewer says why.
void ReportViewerTest::theFileOpensEditableUnderFicheiroAndIsWrittenBackOrTheViewerSaysWhyNot()
{
    openViewer();
    QCOMPARE(m_viewer->windowTitle(), u"Tarvik"_s);
    QAction* file = m_viewer->menuBar()->actions().first();
    QCOMPARE(file->text(), u"&Ficheiro"_s);
    QStringList captions;
    for (QAction* action : file->menu()->actions())
        captions.append(action->isSeparator() ? u"-"_s : action->objectName() + u' ' + action->text());
    QCOMPARE(captions,
        QStringList(
            { u"Save Gravar"_s, u"AlterarData Alterar Data"_s, u"Print Imprimir"_s, u"ConFonf Configurar Fonte"_s,
                u"Exit Sair"_s, u"-"_s, u"PreVisualizar Pré-visualizar"_s, u"ExportarPDF Exportar PDF..."_s }));
    QCOMPARE(text1()->toPlainText(), u" como foi escrito\n"_s);
    QVERIFY(!text1()->isReadOnly());
    QCOMPARE(QFontInfo(text1()->font()).family(), u"Liberation Mono"_s);
    QCOMPARE(text1()->font().pointSize(), 8);

    // The text area takes the whole points, the font dialog and the printer the size as stored.
    QString error;
    QVERIFY(m_site->settings().save({ { SettingsKeys::FontSize, u"10,5"_s } }, &error));
    m_viewer->open();
    QCOMPARE(text1()->font().pointSize(), 10);
    QCOMPARE(PrintedReport::settingsFont(m_site->settings()).pointSizeF(), 10.5);

    // The dialog shows the family "Courier New" stands for; confirmed as it is, nothing is lost to its whole sizes.
    QFont shown;
    whenModal([&shown](QWidget* modal) {
        auto* dialog = qobject_cast<QFontDialog*>(modal);
        shown = dialog->currentFont();
        dialog->accept();
    });
    entry(u"Configurar Fonte"_s)->trigger();
    QCOMPARE(shown.family(), u"Liberation Mono"_s);
    QCOMPARE(m_site->settings().value(SettingsKeys::FontSize), u"10,5"_s);
    QCOMPARE(m_site->settings().value(SettingsKeys::FontName), u"Courier New"_s);
    QCOMPARE(text1()->font().pointSizeF(), 10.5);

    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QFontDialog*>(modal);
        QFont chosen = dialog->currentFont();
        chosen.setPointSize(12);
        dialog->setCurrentFont(chosen);
        dialog->accept();
    });
    entry(u"Configurar Fonte"_s)->trigger();
    QCOMPARE(m_site->settings().value(SettingsKeys::FontSize), u"12"_s);
    QCOMPARE(text1()->font().pointSizeF(), 12.0);
    // Cancelled, it stays.
    whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    entry(u"Configurar Fonte"_s)->trigger();
    QCOMPARE(m_site->settings().value(SettingsKeys::FontSize), u"12"_s);

    // The text area fills the window below the menu.
    m_viewer->resize(700, 500);
    QTRY_COMPARE(text1()->width(), m_viewer->width());
    QVERIFY(text1()->height() > 300);

    // Cancelling the print dialog prints nothing and writes nothing.
    whenModal([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    entry(u"Imprimir"_s)->trigger();
    QCOMPARE(m_writes, 0);
    QVERIFY(m_ui.messages.isEmpty());
    entry(u"Sair"_s)->trigger();
    QVERIFY(!m_viewer->isVisible());

    QFile::remove(reportPath());
    m_viewer->open();
    QCOMPARE(text1()->toPlainText(), QString());
    QCOMPARE(m_ui.messages.size(), 1);
    QVERIFY2(m_ui.messages[0].contains(reportPath()), qPrintable(m_ui.messages[0]));
    text1()->setPlainText(u" Lacticínios corrigido\n segunda linha\n"_s);
    entry(u"Gravar"_s)->trigger();
    QCOMPARE(fileBytes(reportPath()), QByteArray(" Lactic\xEDnios corrigido\r\n segunda linha\r\n"));
    QCOMPARE(m_ui.messages.size(), 1);

    QVERIFY(ReportFile::write(reportPath(), numberedLines(25000), &error));
    m_viewer->open();
    QVERIFY(text1()->blockCount() < 25000);
    QVERIFY(text1()->toPlainText().startsWith(u" linha 1\n linha 2\n"_s));
    text1()->moveCursor(QTextCursor::Start);
    text1()->insertPlainText(u"x"_s);
    entry(u"Gravar"_s)->trigger();
    const QByteArray saved = fileBytes(reportPath());
    QCOMPARE(saved.count('\n'), 25000);
    QVERIFY(saved.startsWith("x linha 1\r\n") && saved.endsWith(" linha 25000\r\n"));
    m_viewer->open();
    QTRY_COMPARE(text1()->toPlainText(), QString::fromLatin1(saved).remove(u'\r'));

    QFile(reportPath()).setPermissions(QFileDevice::ReadOwner);
    text1()->setPlainText(u"perdido?"_s);
    entry(u"Gravar"_s)->trigger();
    QCOMPARE(m_ui.messages.size(), 2);
    QVERIFY2(m_ui.messages[1].contains(reportPath()), qPrintable(m_ui.messages[1]));
    QCOMPARE(fileBytes(reportPath()), saved);
}

// What is printed, previewed or exported comes from the tables as they are now: the report is written again, edits
// are not printed. The headers carry the day the date window gives until the viewer opens again.
void ReportViewerTest::printPreviewAndExportWriteTheReportAgainDatedAsTheDateWindowSaysOrStop()
{
    openViewer();
    const double opened = Conversions::dayNumberFromDateTime(QDateTime(QDate(2026, 12, 6), QTime(10, 30), Qt::UTC));
    QCOMPARE(m_viewer->dataRelatorio(), opened);
    entry(u"Alterar Data"_s)->trigger();
    auto* form6 = m_viewer->findChild<QDialog*>(u"Form6"_s);
    QVERIFY(form6 && form6->isVisible());
    QCOMPARE(form6->windowTitle(), u"Alterar data"_s);
    auto* calendar1 = form6->findChild<QCalendarWidget*>(u"Calendar1"_s);
    QCOMPARE(calendar1->firstDayOfWeek(), Qt::Monday);
    QCOMPARE(calendar1->selectedDate(), QDate(2026, 12, 6));
    QCOMPARE(calendar1->locale().monthName(12), u"dezembro"_s);
    // Confirmed without a pick, the headers keep their day (not 30 December 1899).
    auto* command1 = form6->findChild<QPushButton*>(u"Command1"_s);
    QCOMPARE(command1->text(), u"Confirmar"_s);
    command1->click();
    QVERIFY(!form6->isVisible());
    QCOMPARE(Conversions::longDateText(m_viewer->dataRelatorio()), u"domingo, 6 de dezembro de 2026"_s);

    entry(u"Alterar Data"_s)->trigger();
    form6 = m_viewer->findChild<QDialog*>(u"Form6"_s);
    form6->findChild<QCalendarWidget*>(u"Calendar1"_s)->setSelectedDate(QDate(2026, 12, 24));
    form6->findChild<QPushButton*>(u"Command1"_s)->click();
    text1()->setPlainText(u"editado"_s);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_profile->path(u"impresso.pdf"_s));
    QVERIFY(m_viewer->printOn(printer));
    QCOMPARE(m_writes, 1);
    QVERIFY(m_ui.messages.isEmpty());
    const QStringList pages = pdfText(printer.outputFileName()).split(u'\f');
    QVERIFY(pages.value(2).startsWith(u"Pagina 3 ESTABELECIMENTO quinta-feira, 24 de dezembro de 2026"_s));
    QVERIFY(!pages.join(QString()).contains(u"editado"_s));
    m_viewer->open();
    QCOMPARE(m_viewer->dataRelatorio(), opened);

    // Lines too wide for the paper: the preview shows the pages one at a time at the reduced size.
    m_report = numberedLines(200).replace(u"linha"_s, QString(130, u'-') + u" linha"_s);
    entry(u"Pré-visualizar"_s)->trigger();
    auto* preview = m_viewer->findChild<ReportPreview*>();
    QVERIFY(preview && preview->isVisible());
    QCOMPARE(m_writes, 2);
    auto* pageSpinBox = preview->findChild<QSpinBox*>(u"pageSpinBox"_s);
    QCOMPARE(pageSpinBox->maximum(), 3);
    QVERIFY(preview->findChild<QLabel*>(u"fontLabel"_s)->text().startsWith(u"A letra foi reduzida de 8 para "_s));

    auto* page = preview->findChild<QLabel*>(u"pageLabel"_s);
    const QImage first = page->pixmap().toImage();
    preview->findChild<QAction*>(u"NextPage"_s)->trigger();
    QCOMPARE(preview->currentPage(), 1);
    QCOMPARE(pageSpinBox->value(), 2);
    QVERIFY(page->pixmap().toImage() != first);
    preview->findChild<QAction*>(u"LastPage"_s)->trigger();
    preview->findChild<QAction*>(u"NextPage"_s)->trigger();
    QCOMPARE(preview->currentPage(), 2);
    pageSpinBox->setValue(1);
    QCOMPARE(preview->currentPage(), 0);

    const int width = page->pixmap().width();
    preview->findChild<QAction*>(u"ZoomIn"_s)->trigger();
    QVERIFY(qAbs(page->pixmap().width() - width * 1.25) <= 1);
    preview->findChild<QAction*>(u"Close"_s)->trigger();
    QVERIFY(!preview->isVisible());

    const QString pdf = m_profile->path(u"exportado.pdf"_s);
    m_ui.chosenFiles = QStringList { pdf };
    entry(u"Exportar PDF..."_s)->trigger();
    QCOMPARE(m_ui.suggestedFiles, QStringList { QFileInfo(reportPath()).dir().filePath(u"Report.pdf"_s) });
    QVERIFY(m_ui.messages.isEmpty());
    QCOMPARE(m_writes, 3);
    QCOMPARE(pdfText(pdf).count(u'\f'), 3);
    // Cancelled, nothing is written again.
    entry(u"Exportar PDF..."_s)->trigger();
    QCOMPARE(m_writes, 3);

    // A report that cannot be written again is not printed from the old file.
    m_writeFailure = QStringList { u"Não foi possível gravar o ficheiro c:\\Report.txt: disco cheio."_s };
    printer.setOutputFileName(m_profile->path(u"nada.pdf"_s));
    QVERIFY(!m_viewer->printOn(printer));
    QCOMPARE(m_ui.messages, m_writeFailure + QStringList { u"Erro de impressão!"_s });
    QVERIFY(!QFile::exists(printer.outputFileName()));
}

TARVIK_QTEST_MAIN(ReportViewerTest)

#include "ReportViewerTest.moc"
