#pragma once
#include "cli/Command.h"

// Loads the inventory workbook as start-up does and prints the table counts.
class CheckCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("check"); }
    QString summary() const override
    {
        return QStringLiteral("lê o livro de inventários e mostra quantos registos tem");
    }
    int run(const QStringList& arguments, CommandContext& context) override;
};
