#pragma once
#include "cli/SiteCommand.h"

// The count compared with a previous one (the newest backup the clear wrote, or --previous): the listing on
// standard output, in the file --out names, as PDF pages with --pdf, or tab-separated with --tsv.
class VarianceCommand : public SiteCommand
{
public:
    QString name() const override { return QStringLiteral("variance"); }
    QString summary() const override { return QStringLiteral("compara a contagem com a anterior"); }
    QString argumentsShown() const override
    {
        return QStringLiteral("[--previous FICHEIRO] [--out FICHEIRO] [--pdf FICHEIRO] [--tsv]");
    }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult executeOnSite(Site& site, const QStringList& arguments, CommandContext& context) override;
};
