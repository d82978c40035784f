#include "report/ReportPages.h"

#include "platform/SettingsStore.h"
#include "values/Conversions.h"

#include <algorithm>
#include <cmath>

namespace {

// A wider margin only makes the print smaller; this bounds what one line can cost.
constexpr int kMaxMargin = 1000;

QStringList splitLines(const QString& text)
{
    QStringList lines = text.split(u'\n');
    // The last line's own end is not a line of its own.
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

ReportPages::ReportPages(const QString& text, const SettingsStore& settings, double dataRelatorio)
    : m_lines(splitLines(text))
{
    using namespace SettingsKeys;
    const qint32 margin = Conversions::roundToWhole(Conversions::numericValue(settings.value(Margem)));
    m_margin = QString(std::clamp(margin, 0, kMaxMargin), u' ');
    const QString blanks(20, u' ');
    m_headerMiddle = blanks + settings.value(NomeEstabelecimento) + blanks + Conversions::longDateText(dataRelatorio);
    // A new page starts once the count of lines passes LinhasPorPagina.
    const double limit = Conversions::numericValue(settings.value(LinhasPorPagina));
    const qsizetype count = m_lines.size();
    const qsizetype perPage = limit < 0 ? 1 : limit >= double(count) ? count : qsizetype(std::floor(limit)) + 1;
    m_linesPerPage = int(std::max<qsizetype>(perPage, 1));
    m_pageCount = int(std::max<qsizetype>((count + m_linesPerPage - 1) / m_linesPerPage, 1));
}

QString ReportPages::header(int page) const
{
    return QStringLiteral("Pagina ") + QString::number(page + 1) + m_headerMiddle;
}

QStringList ReportPages::lines(int page) const
{
    QStringList lines = m_lines.mid(qsizetype(page) * m_linesPerPage, m_linesPerPage);
    for (QString& line : lines)
        line.prepend(m_margin);
    return lines;
}

QString ReportPages::widestLine() const
{
    const auto longest = std::max_element(
        m_lines.cbegin(), m_lines.cend(), [](const QString& a, const QString& b) { return a.size() < b.size(); });
    return m_margin + (longest == m_lines.cend() ? QString() : *longest);
}
