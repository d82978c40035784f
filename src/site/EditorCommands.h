#pragma once
#include "platform/CommandResult.h"
#include "site/RowEdit.h"

#include <QSet>
#include <QStringList>

#include <vector>

class Site;

// What the article and readings editors change in the site's tables and workbook. The rows name their records,
// so a table another command changed meanwhile (a collection, an import, the other editor) is merged, never
// overwritten: each edit goes to the record it was made on, and records added meanwhile are kept.
class EditorCommands
{
public:
    explicit EditorCommands(Site& site);

    // The articles become the rows' records in the rows' order, each with the fields its row changed, then the
    // articles added meanwhile; those in removed are dropped. Saved with GravarArtigos as one command. The codes
    // of edited rows whose article another command deleted are added to lost.
    CommandResult confirmArticles(const std::vector<RowEdit>& rows, const QSet<quint64>& removed, QStringList* lost);
    // The same for the readings, saved with GravarFicheiroDasLeituras; rows without a record are new readings,
    // and a cleared doubtful mark becomes 0.
    CommandResult confirmReadings(const std::vector<RowEdit>& rows, const QSet<quint64>& removed, QStringList* lost);
    // Marks set to 1 by "Desmarcar leitura" stay in the table when the editor is cancelled.
    void keepClearedMarks(const QSet<quint64>& readings);
    // One Correccoes$ row from the article editor's cells (its columns), saved as one command.
    CommandResult AdicionaArtigosExcepcao(const QStringList& cells);
    // The code of the family with that description, accents aside; empty when none has it.
    QString Consulta_CodFamContabilisticaPorDesc(const QString& description);

private:
    Site& m_site;
};
