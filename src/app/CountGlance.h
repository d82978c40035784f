#pragma once
#include <QDateTime>
#include <QWidget>

class QLabel;
class QTableWidget;
class Site;

// The count at a glance, in the main window: the site, its workbook, the terminal, and per cost centre the
// readings, the doubtful ones and their value as the report computes it, with a total row.
class CountGlance : public QWidget
{
    Q_OBJECT
public:
    explicit CountGlance(Site& site, QWidget* parent = nullptr);

    // Reads everything again from the site; lastCollection is when the terminal's entries last came in.
    void refresh(const QDateTime& lastCollection);

private:
    Site& m_site;
    QLabel* m_siteLabel;
    QLabel* m_workbookLabel;
    QLabel* m_terminalLabel;
    QTableWidget* m_table;
};
