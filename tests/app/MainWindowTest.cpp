#include "app/MainWindow.h"

#include "app/QtUserInteraction.h"
#include "app/Translations.h"
#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"
#include "report/ReportPages.h"
#include "site/Site.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "support/WhenModal.h"
#include "terminal/SimulatedTerminal.h"
#include "terminal/TerminalSession.h"
#include "values/Conversions.h"
#include "viewer/ReportViewer.h"
#include "workbook/DataControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// The window's own status texts, and dialogs answered from a script.
class ScriptedDialogs : public QtUserInteraction
{
public:
    void showMessage(const QString& text) override
    {
        QWidget* main = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            main = w->objectName() == u"Form1" ? w : main;
        mainWindowShown.append(main && main->isVisible());
        script.showMessage(text);
    }
    bool askYesNo(const QString& text, const QString& title) override { return script.askYesNo(text, title); }
    std::optional<QString> askText(const QString& prompt, const QString& title, const QString& defaultAnswer) override
    {
        if (whileAsking)
            whileAsking();
        return script.askText(prompt, title, defaultAnswer);
    }
    QString chooseFile() override { return script.chooseFile(); }

    ScriptedInteraction script;
    QList<bool> mainWindowShown; // for each message, whether the main window was on screen
    // Runs while the input box is up, as a person would act meanwhile.
    std::function<void()> whileAsking;
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menuCaptionsLeadToTheirCommandsAndSairClosesEveryWindow();
    void aMissingWorkbookIsToldBeforeTheWindowAndStartsNothing();
    void startUpOpensThePortAndCollectsFromTheCradleOutsideCommands();
    void settingsWindowShowsTheDefaultsAndStoresWhatItReadsBack();
    void aFailedSettingsWriteKeepsTheOldValuesInForce();
    void reportIsWrittenAtTheSettingsWindowsWidthAndShown();
    void limparFicheiroBacksUpBlanksTheReadingsAndOffersTheBackupToCompare();
    void limparFicheiroKeepsTheReadingsWhenTheBackupFails();
    void staleArticlesGoOnlyAfterAWholeNumberOfDaysConfirmed();
    void simulatorWindowDocksLoadsAndFollowsTheTerminal();
    void realDialogsAreInPortugueseWithTheTitleAndNoIcon();
    void screenshotUnderXvfbIsNotBlank();

private:
    void makeDemoWorkbook();
    void makeWindow(bool show = true);
    void startDemo();
    void holdEntriesAndCollectAtOnce(SimulatedTerminal& terminal);
    void trigger(const QString& action);
    QString workbookPath() const { return SitePaths::resolve(QStringLiteral("c:\\InventariosQel.xls")); }
    QString iniText() const { return QString::fromUtf8(fileBytes(m_profile->path(QStringLiteral("Tarvik.ini")))); }
    static QByteArray fileBytes(const QString& path);
    QLabel* label(const QString& name) const { return m_window->findChild<QLabel*>(name); }
    QWidget* form3() const { return m_window->findChild<QWidget*>(QStringLiteral("Form3")); }

    std::unique_ptr<TestProfile> m_profile;
    std::unique_ptr<MainWindow> m_window;
    ScriptedDialogs* m_dialogs = nullptr;
};

void MainWindowTest::init()
{
    m_profile = std::make_unique<TestProfile>("2026-12-06T10:30:00");
}

void MainWindowTest::cleanup()
{
    m_window.reset();
    m_profile.reset();
}

void MainWindowTest::makeDemoWorkbook()
{
    QDir().mkpath(QFileInfo(workbookPath()).absolutePath());
    QProcess cli;
    cli.start(QStringLiteral(TARVIK_CLI), { QStringLiteral("demo-workbook"), workbookPath() });
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);
}

void MainWindowTest::makeWindow(bool show)
{
    auto dialogs = std::make_unique<ScriptedDialogs>();
    m_dialogs = dialogs.get();
    m_window = std::make_unique<MainWindow>(std::move(dialogs));
    if (show)
        m_window->show();
}

