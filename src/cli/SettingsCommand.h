#pragma once
#include "cli/Command.h"

// Prints the settings in force.
class SettingsCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("settings"); }
    QString summary() const override { return QStringLiteral("mostra as configurações em vigor"); }

protected:
    CommandResult execute(const QStringList& arguments, CommandContext& context) override;
};
