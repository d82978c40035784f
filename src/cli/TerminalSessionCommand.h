#pragma once
#include "cli/Command.h"

// receive, send and import-raw FILE: the terminal commands of the main window, on the loaded workbook.
class TerminalSessionCommand : public Command
{
public:
    explicit TerminalSessionCommand(QString name);
    QString name() const override { return m_name; }
    QString summary() const override;
    int run(const QStringList& arguments, CommandContext& context) override;

private:
    QString m_name;
};