void MainWindowTest::startDemo()
{
    makeDemoWorkbook();
    makeWindow();
    m_window->startUp();
}

// The demo entries wait in the terminal, out of the cradle, and AutoDescarrega is on.
void MainWindowTest::holdEntriesAndCollectAtOnce(SimulatedTerminal& terminal)
{
    QSettings(m_profile->path(QStringLiteral("Tarvik.ini")), QSettings::IniFormat)
        .setValue(QStringLiteral("Startup/AutoDescarrega"), QStringLiteral(" 1"));
    QString error;
    QVERIFY(terminal.loadEntries(fileBytes(QStringLiteral(TARVIK_DEMO_ENTRIES)), &error));
}

void MainWindowTest::trigger(const QString& action)
{
    QAction* found = m_window->findChild<QAction*>(action);
    QVERIFY2(found, qPrintable(action));
    found->trigger();
}

QByteArray MainWindowTest::fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The glance's total row: readings, doubtful ones, value.
static QStringList glanceTotal(QWidget* window)
{
    auto* table = window->findChild<QTableWidget*>(QStringLiteral("glanceTable"));
    QStringList cells;
    for (int c = 0; table && c < table->columnCount(); ++c)
        cells << table->item(table->rowCount() - 1, c)->text();
    return cells;
}

