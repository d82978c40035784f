#pragma once
#include "cli/Command.h"

// Lists every setting with the value in force (its default when unset).
class SettingsCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("settings"); }
    QString summary() const override { return QStringLiteral("mostra as configurações em vigor"); }
    int run(const QStringList& arguments, CommandContext& context) override;
};
