#pragma once
#include "cli/Command.h"
#include "workbook/Workbook.h"

// Prints a sheet of any .xls or .xlsx, tab-separated, each cell in the site format.
class ExportCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("export"); }
    QString summary() const override { return QStringLiteral("mostra as linhas de uma folha do livro"); }
    QString argumentsShown() const override { return QStringLiteral("SHEET"); }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult execute(const QStringList& arguments, CommandContext& context) override;

private:
    // Held by the command, which lasts to the end of the process, so it is not taken apart cell by cell.
    Workbook m_book;
};
