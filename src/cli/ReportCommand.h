#pragma once
#include "cli/SiteCommand.h"

// Writes the inventory report to the FicheiroDeReport file, or to the one --out names.
class ReportCommand : public SiteCommand
{
public:
    QString name() const override { return QStringLiteral("report"); }
    QString summary() const override { return QStringLiteral("escreve o relatório de inventários"); }
    QString argumentsShown() const override { return QStringLiteral("[--out FICHEIRO]"); }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult executeOnSite(Site& site, const QStringList& arguments, CommandContext& context) override;
};