// A person finds each command by its captions, and the entry runs that command. "Sair" closes the other windows
// and the port.
void MainWindowTest::menuCaptionsLeadToTheirCommandsAndSairClosesEveryWindow()
{
    startDemo();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Inventarios Tarvik" TARVIK_VERSION));
    const auto entry = [this](const QStringList& captions) -> QAction* {
        QList<QAction*> actions = m_window->menuBar()->actions();
        QAction* found = nullptr;
        for (const QString& caption : captions) {
            found = nullptr;
            for (QAction* a : actions)
                found = a->text() == caption ? a : found;
            if (!found)
                return nullptr;
            actions = found->menu() ? found->menu()->actions() : QList<QAction*>();
        }
        return found;
    };
    const QString file = QStringLiteral("Ficheiros");
    const QString advanced = QStringLiteral("Avançadas");
    for (const QStringList& path : { QStringList { file, QStringLiteral("Criar relatório de inventários") },
             { file, QStringLiteral("Limpar ficheiro de inventarios") },
             { file, advanced, QStringLiteral("Importar dados do ficheiro de recepcoes") },
             { file, advanced, QStringLiteral("Apagar todos os artigos não movimentados") },
             { QStringLiteral("Terminal"), QStringLiteral("Enviar dados para o terminal") },
             { QStringLiteral("Terminal"), QStringLiteral("Terminal simulado...") } })
        QVERIFY2(entry(path) && entry(path)->isEnabled(), qPrintable(path.join(u'>')));
    // One window each, however often the entry is chosen.
    for (int twice = 0; twice < 2; ++twice) {
        entry({ file, QStringLiteral("Editar inventário") })->trigger();
        entry({ file, QStringLiteral("Editar Artigos") })->trigger();
    }
    for (const QString& editor : { QStringLiteral("Form5"), QStringLiteral("Form2") }) {
        QCOMPARE(m_window->findChildren<QWidget*>(editor).size(), 1);
        QVERIFY(m_window->findChild<QWidget*>(editor)->isVisible());
    }

    entry({ QStringLiteral("Configurações"), QStringLiteral("Gerais") })->trigger();
    QPointer<QWidget> settings = form3();
    QVERIFY(settings && settings->isVisible());
    entry({ QStringLiteral("Terminal"), QStringLiteral("Terminal simulado...") })->trigger();
    QPointer<QWidget> simulator = m_window->findChild<QWidget*>(QStringLiteral("simulatorWindow"));
    QVERIFY(simulator && simulator->isVisible());
    entry({ QStringLiteral("Terminal"), QStringLiteral("Receber dados do terminal") })->trigger();
    QCOMPARE(m_dialogs->script.messages, QStringList { QStringLiteral("Por favor coloque terminal no suporte!") });
    entry({ file, advanced, QStringLiteral("Importar dados do ficheiro RAW") })->trigger();
    QCOMPARE(m_dialogs->script.questions, QStringList { QStringLiteral("Tem a certeza") });
    entry({ file, QStringLiteral("Sair") })->trigger();
    QVERIFY(!m_window->isVisible());
    QTest::qWait(1);
    QVERIFY(!settings);
    QVERIFY(!simulator);
    QVERIFY(!m_window->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
}

// Start-up's two messages come before the window; without a workbook there is no port and no timer.
void MainWindowTest::aMissingWorkbookIsToldBeforeTheWindowAndStartsNothing()
{
    makeWindow(false);
    m_window->open();
    const QStringList& messages = m_dialogs->script.messages;
    QCOMPARE(messages.size(), 2);
    QCOMPARE(m_dialogs->mainWindowShown, (QList<bool> { false, false }));
    QVERIFY(m_window->isVisible());
    QCOMPARE(messages[0], QStringLiteral("Erro a ler o ficheiro c:\\InventariosQel.xls"));
    QVERIFY2(messages[1].startsWith(QStringLiteral("Erro em 'Contabilistica' ")), qPrintable(messages[1]));
    QVERIFY(messages[1].size() > QStringLiteral("Erro em 'Contabilistica' ").size());
    QVERIFY(!m_window->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    QVERIFY(SimulatedTerminal(SimulatedTerminal::defaultFolder()).openedPort().isEmpty());
    // The menus still work.
    trigger(QStringLiteral("ConfiguraçõesGerais"));
    QVERIFY(form3()->isVisible());
}

// The port the settings name and Timer1; the cradle shows in Panel2, and with AutoDescarrega on, the entries are
// collected as soon as the terminal is in it, and the glance follows. While a command waits for an answer the
// cradle is still read on every tick, and what falls due then is collected after the command.
void MainWindowTest::startUpOpensThePortAndCollectsFromTheCradleOutsideCommands()
{
    SimulatedTerminal terminal(SimulatedTerminal::defaultFolder());
    holdEntriesAndCollectAtOnce(terminal);
    const QByteArray entries = terminal.entries();
    QSettings(m_profile->path(QStringLiteral("Tarvik.ini")), QSettings::IniFormat)
        .setValue(QStringLiteral("Startup/CommPort"), QStringLiteral("3"));
    startDemo();
    QCOMPARE(m_dialogs->script.messages, QStringList());
    QCOMPARE(m_window->site().tables().NArtigos(), 30);
    QCOMPARE(m_window->site().tables().NLeituras(), 12);
    QCOMPARE(m_window->site().session()->port(), 3);
    QCOMPARE(terminal.openedPort(), QStringLiteral("3"));
    auto* timer = m_window->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 100);
    QCOMPARE(glanceTotal(m_window.get()).mid(0, 2), QStringList({ QStringLiteral("Total"), QStringLiteral("12") }));
    QLabel* terminalLabel = label(QStringLiteral("terminalLabel"));
    QVERIFY(terminalLabel->text().contains(QStringLiteral("nenhuma recolha")));

    QLabel* panel2 = label(QStringLiteral("Panel2"));
    QTRY_COMPARE_WITH_TIMEOUT(panel2->text(), QStringLiteral("Port Open ( 3) OFF"), 2000);
    QString error;
    QVERIFY(terminal.setDocked(true, &error));
    QTRY_COMPARE_WITH_TIMEOUT(panel2->text(), QStringLiteral("Port Open ( 3) ON"), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(terminal.entries().isEmpty(), 2000);
    QVERIFY(m_window->site().tables().NLeituras() > 12);
    QCOMPARE(m_dialogs->script.messages, QStringList());
    QVERIFY(QFile::exists(TerminalSession::rawFilePath()));
    QCOMPARE(glanceTotal(m_window.get())[1], QString::number(m_window->site().tables().NLeituras()));
    QVERIFY(terminalLabel->text().contains(QStringLiteral("última recolha em 06/12/2026 10:30")));

    QStringList panelDuringQuestion;
    QByteArray heldDuringQuestion;
    m_dialogs->whileAsking = [&] {
        terminal.setDocked(false, &error);
        QTest::qWait(400);
        panelDuringQuestion.append(panel2->text());
        terminal.loadEntries(entries, &error);
        terminal.setDocked(true, &error);
        QTest::qWait(400);
        panelDuringQuestion.append(panel2->text());
        heldDuringQuestion = terminal.entries();
    };
    trigger(QStringLiteral("ApagarArtigosNaoInventariados"));
    QCOMPARE(panelDuringQuestion,
        (QStringList { QStringLiteral("Port Open ( 3) OFF"), QStringLiteral("Port Open ( 3) ON") }));
    QCOMPARE(heldDuringQuestion, entries);
    QTRY_VERIFY_WITH_TIMEOUT(terminal.entries().isEmpty(), 2000);
    QCOMPARE(m_dialogs->script.messages, QStringList());
}

// Opened on an empty store the window shows the defaults. "Gravar" refuses a margin that is not a number; what it
// writes it reads back and saves again untouched (a margin of 10,5 is stored " 10.5").
void MainWindowTest::settingsWindowShowsTheDefaultsAndStoresWhatItReadsBack()
{
    makeWindow();
    trigger(QStringLiteral("ConfiguraçõesGerais"));
    QWidget* form = form3();
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->windowTitle(), QStringLiteral("Tarvik"));
    QVERIFY(!form->isModal());
    const auto field = [&form](const char* name) { return form->findChild<QLineEdit*>(QString::fromLatin1(name)); };
    const auto box = [&form](const char* name) { return form->findChild<QCheckBox*>(QString::fromLatin1(name)); };
    const auto gravar
        = [&form] { QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton); };
    QCOMPARE(field("Text1")->text(), QStringLiteral("1"));
    QCOMPARE(field("Text6")->text(), QStringLiteral("ESTABELECIMENTO"));
    QCOMPARE(field("Text7")->text(), QStringLiteral("c:\\InventariosQel.xls"));
    QCOMPARE(field("Text8")->text(), QStringLiteral("c:\\report.txt"));
    QCOMPARE(field("Text10")->text(), QStringLiteral("80"));
    QCOMPARE(field("Text11")->text(), QStringLiteral("100"));
    QCOMPARE(field("Text2")->text(), QStringLiteral("10"));
    QVERIFY(!box("Check1")->isChecked());
    QVERIFY(!box("Check2")->isChecked());
    QCOMPARE(form->findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("Gravar"));
    // Opening the window reads the port again from its field.
    QCOMPARE(m_window->site().session()->port(), 1);
    QVERIFY(iniText().isEmpty());

    field("Text6")->setText(QStringLiteral("Cantina"));
    field("Text2")->setText(QStringLiteral("dez"));
    gravar();
    QCOMPARE(m_dialogs->script.messages.size(), 1);
    QVERIFY(m_dialogs->script.messages[0].contains(QStringLiteral("dez")));
    QVERIFY(form->isVisible());
    QVERIFY(!iniText().contains(QStringLiteral("Cantina")));

    field("Text2")->setText(QStringLiteral("10,5"));
    QTest::mouseClick(box("Check1"), Qt::LeftButton);
    field("Text1")->clear();
    QTest::keyClicks(field("Text1"), QStringLiteral("4"));
    gravar();
    QTRY_VERIFY(!form3());
    const QString first = iniText();
    QVERIFY2(first.contains(QStringLiteral("Margem=\" 10.5\"")), qPrintable(first));
    QSettings stored(m_profile->path(QStringLiteral("Tarvik.ini")), QSettings::IniFormat);
    stored.beginGroup(QStringLiteral("Startup"));
    QCOMPARE(stored.value(QStringLiteral("AutoDescarrega")).toString(), QStringLiteral(" 1"));
    QCOMPARE(stored.value(QStringLiteral("AutoAbrevia")).toString(), QStringLiteral(" 0"));
    QCOMPARE(stored.value(QStringLiteral("COM")).toString(), QStringLiteral("4"));
    QCOMPARE(stored.value(QStringLiteral("FicheiroDeReport")).toString(), QStringLiteral("c:\\report.txt"));
    QVERIFY(!stored.contains(QStringLiteral("CommPort")));

    trigger(QStringLiteral("ConfiguraçõesGerais"));
    form = form3();
    QVERIFY(box("Check1")->isChecked());
    QCOMPARE(m_window->site().session()->port(), 4);
    gravar();
    QTRY_VERIFY(!form3());
    QCOMPARE(m_dialogs->script.messages.size(), 1);
    QCOMPARE(iniText(), first);
}

