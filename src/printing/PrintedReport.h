#pragma once
#include <QFont>
#include <QPageLayout>

class QPagedPaintDevice;
class QPainter;
class ReportPages;
class SettingsStore;

// The report's pages set in the chosen font on a paper. When the widest line (with its margin) or a page's lines
// do not fit the printable area at the chosen size, the whole print is scaled down to fit: no line is cut and no
// page overflows, and every page keeps the lines it was given.
class PrintedReport
{
public:
    // In the FontName and FontSize settings' font (10,5 prints at 10.5 points).
    PrintedReport(const ReportPages& pages, const SettingsStore& settings, const QPageLayout& layout);

    // The font the settings name, at the size FontSize gives (8 points when it is not a number).
    static QFont settingsFont(const SettingsStore& settings);

    // A4 portrait with 10 mm margins: the preview's and the PDF's paper.
    static QPageLayout defaultLayout();

    const ReportPages& pages() const { return m_pages; }
    const QPageLayout& pageLayout() const { return m_layout; }
    // The size the text is printed at: the chosen size, or less when it had to be scaled.
    double printedFontSize() const { return m_font.pointSizeF() * m_scale; }
    bool scaled() const { return m_scale < 1.0; }

    // Paints one page (from 0), the painter's origin at the top-left of the printable area.
    void paintPage(QPainter& painter, int page) const;
    // Prints pages first..last (from 0) on device, one sheet each; false when the device refused.
    bool print(QPagedPaintDevice& device, int first, int last) const;

private:
    void drawLine(QPainter& painter, double pixelsPerPoint, double baseline, const QString& line) const;

    const ReportPages& m_pages;
    QPageLayout m_layout;
    QFont m_font;
    // In points at the chosen size.
    double m_ascent;
    double m_lineSpacing;
    // The width of a column on a fixed pitch, else 0.
    double m_column;
    double m_scale;
};
