#include "viewer/ReportViewer.h"

#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/UserInteraction.h"
#include "printing/PrintedReport.h"
#include "printing/ReportPdf.h"
#include "report/ReportFile.h"
#include "report/ReportPages.h"
#include "site/Site.h"
#include "values/Conversions.h"
#include "viewer/DateWindow.h"
#include "viewer/ReportPreview.h"
#include "viewer/ReportPrinter.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QStatusBar>
#include <QTextCursor>
#include <QTimer>

ReportViewer::ReportViewer(Site& site, const QString& path, std::function<CommandResult()> write, QWidget* parent)
    : QMainWindow(parent)
    , m_site(site)
    , m_path(path)
    , m_writeReport(std::move(write))
    , m_text1(new QPlainTextEdit(this))
    , m_loading(new QTimer(this))
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Tarvik"));
    setWindowFlag(Qt::Window);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(QStringLiteral("Relatório"));
    m_text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    setCentralWidget(m_text1);
    connect(m_loading, &QTimer::timeout, this, &ReportViewer::appendPendingText);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Ficheiro"));
    file->setObjectName(QStringLiteral("Ficheiro"));
    const auto add = [this, file](const char* name, const QString& caption, auto action, QKeySequence shortcut = {}) {
        QAction* entry = file->addAction(caption, this, action);
        entry->setObjectName(QString::fromLatin1(name));
        entry->setShortcut(shortcut);
    };
    add("Save", QStringLiteral("Gravar"), &ReportViewer::Save, QKeySequence::Save);
    add("AlterarData", QStringLiteral("Alterar Data"), &ReportViewer::AlterarData);
    add("Print", QStringLiteral("Imprimir"), &ReportViewer::Print, QKeySequence::Print);
    add("ConFonf", QStringLiteral("Configurar Fonte"), &ReportViewer::ConFonf);
    add("Exit", QStringLiteral("Sair"), [this] { close(); });
    file->addSeparator();
    add("PreVisualizar", QStringLiteral("Pré-visualizar"), &ReportViewer::preview);
    add("ExportarPDF", QStringLiteral("Exportar PDF..."), &ReportViewer::exportPdf);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    resize(920, 640);
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::open()
{
    m_dataRelatorio = Conversions::dayNumberFromDateTime(m_site.clock().now());
    QString text;
    QString error;
    if (ReportFile::read(m_path, &text, &error))
        statusBar()->showMessage(m_path);
    else
        m_site.ui().showMessage(error);
    showText(text);
    // The text area takes the leading whole number of the size: 10,5 shows at 10.
    QFont font = PrintedReport::settingsFont(m_site.settings());
    const double whole = Conversions::numericValue(m_site.settings().value(SettingsKeys::FontSize));
    if (whole >= 1 && whole < 1000)
        font.setPointSize(int(whole));
    m_text1->setFont(font);
}

namespace {

constexpr int kLinesAtOnce = 2000;
constexpr int kLinesPerStep = 10000;

// Where the text after from ends once it holds lines lines, or its end.
qsizetype afterLines(const QString& text, qsizetype from, int lines)
{
    while (lines-- > 0) {
        const qsizetype end = text.indexOf(u'\n', from);
        if (end < 0)
            return text.size();
        from = end + 1;
    }
    return from;
}

} // namespace

void ReportViewer::showText(const QString& text)
{
    m_loading->stop();
    const qsizetype shown = afterLines(text, 0, kLinesAtOnce);
    m_text1->setPlainText(text.left(shown));
    m_pendingText = text;
    m_pendingFrom = shown;
    if (m_pendingFrom < m_pendingText.size()) {
        // Typing while the rest comes in would land in the middle of the report.
        m_text1->setReadOnly(true);
        m_text1->setUndoRedoEnabled(false);
        m_loading->start(0);
    } else {
        m_pendingText.clear();
        m_text1->setUndoRedoEnabled(true);
        m_text1->setReadOnly(false);
    }
}

void ReportViewer::appendPendingText()
{
    const qsizetype end = afterLines(m_pendingText, m_pendingFrom, kLinesPerStep);
    QTextCursor cursor(m_text1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_pendingText.mid(m_pendingFrom, end - m_pendingFrom));
    m_pendingFrom = end;
    if (m_pendingFrom < m_pendingText.size())
        return;
    m_loading->stop();
    m_pendingText.clear();
    m_text1->setUndoRedoEnabled(true);
    m_text1->setReadOnly(false);
    m_text1->document()->setModified(false);
}

