#pragma once
#include "cli/SiteCommand.h"

// Loads the inventory workbook as start-up does and prints the table counts.
class CheckCommand : public SiteCommand
{
public:
    QString name() const override { return QStringLiteral("check"); }
    QString summary() const override
    {
        return QStringLiteral("lê o livro de inventários e mostra quantos registos tem");
    }

protected:
    CommandResult executeOnSite(Site& site, const QStringList& arguments, CommandContext& context) override;
};