void MainWindowTest::aFailedSettingsWriteKeepsTheOldValuesInForce()
{
    makeWindow();
    trigger(QStringLiteral("ConfiguraçõesGerais"));
    QWidget* form = form3();
    // A folder where the settings file should be: the store cannot be written, even by root.
    QVERIFY(QDir().mkpath(m_profile->path(QStringLiteral("Tarvik.ini"))));
    form->findChild<QLineEdit*>(QStringLiteral("Text6"))->setText(QStringLiteral("Cantina"));
    QTest::mouseClick(form->findChild<QCheckBox*>(QStringLiteral("Check1")), Qt::LeftButton);
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(m_dialogs->script.messages.size(), 1);
    QVERIFY2(m_dialogs->script.messages[0].contains(QStringLiteral("ficam como estavam")),
        qPrintable(m_dialogs->script.messages[0]));
    QVERIFY(form->isVisible());
    SettingsStore& settings = m_window->site().settings();
    QCOMPARE(settings.value(SettingsKeys::NomeEstabelecimento), QStringLiteral("ESTABELECIMENTO"));
    QCOMPARE(settings.value(SettingsKeys::AutoDescarrega), QStringLiteral("0"));
}

// Unsaved or not shown, the width comes from the settings window; loading it there also reads the port. Run again,
// the command closes the open viewer and opens a new one on the new file.
void MainWindowTest::reportIsWrittenAtTheSettingsWindowsWidthAndShown()
{
    QSettings ini(m_profile->path(QStringLiteral("Tarvik.ini")), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Startup/NumerodeCaracteres"), QStringLiteral("109"));
    ini.setValue(QStringLiteral("Startup/COM"), QStringLiteral("5"));
    ini.sync();
    startDemo();
    QCOMPARE(m_window->site().session()->port(), 1);
    trigger(QStringLiteral("CriarFicheiro"));
    const QString report = SitePaths::resolve(QStringLiteral("c:\\Report.txt"));
    QCOMPARE(fileBytes(report).indexOf("\r\n"), 1 + 101);
    QCOMPARE(m_window->site().session()->port(), 5);
    QVERIFY(form3() && !form3()->isVisible());
    QPointer<QWidget> viewer = m_window->findChild<QWidget*>(QStringLiteral("Form4"));
    QVERIFY(viewer && viewer->isVisible());
    auto* text1 = viewer->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    QVERIFY(!text1->isReadOnly());
    QVERIFY(text1->toPlainText().contains(QStringLiteral("Centro Custo 10")));

    text1->setPlainText(QStringLiteral("editado"));
    form3()->findChild<QLineEdit*>(QStringLiteral("Text11"))->setText(QStringLiteral("110"));
    trigger(QStringLiteral("CriarFicheiro"));
    QCOMPARE(fileBytes(report).indexOf("\r\n"), 1 + 100);
    QTest::qWait(1);
    QVERIFY(!viewer);
    const auto viewers = m_window->findChildren<ReportViewer*>(QStringLiteral("Form4"));
    QCOMPARE(viewers.size(), 1);
    QVERIFY(viewers.first()
                ->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))
                ->toPlainText()
                .contains(QStringLiteral("Centro Custo 10")));

    // Printing writes the viewer's own file again, even after the setting names another one.
    QFile::remove(report);
    QString error;
    QVERIFY(m_window->site().settings().save(
        { { SettingsKeys::FicheiroDeReport, QStringLiteral("c:\\Outro.txt") } }, &error));
    QStringList errors;
    QVERIFY(viewers.first()->freshPages(&errors));
    QVERIFY(QFile::exists(report));
    QVERIFY(!QFile::exists(SitePaths::resolve(QStringLiteral("c:\\Outro.txt"))));
}