void ReportViewer::finishLoading()
{
    while (m_loading->isActive())
        appendPendingText();
}

void ReportViewer::Save()
{
    finishLoading();
    QString error;
    if (!ReportFile::write(m_path, m_text1->toPlainText(), &error)) {
        m_site.ui().showMessage(error);
        return;
    }
    m_text1->document()->setModified(false);
    statusBar()->showMessage(QStringLiteral("Gravado em %1.").arg(m_path));
}

void ReportViewer::AlterarData()
{
    if (!m_dateWindow) {
        m_dateWindow = new DateWindow(m_dataRelatorio, this);
        m_dateWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_dateWindow, &DateWindow::confirmed, this, [this](double day) { m_dataRelatorio = day; });
    }
    m_dateWindow->show();
    m_dateWindow->raise();
}

void ReportViewer::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    if (ReportPrinter::choose(printer, this))
        printOn(printer);
}

bool ReportViewer::printOn(QPrinter& printer)
{
    QStringList errors;
    const std::unique_ptr<ReportPages> pages = freshPages(&errors);
    if (pages && ReportPrinter::print(*pages, m_site.settings(), printer))
        return true;
    // A report that could not be written again is not printed from the old file.
    for (const QString& error : errors)
        m_site.ui().showMessage(error);
    m_site.ui().showMessage(QStringLiteral("Erro de impressão!"));
    return false;
}

std::unique_ptr<ReportPages> ReportViewer::freshPages(QStringList* errors)
{
    const CommandResult written = m_writeReport();
    if (written.failed()) {
        errors->append(written.messages());
        return nullptr;
    }
    QString text;
    QString error;
    if (!ReportFile::read(m_path, &text, &error)) {
        errors->append(error);
        return nullptr;
    }
    // The file now holds what is printed: an unedited text area shows it too, so "Gravar" cannot put the old
    // text back.
    if (!m_text1->document()->isModified())
        showText(text);
    return std::make_unique<ReportPages>(text, m_site.settings(), m_dataRelatorio);
}

void ReportViewer::ConFonf()
{
    SettingsStore& settings = m_site.settings();
    QFont chosen = PrintedReport::settingsFont(settings);
    // "Courier New" is not a family of its own here: preset the one it stands for, so the dialog shows it.
    const QFont stored = chosen;
    const QString shownFamily = QFontInfo(chosen).family();
    chosen.setFamily(shownFamily);
    QFontDialog dialog(chosen, this);
    dialog.setWindowTitle(QStringLiteral("Configurar Fonte"));
    // The dialog offers whole sizes only: 10,5 shows as 11, and is kept unless another size is picked.
    const double shownSize = dialog.currentFont().pointSizeF();
    if (dialog.exec() != QDialog::Accepted)
        return;
    chosen = dialog.selectedFont();
    const QString family = chosen.family() == shownFamily ? stored.family() : chosen.family();
    const double size = chosen.pointSizeF() == shownSize ? stored.pointSizeF() : chosen.pointSizeF();
    QString error;
    if (!settings.save(
            { { SettingsKeys::FontSize, SettingsKeys::singleForm(size) }, { SettingsKeys::FontName, family } },
            &error)) {
        m_site.ui().showMessage(error);
        return;
    }
    QFont font = chosen;
    font.setFamily(family);
    font.setPointSizeF(size);
    m_text1->setFont(font);
}

void ReportViewer::preview()
{
    QStringList errors;
    std::unique_ptr<ReportPages> pages = freshPages(&errors);
    if (!pages) {
        for (const QString& error : errors)
            m_site.ui().showMessage(error);
        return;
    }
    if (m_preview)
        m_preview->close();
    m_preview = new ReportPreview(std::move(pages), m_site.settings(), m_site.ui(), this);
    m_preview->setAttribute(Qt::WA_DeleteOnClose);
    m_preview->show();
}

void ReportViewer::exportPdf()
{
    const QFileInfo report(m_path);
    const QString suggested = report.dir().filePath(report.completeBaseName() + QStringLiteral(".pdf"));
    const QString path = m_site.ui().chooseSaveFile(suggested, QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    QStringList errors;
    const std::unique_ptr<ReportPages> pages = freshPages(&errors);
    QString error;
    if (pages
        && !ReportPdf::write(PrintedReport(*pages, m_site.settings(), PrintedReport::defaultLayout()), path, &error))
        errors.append(error);
    for (const QString& message : errors)
        m_site.ui().showMessage(message);
    if (errors.isEmpty())
        statusBar()->showMessage(QStringLiteral("Exportado para %1.").arg(path));
}
