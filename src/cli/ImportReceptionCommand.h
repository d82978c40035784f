#pragma once
#include "cli/SiteCommand.h"

// Merges a reception workbook into the articles, as the menu command does with the file it names.
class ImportReceptionCommand : public SiteCommand
{
public:
    QString name() const override { return QStringLiteral("import-reception"); }
    QString summary() const override { return QStringLiteral("importa um livro de recepções para os artigos"); }
    QString argumentsShown() const override { return QStringLiteral("FICHEIRO"); }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult executeOnSite(Site& site, const QStringList& arguments, CommandContext& context) override;
};
