#pragma once
#include <QStringList>

class QTextStream;

// One tarvik-cli subcommand. run() returns the process exit code; failures go to err in Portuguese.
class Command
{
public:
    virtual ~Command() = default;
    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    virtual int run(const QStringList& arguments, QTextStream& out, QTextStream& err) = 0;
};
