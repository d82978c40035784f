#pragma once
#include "cli/Command.h"

// Imports a reception workbook into the article table, as the menu command does with the file it was given.
class ImportReceptionCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("import-reception"); }
    QString summary() const override
    {
        return QStringLiteral("importa os artigos de um ficheiro de recepções (FICHEIRO) e grava-os no livro");
    }
    int run(const QStringList& arguments, CommandContext& context) override;
};
