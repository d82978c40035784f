#pragma once
#include "cli/Command.h"

// Prints a sheet of any .xls, tab-separated, each cell in the site format.
class ExportCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("export"); }
    QString summary() const override { return QStringLiteral("mostra as linhas de uma folha do livro"); }
    QString argumentsShown() const override { return QStringLiteral("SHEET"); }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult execute(const QStringList& arguments, CommandContext& context) override;
};
