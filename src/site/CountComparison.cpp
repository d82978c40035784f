#include "site/CountComparison.h"

#include "platform/SitePaths.h"
#include "report/Variance.h"
#include "site/Site.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

CountComparison::CountComparison(Site& site)
    : m_site(site)
{
}

QList<CountComparison::PreviousCount> CountComparison::previousCounts() const
{
    // "inv 1_ 3_ 2027_ 13 5_Bak.xls" for inv.xls at 13:05 on 1 March 2027.
    const QFileInfo workbook(m_site.workbookPath());
    const QRegularExpression name(u'^' + QRegularExpression::escape(workbook.completeBaseName())
        + QStringLiteral(R"( (\d{1,2})_ (\d{1,2})_ (\d{1,4})_ (\d{1,2}) (\d{1,2})_Bak\.)")
        + QRegularExpression::escape(workbook.suffix()) + u'$');
    QList<PreviousCount> found;
    const QDir folder = workbook.absoluteDir();
    for (const QString& file : folder.entryList(QDir::Files)) {
        const QRegularExpressionMatch m = name.match(file);
        if (!m.hasMatch())
            continue;
        const QDateTime when(QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt()),
            QTime(m.captured(4).toInt(), m.captured(5).toInt()));
        if (when.isValid())
            found.append({ folder.filePath(file), when });
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.when > b.when; });
    return found;
}

CommandResult CountComparison::compare(
    const QString& previous, std::unique_ptr<Variance>* variance, PreviousCount* used)
{
    if (previous.isEmpty()) {
        const QList<PreviousCount> counts = previousCounts();
        if (counts.isEmpty())
            return CommandResult::failed(
                QStringLiteral("Não há nenhuma contagem anterior junto ao livro %1: a cópia que \"Limpar ficheiro de "
                               "inventarios\" grava antes de apagar as leituras não foi encontrada.")
                    .arg(m_site.workbookPath()));
        *used = counts.first();
    } else {
        // A backup named as the clear names them is dated by its name; any other file by when it was written.
        const QString path = SitePaths::resolve(previous);
        *used = { path, QFileInfo(path).lastModified() };
        for (const PreviousCount& count : previousCounts()) {
            if (QFileInfo(count.path) == QFileInfo(path))
                used->when = count.when;
        }
    }
    DataControl backup;
    backup.setDatabaseName(used->path);
    InventoryTables readings(m_site.ui(), m_site.clock());
    QString error;
    if (!InventoryLoader(backup, readings, m_site.ui()).LerFicheiroDasLeituras(&error))
        return CommandResult::failed(
            QStringLiteral("Não foi possível ler a contagem anterior %1: %2").arg(used->path, error));
    auto compared = std::make_unique<Variance>(readings, m_site.tables());
    if (readings.NLeituras() > 0 && !compared->sharesArticles())
        return CommandResult::failed(QStringLiteral("A contagem anterior %1 não tem nenhum artigo deste "
                                                    "estabelecimento: parece ser de outro livro. Nada foi comparado.")
                                         .arg(used->path));
    *variance = std::move(compared);
    return CommandResult::done();
}

QString CountComparison::title(const PreviousCount& previous)
{
    return QStringLiteral("Variação desde a contagem de %1 (%2)")
        .arg(Conversions::longDateText(Conversions::dayNumberFromDateTime(previous.when)),
            QFileInfo(previous.path).fileName());
}
