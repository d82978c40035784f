#pragma once
#include "cli/Command.h"

// Writes an empty inventory workbook with its six sheets.
class NewWorkbookCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("new-workbook"); }
    QString summary() const override
    {
        return QStringLiteral("cria um livro de inventários vazio (.xlsx ou .xls, pelo nome)");
    }
    QString argumentsShown() const override { return QStringLiteral("PATH"); }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult execute(const QStringList& arguments, CommandContext& context) override;
};
