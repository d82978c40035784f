#pragma once
#include "cli/Command.h"

// Operates the simulated terminal as a person at the desk would; status changes nothing.
class TerminalCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("terminal"); }
    QString summary() const override
    {
        return QStringLiteral("terminal simulado: colocar, retirar, carregar leituras, estado");
    }
    QString argumentsShown() const override { return QStringLiteral("dock | undock | load FILE | status"); }

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult execute(const QStringList& arguments, CommandContext& context) override;
};
