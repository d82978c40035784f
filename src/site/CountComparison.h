#pragma once
#include "platform/CommandResult.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

class Site;
class Variance;

// The comparison of the site's count with a previous one: the readings of a backup that the clear of the
// readings wrote beside the workbook.
class CountComparison
{
public:
    struct PreviousCount
    {
        QString path;
        QDateTime when; // the date and time its name carries
    };

    explicit CountComparison(Site& site);

    // The backups beside the workbook, newest first by the date and time in their names (not the files' times).
    QList<PreviousCount> previousCounts() const;
    // The variance against previous, or the newest backup when it is empty; the backup used goes in used. Failed
    // with a clear message when there is none, it cannot be read or it is of another site.
    CommandResult compare(const QString& previous, std::unique_ptr<Variance>* variance, PreviousCount* used);
    // The title of the listing: what was compared with what.
    static QString title(const PreviousCount& previous);

private:
    Site& m_site;
};
