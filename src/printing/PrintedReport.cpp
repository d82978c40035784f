#include "printing/PrintedReport.h"

#include "platform/SettingsStore.h"
#include "report/ReportPages.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace {

// Metrics taken at a printer's resolution: a screen's would be rounded to whole pixels.
constexpr int kMeasuringDpi = 1200;

QImage measuringDevice()
{
    QImage device(1, 1, QImage::Format_Mono);
    const int dotsPerMeter = qRound(kMeasuringDpi / 0.0254);
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    return device;
}

} // namespace

PrintedReport::PrintedReport(const ReportPages& pages, const SettingsStore& settings, const QPageLayout& layout)
    : m_pages(pages)
    , m_layout(layout)
    , m_font(settingsFont(settings))
{
    // Unhinted glyphs keep the same advance at any resolution, so the preview lines up with the paper.
    m_font.setHintingPreference(QFont::PreferNoHinting);

    const QImage device = measuringDevice();
    const QFontMetricsF metrics(m_font, &device);
    const double toPoints = 72.0 / kMeasuringDpi;
    m_ascent = metrics.ascent() * toPoints;
    m_lineSpacing = metrics.lineSpacing() * toPoints;

    const bool fixedPitch = QFontInfo(m_font).fixedPitch();
    m_column = fixedPitch ? metrics.horizontalAdvance(u' ') * toPoints : 0;
    double widest = 0;
    for (int page = 0; page < pages.pageCount(); ++page)
        widest = std::max(widest, metrics.horizontalAdvance(pages.header(page)));
    if (fixedPitch) {
        widest = std::max(widest, metrics.horizontalAdvance(pages.widestLine()));
    } else {
        for (int page = 0; page < pages.pageCount(); ++page) {
            for (const QString& line : pages.lines(page))
                widest = std::max(widest, metrics.horizontalAdvance(line));
        }
    }
    widest *= toPoints;
    // The header, the empty line under it, then the page's lines; the last needs only its ascent and descent.
    const double tallest
        = (pages.linesPerPage() + 1) * m_lineSpacing + (metrics.ascent() + metrics.descent()) * toPoints;
    const QRectF area = m_layout.paintRect(QPageLayout::Point);
    m_scale = std::min({ 1.0, widest > 0 ? area.width() / widest : 1.0, area.height() / tallest });
}

QFont PrintedReport::settingsFont(const SettingsStore& settings)
{
    QFont font(settings.value(SettingsKeys::FontName));
    font.setStyleHint(QFont::TypeWriter);
    const std::optional<double> size = SettingsKeys::fromSignedNumberForm(settings.value(SettingsKeys::FontSize));
    font.setPointSizeF(size && *size > 0 && *size < 1000 ? *size : 8.0);
    return font;
}

QPageLayout PrintedReport::defaultLayout()
{
    return QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

void PrintedReport::paintPage(QPainter& painter, int page) const
{
    const double pixelsPerPoint = painter.device()->logicalDpiY() / 72.0;
    painter.save();
    painter.scale(m_scale, m_scale);
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    double baseline = m_ascent;
    drawLine(painter, pixelsPerPoint, baseline * pixelsPerPoint, m_pages.header(page));
    baseline += 2 * m_lineSpacing;
    for (const QString& line : m_pages.lines(page)) {
        drawLine(painter, pixelsPerPoint, baseline * pixelsPerPoint, line);
        baseline += m_lineSpacing;
    }
    painter.restore();
}

// On a fixed pitch the runs of blanks are not drawn: each run of text goes to its own column. A report is
// mostly padding, and a PDF spends as much on a blank as on a letter.
void PrintedReport::drawLine(QPainter& painter, double pixelsPerPoint, double baseline, const QString& line) const
{
    if (m_column == 0) {
        painter.drawText(QPointF(0, baseline), line);
        return;
    }
    qsizetype column = 0;
    while (column < line.size()) {
        while (column < line.size() && line.at(column) == u' ')
            ++column;
        qsizetype end = line.indexOf(QStringLiteral("  "), column);
        if (end < 0)
            end = line.size();
        if (end > column)
            painter.drawText(QPointF(column * m_column * pixelsPerPoint, baseline), line.mid(column, end - column));
        column = end;
    }
}

bool PrintedReport::print(QPagedPaintDevice& device, int first, int last) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage())
            return false;
        paintPage(painter, page);
    }
    return painter.end();
}
