#pragma once
#include "cli/Command.h"

// Writes the demo site: a workbook with families, articles, barcodes and a few readings.
class DemoWorkbookCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("demo-workbook"); }
    QString summary() const override
    {
        return QStringLiteral("cria o livro de demonstração (.xlsx ou .xls, pelo nome)");
    }
    QString argumentsShown() const override { return QStringLiteral("PATH"); }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult execute(const QStringList& arguments, CommandContext& context) override;
};
