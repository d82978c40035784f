#pragma once
#include "cli/Command.h"

// Prints one sheet of any .xls workbook, a tab-separated line a row, from the heading row on.
class ExportCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("export"); }
    QString summary() const override { return QStringLiteral("mostra as linhas de uma folha (SHEET) do livro"); }
    int run(const QStringList& arguments, CommandContext& context) override;
};
