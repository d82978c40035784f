#pragma once
#include "platform/CommandResult.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class DateWindow;
class QPlainTextEdit;
class QPrinter;
class QTimer;
class ReportPages;
class ReportPreview;
class Site;

// Form4: the report file in an editable fixed-pitch text area, saved back on request, and the report printed,
// previewed or exported to PDF with page headers dated DataRelatorio.
class ReportViewer : public QMainWindow
{
    Q_OBJECT
public:
    // Shows the listing in the file at path; write writes it again (the report, or the variance), as printing,
    // the preview and the PDF do first.
    ReportViewer(Site& site, const QString& path, std::function<CommandResult()> write, QWidget* parent = nullptr);
    ~ReportViewer() override;

    // Dates the headers now and shows the file; a file that cannot be read leaves the text empty and says why.
    void open();
    // The date the page headers show, as a day number.
    double dataRelatorio() const { return m_dataRelatorio; }

    // Prints on printer as "Imprimir" does once the printer is chosen; false after "Erro de impressão!".
    bool printOn(QPrinter& printer);
    // The pages "Imprimir" would print, from the report written again; nullptr after saying why.
    std::unique_ptr<ReportPages> freshPages(QStringList* errors);

private:
    // Shows text at once up to a screenful or so and adds the rest from the event loop, so a report of a hundred
    // thousand lines opens without a wait.
    void showText(const QString& text);
    void appendPendingText();
    // Adds what is still pending now: before a save, the text must be whole.
    void finishLoading();
    void Save();
    void AlterarData();
    void Print();
    void ConFonf();
    void preview();
    void exportPdf();

    Site& m_site;
    QString m_path;
    std::function<CommandResult()> m_writeReport;
    QPlainTextEdit* m_text1;
    QTimer* m_loading;
    QString m_pendingText;
    qsizetype m_pendingFrom = 0;
    QPointer<DateWindow> m_dateWindow;
    QPointer<ReportPreview> m_preview;
    double m_dataRelatorio = 0;
};
