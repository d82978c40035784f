#pragma once
#include "cli/SiteCommand.h"

// Writes the four lists, the exact bytes that would be sent to the terminal.
class ListsCommand : public SiteCommand
{
public:
    QString name() const override { return QStringLiteral("lists"); }
    QString summary() const override { return QStringLiteral("escreve as quatro listas do terminal numa pasta"); }
    QString argumentsShown() const override { return QStringLiteral("--out DIR"); }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult executeOnSite(Site& site, const QStringList& arguments, CommandContext& context) override;
};
