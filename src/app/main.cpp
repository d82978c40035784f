#include "app/MainWindow.h"
#include "app/Translations.h"
#include "platform/HeapGrowth.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"
#include "workbook/WorkbookPreread.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    HeapGrowth::reserveInLargePages();
    // Answered before the window system is needed, so it works without a display too.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Tarvik %s\n", TARVIK_VERSION);
            return 0;
        }
    }
    // The site's workbook is read while the window system starts.
    WorkbookPreread::start(SitePaths::resolve(SettingsStore().value(SettingsKeys::InventariosQel)));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    QApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    Translations::install(app);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
        QStringLiteral("Grava uma imagem da janela principal em FILE e sai."), QStringLiteral("FILE"));
    parser.addOption(screenshot);
    parser.process(app);

    MainWindow window;
    window.open();
    if (parser.isSet(screenshot)) {
        // Once the window has been painted on the display.
        QTimer::singleShot(500, &window, [&] {
            const bool saved = window.grab().save(parser.value(screenshot));
            window.close();
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
