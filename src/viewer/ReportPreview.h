#pragma once
#include <QDialog>

#include <memory>

class PrintedReport;
class QLabel;
class QScrollArea;
class QSpinBox;
class ReportPages;
class SettingsStore;
class UserInteraction;

// The pages "Imprimir" prints, on A4 as the PDF has them: one page at a time, zoomable, and printable from here.
// A page is drawn only when it is shown, so a report of a thousand pages opens at once.
class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    ReportPreview(std::unique_ptr<ReportPages> pages, const SettingsStore& settings, UserInteraction& ui,
        QWidget* parent = nullptr);
    ~ReportPreview() override;

    const PrintedReport& printedReport() const { return *m_printed; }
    int currentPage() const { return m_page; }
    // page counts from 0; out of range goes to the nearest page.
    void showPage(int page);
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }

private:
    void render();
    void print();
    // The zoom at which the page's width, or the whole page, fits the view.
    double fittingZoom(bool wholePage) const;

    std::unique_ptr<ReportPages> m_pages;
    std::unique_ptr<PrintedReport> m_printed;
    const SettingsStore& m_settings;
    UserInteraction& m_ui;
    QScrollArea* m_scrollArea;
    QLabel* m_pageLabel;
    QSpinBox* m_pageSpinBox;
    QLabel* m_zoomLabel;
    int m_page = 0;
    double m_zoom = 1.0;
};
