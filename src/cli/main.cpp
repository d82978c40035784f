#include "cli/Command.h"
#include "cli/SettingsCommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include <memory>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tarvik"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<SettingsCommand>());

    QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString name = arguments.isEmpty() ? QString() : arguments.takeFirst();
    for (const auto& command : commands) {
        if (command->name() == name)
            return command->run(arguments, out, err);
    }
    err << "Utilização: tarvik-cli COMANDO [ARGUMENTOS]\nComandos:\n";
    for (const auto& command : commands)
        err << "  " << command->name() << "  " << command->summary() << '\n';
    return name.isEmpty() || name == u"--help" ? 0 : 2;
}
