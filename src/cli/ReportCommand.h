#pragma once
#include "cli/Command.h"

// Writes the inventory report of the workbook, to --out FILE or to the file the FicheiroDeReport setting names.
class ReportCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("report"); }
    QString summary() const override
    {
        return QStringLiteral("escreve o relatório de inventários ([--out FICHEIRO], senão o da configuração)");
    }
    int run(const QStringList& arguments, CommandContext& context) override;
};
