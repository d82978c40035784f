#pragma once
#include "cli/Command.h"

// Operates the simulated terminal of the profile: dock, undock, load FILE, status.
class TerminalCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("terminal"); }
    QString summary() const override { return QStringLiteral("terminal simulado: dock, undock, load FILE, status"); }
    int run(const QStringList& arguments, CommandContext& context) override;
};
