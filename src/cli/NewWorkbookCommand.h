#pragma once
#include "cli/Command.h"

// Writes an empty inventory workbook with its six sheets and their headings.
class NewWorkbookCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("new-workbook"); }
    QString summary() const override { return QStringLiteral("cria um livro de inventários vazio (PATH)"); }
    int run(const QStringList& arguments, CommandContext& context) override;
};
