#pragma once
#include <QStringList>

class SettingsStore;

// The pages the report prints on. Each opens with its header ("Pagina " p, the site's name and the date, 20
// blanks apart) and an empty line, then holds LinhasPorPagina + 1 lines of the report, each after Margem blanks.
// An empty report still has its one page.
class ReportPages
{
public:
    // text as ReportFile::read gives it; the date is the day number the header shows.
    ReportPages(const QString& text, const SettingsStore& settings, double dataRelatorio);

    int pageCount() const { return m_pageCount; }
    // page counts from 0.
    QString header(int page) const;
    QStringList lines(int page) const;
    // The most report lines any page holds, and the longest report line with its margin, in characters.
    int linesPerPage() const { return m_linesPerPage; }
    QString widestLine() const;

private:
    QStringList m_lines;
    QString m_margin;
    QString m_headerMiddle;
    int m_linesPerPage;
    int m_pageCount;
};
