#pragma once
#include "platform/CommandResult.h"

#include <QStringList>

class ConsoleInteraction;
class QTextStream;

// What every subcommand gets: the workbook (--workbook, else the InventariosQel setting) and the console.
struct CommandContext
{
    QString workbook;
    ConsoleInteraction& ui;
    QTextStream& out;
    QTextStream& err;
};

// One tarvik-cli subcommand: checks its arguments, runs, and turns how it ended into the exit status.
class Command
{
public:
    enum Exit
    {
        Success = 0, // done, or nothing to do
        Failure = 1, // failed or cancelled; the messages are on standard error
        BadUsage = 2,
    };

    virtual ~Command() = default;
    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    // The arguments after the name, as the usage line shows them ("FILE", "[--out FILE]").
    virtual QString argumentsShown() const { return {}; }

    int run(const QStringList& arguments, CommandContext& context);
    // The name and its arguments: "report [--out FICHEIRO]".
    QString synopsis() const;

    // A path argument placed as the site's paths are: "c:\a\b" under the data root off Windows.
    static QString sitePath(const QString& argument);

protected:
    virtual bool accepts(const QStringList& arguments) const { return arguments.isEmpty(); }
    virtual CommandResult execute(const QStringList& arguments, CommandContext& context) = 0;
};
