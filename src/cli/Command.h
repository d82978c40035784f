#pragma once
#include <QStringList>

class ConsoleInteraction;
class QTextStream;

// What every subcommand gets: the workbook (--workbook, else the InventariosQel setting) and the console.
class ConsoleInteraction;

struct CommandContext
{
    QString workbook;
    ConsoleInteraction& ui;
    QTextStream& out;
    QTextStream& err;
};

// One tarvik-cli subcommand. run() returns the process exit code; failures go to err in Portuguese.
class Command
{
public:
    virtual ~Command() = default;
    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    virtual int run(const QStringList& arguments, CommandContext& context) = 0;
};
