#pragma once
#include "cli/Command.h"

#include <memory>

class Site;

// A subcommand on the inventory workbook, loaded as start-up loads it; a load that fails ends the command with
// start-up's two messages.
class SiteCommand : public Command
{
public:
    SiteCommand();
    ~SiteCommand() override;

protected:
    CommandResult execute(const QStringList& arguments, CommandContext& context) final;
    virtual CommandResult executeOnSite(Site& site, const QStringList& arguments, CommandContext& context) = 0;

private:
    std::unique_ptr<Site> m_site;
};