// The backup the clear wrote is offered under "Análise", after "Terminal", and compared in a viewer of its own.
void MainWindowTest::limparFicheiroBacksUpBlanksTheReadingsAndOffersTheBackupToCompare()
{
    startDemo();
    QCOMPARE(m_window->site().tables().NLeituras(), 12);
    const QByteArray before = fileBytes(workbookPath());
    trigger(QStringLiteral("LimparFicheiro"));
    QCOMPARE(m_dialogs->script.messages, QStringList());
    QCOMPARE(m_window->site().tables().NLeituras(), 0);
    QCOMPARE(fileBytes(SitePaths::resolve(QStringLiteral("c:\\InventariosQel 6_ 12_ 2026_ 10 30_Bak.xls"))), before);
    QCOMPARE(glanceTotal(m_window.get()),
        QStringList({ QStringLiteral("Total"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0,00") }));

    // Twelve blank rows stay, and a reload finds no readings.
    DataControl data1;
    data1.setDatabaseName(QStringLiteral("c:\\InventariosQel.xls"));
    data1.setRecordSource(QStringLiteral("Inventario$"));
    QString error;
    QVERIFY(data1.Refresh(&error));
    data1.MoveLast();
    QCOMPARE(data1.RecordCount(), 12);
    CellValue code;
    QVERIFY(data1.field(QStringLiteral("CodArtigo"), &code, &error));
    QVERIFY(code.isNull());
    ScriptedInteraction quiet;
    Site reloaded(quiet);
    QVERIFY(!reloaded.load().failed());
    QCOMPARE(reloaded.tables().NLeituras(), 0);

    const QList<QAction*> menus = m_window->menuBar()->actions();
    QCOMPARE(menus.last()->text(), QStringLiteral("Análise"));
    QCOMPARE(menus.at(menus.size() - 2)->text(), QStringLiteral("Terminal"));
    QStringList offered;
    whenModal([&offered](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        offered = dialog->comboBoxItems();
        dialog->accept();
    });
    trigger(QStringLiteral("CompararContagem"));
    QCOMPARE(offered.size(), 1);
    QVERIFY(offered[0].startsWith(QStringLiteral("Variação desde a contagem de domingo, 6 de dezembro de 2026")));
    auto* viewer = m_window->findChild<QWidget*>(QStringLiteral("VarianceViewer"));
    QVERIFY(viewer && viewer->isVisible());
    const QString text = viewer->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText();
    QVERIFY2(text.startsWith(offered[0] + u'\n') && text.contains(QStringLiteral("Total geral")), qPrintable(text));
    QCOMPARE(m_dialogs->script.messages, QStringList());
}

void MainWindowTest::limparFicheiroKeepsTheReadingsWhenTheBackupFails()
{
    startDemo();
    // A folder where the backup should go: no copy can be made there, whoever runs the test.
    const QString backup = SitePaths::resolve(QStringLiteral("c:\\InventariosQel 6_ 12_ 2026_ 10 30_Bak.xls"));
    QVERIFY(QDir().mkpath(backup));
    const QByteArray before = fileBytes(workbookPath());
    trigger(QStringLiteral("LimparFicheiro"));
    QCOMPARE(m_dialogs->script.messages.size(), 1);
    QVERIFY2(m_dialogs->script.messages[0].contains(backup), qPrintable(m_dialogs->script.messages[0]));
    QVERIFY(m_dialogs->script.messages[0].contains(QStringLiteral("não foram apagadas")));
    QCOMPARE(m_window->site().tables().NLeituras(), 12);
    QCOMPARE(fileBytes(workbookPath()), before);
}

// Cancelled, empty, not a number, not whole or answered No, nothing is deleted or written; confirmed, the articles
// last imported more than that many days ago go, to the minute, and those never imported.
void MainWindowTest::staleArticlesGoOnlyAfterAWholeNumberOfDaysConfirmed()
{
    startDemo();
    InventoryTables& tables = m_window->site().tables();
    const QDateTime now(QDate(2026, 12, 6), QTime(10, 30));
    tables.editArtigo(1).DataUltimaImportacao = Conversions::dayNumberFromDateTime(now) - 90.5;
    tables.editArtigo(2).DataUltimaImportacao = Conversions::dayNumberFromDateTime(now.addDays(-90));
    tables.editArtigo(3).DataUltimaImportacao = Conversions::dayNumberFromDateTime(now) - 91;
    tables.editArtigo(4).DataUltimaImportacao = 0; // never imported
    const QString kept = tables.artigo(2).CodArtigo;
    const QString fifth = tables.artigo(5).CodArtigo;
    const QDateTime written = QFileInfo(workbookPath()).lastModified();
    ScriptedInteraction& script = m_dialogs->script;
    script.typedAnswers = { QStringLiteral("90"), std::nullopt, QString(), QStringLiteral("noventa"),
        QStringLiteral("9.5"), QStringLiteral("90") };
    script.answers = { false, true };
    for (int i = 0; i < 5; ++i)
        trigger(QStringLiteral("ApagarArtigosNaoInventariados"));
    QCOMPARE(script.prompts.size(), 5);
    // Only the whole number reached the question.
    QCOMPARE(script.questions.size(), 1);
    QCOMPARE(tables.NArtigos(), 30);
    QCOMPARE(QFileInfo(workbookPath()).lastModified(), written);

    trigger(QStringLiteral("ApagarArtigosNaoInventariados"));
    QCOMPARE(script.prompts.last(),
        QStringLiteral("Apagar artigos: Apagar artigos não movimentados á mais de x dias? [90]"));
    QCOMPARE(script.questionTitles, QStringList(2, QStringLiteral("Apagar artigos")));
    QCOMPARE(script.questions.last(),
        QStringLiteral("Se prosseguir vai apagar todos os artigos com mais de x dias. Deseja prosseguir?"));
    QCOMPARE(script.messages, QStringList());
    QCOMPARE(tables.NArtigos(), 27);
    QCOMPARE(tables.artigo(1).CodArtigo, kept);
    QCOMPARE(tables.artigo(2).CodArtigo, fifth);
    QVERIFY(tables.artigo(28).CodArtigo.isEmpty());
    ScriptedInteraction quiet;
    Site reloaded(quiet);
    QVERIFY(!reloaded.load().failed());
    QCOMPARE(reloaded.tables().NArtigos(), 27);
    QCOMPARE(reloaded.tables().artigo(1).CodArtigo, kept);
}

// Its buttons dock, load and undock; what changes the terminal from elsewhere, as a collection or tarvik-cli does,
// shows too.
void MainWindowTest::simulatorWindowDocksLoadsAndFollowsTheTerminal()
{
    makeWindow();
    trigger(QStringLiteral("Simulador"));
    auto* simulator = m_window->findChild<QWidget*>(QStringLiteral("simulatorWindow"));
    QVERIFY(simulator);
    auto* state = simulator->findChild<QLabel*>(QStringLiteral("stateLabel"));
    QVERIFY(state->text().contains(QStringLiteral(" 0 leituras")));
    const auto click = [simulator](const char* button) {
        QTest::mouseClick(simulator->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    };
    SimulatedTerminal terminal(SimulatedTerminal::defaultFolder());
    click("dockButton");
    QVERIFY(terminal.isDocked());
    m_dialogs->script.chosenFiles = { QStringLiteral(TARVIK_DEMO_ENTRIES) };
    click("loadButton");
    const QByteArray entries = terminal.entries();
    QCOMPARE(entries.size() % 55, 0);
    QVERIFY(!entries.isEmpty());
    QVERIFY2(state->text().contains(QString::number(entries.size() / 55)), qPrintable(state->text()));
    click("undockButton");
    QVERIFY(!terminal.isDocked());
    m_dialogs->script.chosenFiles = { m_profile->path(QStringLiteral("absent.txt")) };
    click("loadButton");
    QCOMPARE(m_dialogs->script.messages.size(), 1);
    QCOMPARE(terminal.entries(), entries);

    QString error;
    QVERIFY(terminal.setDocked(true, &error));
    const QString held = QStringLiteral("No suporte · %1 leituras no terminal").arg(entries.size() / 55);
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), held, 3000);
    QByteArray buffer(8, ' ');
    terminal.I_ClearAllEntries(buffer);
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("No suporte · 0 leituras no terminal"), 3000);
}

// Qt's own texts in Portuguese; the program's boxes titled "Tarvik", without an icon.
void MainWindowTest::realDialogsAreInPortugueseWithTheTitleAndNoIcon()
{
    Translations::install(*QCoreApplication::instance());
    QMessageBox standard(QMessageBox::NoIcon, QStringLiteral("Tarvik"), QStringLiteral("?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(standard.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Sim"));
    QCOMPARE(standard.button(QMessageBox::No)->text().remove(u'&'), QStringLiteral("Não"));
    QCOMPARE(standard.button(QMessageBox::Cancel)->text().remove(u'&'), QStringLiteral("Cancelar"));
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList entries;
    for (const QAction* action : menu->actions())
        entries.append(action->text().remove(u'&'));
    QVERIFY2(entries.join(u'|').contains(QStringLiteral("Copiar")), qPrintable(entries.join(u'|')));

    QtUserInteraction ui;
    QString title;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    ui.showMessage(QStringLiteral("Olá"));
    QCOMPARE(title, QStringLiteral("Tarvik"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QVERIFY(buttons == QMessageBox::StandardButtons(QMessageBox::Ok));

    whenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click(); });
    QVERIFY(!ui.askYesNo(QStringLiteral("Tem a certeza"), QStringLiteral("Tarvik")));
    whenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click(); });
    QVERIFY(ui.askYesNo(QStringLiteral("Tem a certeza"), QStringLiteral("Tarvik")));

    QString shown;
    whenModal([&](QWidget* modal) {
        auto* input = qobject_cast<QInputDialog*>(modal);
        shown = input->textValue();
        input->setTextValue(QStringLiteral("30"));
        input->accept();
    });
    const std::optional<QString> typed
        = ui.askText(QStringLiteral("Dias?"), QStringLiteral("Apagar artigos"), QStringLiteral("90"));
    QVERIFY(typed);
    QCOMPARE(*typed, QStringLiteral("30"));
    QCOMPARE(shown, QStringLiteral("90"));
    whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QVERIFY(!ui.askText(QStringLiteral("Dias?"), QStringLiteral("Apagar artigos"), QStringLiteral("90")));
}

void MainWindowTest::screenshotUnderXvfbIsNotBlank()
{
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    // The test run installs it; without it this check would prove nothing.
    QVERIFY2(!xvfbRun.isEmpty(), "xvfb-run is missing: tools/install-deps installs it");
    makeDemoWorkbook();
    const QString image = m_profile->path(QStringLiteral("main-window.png"));
    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=" TARVIK_LSAN_SUPPRESSIONS));
    app.setProcessEnvironment(env);
    app.start(xvfbRun,
        { QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
            QStringLiteral(TARVIK_APP), QStringLiteral("--screenshot"), image });
    QVERIFY(app.waitForFinished(60000));
    QVERIFY2(app.exitCode() == 0, app.readAllStandardError().constData());
    const QImage shot(image);
    QVERIFY(!shot.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 4) {
        for (int x = 0; x < shot.width(); x += 4)
            colours.insert(shot.pixel(x, y));
    }
    // Menu text, status bar and background: far more than a blank or one-colour window.
    QVERIFY2(colours.size() > 3, qPrintable(QString::number(colours.size())));
    const QString keep = qEnvironmentVariable("TARVIK_SCREENSHOT_OUT");
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QVERIFY(QFile::copy(image, keep));
    }
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
