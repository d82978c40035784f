#pragma once
#include "cli/Command.h"

// Writes the demo workbook: a small restaurant with its families, articles, barcodes and a few readings.
class DemoWorkbookCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("demo-workbook"); }
    QString summary() const override { return QStringLiteral("cria o livro de demonstração (PATH)"); }
    int run(const QStringList& arguments, CommandContext& context) override;
};
