#pragma once
#include "cli/SiteCommand.h"

#include <optional>

// Writes the inventory report to the FicheiroDeReport file, or to the one --out names; with --pdf, also the
// pages "Imprimir" would print, dated by the clock, as a PDF.
class ReportCommand : public SiteCommand
{
public:
    QString name() const override { return QStringLiteral("report"); }
    QString summary() const override
    {
        return QStringLiteral("escreve o relatório de inventários (e as suas páginas em PDF)");
    }
    QString argumentsShown() const override { return QStringLiteral("[--out FICHEIRO] [--pdf FICHEIRO]"); }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult executeOnSite(Site& site, const QStringList& arguments, CommandContext& context) override;

private:
    struct Files
    {
        QString out;
        QString pdf;
    };
    // --out and --pdf, each at most once, in any order; nullopt for anything else.
    static std::optional<Files> files(const QStringList& arguments);
};
