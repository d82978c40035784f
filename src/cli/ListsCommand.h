#pragma once
#include "cli/Command.h"

// Writes the four lists the terminal would get, as files in --out DIR.
class ListsCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("lists"); }
    QString summary() const override { return QStringLiteral("escreve as quatro listas do terminal (--out DIR)"); }
    int run(const QStringList& arguments, CommandContext& context) override;
};
