#include "cli/CheckCommand.h"
#include "cli/Command.h"
#include "cli/ConsoleInteraction.h"
#include "cli/DemoWorkbookCommand.h"
#include "cli/ExportCommand.h"
#include "cli/ImportReceptionCommand.h"
#include "cli/ListsCommand.h"
#include "cli/NewWorkbookCommand.h"
#include "cli/ReportCommand.h"
#include "cli/SettingsCommand.h"
#include "cli/TerminalCommand.h"
#include "cli/TerminalSessionCommand.h"
#include "cli/VarianceCommand.h"
#include "platform/HeapGrowth.h"
#include "platform/SettingsStore.h"

#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

int main(int argc, char* argv[])
{
    HeapGrowth::reserveInLargePages();
    // Only a PDF needs fonts; its pages are painted without a display.
    const bool paints
        = std::any_of(argv + 1, argv + argc, [](const char* argument) { return qstrcmp(argument, "--pdf") == 0; });
    std::unique_ptr<QCoreApplication> app;
    if (paints) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Tarvik"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<CheckCommand>());
    commands.push_back(std::make_unique<DemoWorkbookCommand>());
    commands.push_back(std::make_unique<ExportCommand>());
    commands.push_back(std::make_unique<ImportReceptionCommand>());
    commands.push_back(std::make_unique<NewWorkbookCommand>());
    commands.push_back(std::make_unique<ReportCommand>());
    commands.push_back(std::make_unique<SettingsCommand>());
    commands.push_back(std::make_unique<ListsCommand>());
    commands.push_back(std::make_unique<TerminalCommand>());
    commands.push_back(std::make_unique<VarianceCommand>());
    for (const char* name : { "receive", "send", "import-raw" })
        commands.push_back(std::make_unique<TerminalSessionCommand>(QString::fromLatin1(name)));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    QString workbook;
    const qsizetype option = arguments.indexOf(QStringLiteral("--workbook"));
    if (option >= 0) {
        if (option + 1 >= arguments.size()) {
            err << "--workbook precisa do caminho do livro.\n";
            return Command::BadUsage;
        }
        workbook = arguments.at(option + 1);
        arguments.remove(option, 2);
    }
    if (workbook.isEmpty())
        workbook = SettingsStore().value(SettingsKeys::InventariosQel);
    const QString name = arguments.isEmpty() ? QString() : arguments.takeFirst();
    ConsoleInteraction ui(err);
    CommandContext context { workbook, ui, out, err };
    for (const auto& command : commands) {
        if (command->name() == name) {
            const int status = command->run(arguments, context);
            // Every file is written and closed by now; what is left in memory the end of the process frees at
            // once, so the tables are not taken apart record by record.
            out.flush();
            err.flush();
            std::fflush(nullptr);
            std::_Exit(status);
        }
    }
    if (name == u"--version") {
        out << "tarvik-cli " << TARVIK_VERSION << '\n';
        return Command::Success;
    }
    const bool help = name.isEmpty() || name == u"--help";
    QTextStream& shown = help ? out : err;
    shown << "Utilização: tarvik-cli [--workbook PATH] COMANDO [ARGUMENTOS]\n"
             "           tarvik-cli COMANDO --help | --help | --version\n\nComandos:\n";
    for (const auto& command : commands)
        shown << "  " << command->synopsis() << "\n      " << command->summary() << '\n';
    shown << "\nEstado de saída: 0 feito, ou nada a fazer; 1 falhou ou foi cancelado (a causa vai para a saída de "
             "erros); 2 utilização errada.\n";
    return help ? Command::Success : Command::BadUsage;
}
