#pragma once
#include "cli/SiteCommand.h"

// receive, send and import-raw FILE: the terminal commands of the main window, each doing only what its name says.
class TerminalSessionCommand : public SiteCommand
{
public:
    explicit TerminalSessionCommand(QString name);
    QString name() const override { return m_name; }
    QString summary() const override;
    QString argumentsShown() const override;

protected:
    bool accepts(const QStringList& arguments) const override;
    CommandResult executeOnSite(Site& site, const QStringList& arguments, CommandContext& context) override;

private:
    QString m_name;
};
