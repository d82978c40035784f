#include "app/MainWindow.h"

#include "app/QtUserInteraction.h"
#include "app/Translations.h"
#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"
#include "report/ReportPages.h"
#include "site/Site.h"
#include "support/QtTestMain.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "support/WhenModal.h"
#include "terminal/SimulatedTerminal.h"
#include "terminal/TerminalSession.h"
#include "viewer/ReportViewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHash>
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

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

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

QPlainTextEdit* text1(QWidget* viewer)
{
    return viewer->findChild<QPlainTextEdit*>(u"Text1"_s);
}

// The glance's total row: readings, doubtful ones, value.
QStringList glanceTotal(QWidget* window)
{
    auto* table = window->findChild<QTableWidget*>(u"glanceTable"_s);
    QStringList cells;
    for (int c = 0; table && c < table->columnCount(); ++c)
        cells << table->item(table->rowCount() - 1, c)->text();
    return cells;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_profile = std::make_unique<TestProfile>("2026-12-06T10:30:00"); }
    void cleanup();

    void menuCaptionsLeadToTheirCommandsAndSairClosesEveryWindow();
    void withoutAWorkbookNothingStartsButTheSimulatorAndSettingsWindowsWork();
    void startUpOpensThePortAndCollectsFromTheCradleOutsideCommands();
    void reportAndVarianceAreShownAndTheClearedCountIsOfferedForComparison();
    void realDialogsAreInPortugueseWithTheTitleAndNoIcon();
    void screenshotUnderXvfbIsNotBlank();

private:
    void makeDemoWorkbook();
    void makeWindow(bool show = true);
    void startDemo();
    void trigger(const QString& action);
    QString workbookPath() const { return SitePaths::resolve(u"c:\\InventariosQel.xls"_s); }
    QString iniPath() const { return m_profile->path(u"Tarvik.ini"_s); }
    QString iniText() const { return QString::fromUtf8(fileBytes(iniPath())); }
    QLabel* label(const QString& name) const { return m_window->findChild<QLabel*>(name); }
    QWidget* form3() const { return m_window->findChild<QWidget*>(u"Form3"_s); }
    QTimer* timer1() const { return m_window->findChild<QTimer*>(u"Timer1"_s); }
    Site& site() const { return m_window->site(); }
    const QStringList& messages() const { return m_dialogs->script.messages; }

    std::unique_ptr<TestProfile> m_profile;
    std::unique_ptr<MainWindow> m_window;
    ScriptedDialogs* m_dialogs = nullptr;
};

void MainWindowTest::cleanup()
{
    m_window.reset();
    m_profile.reset();
}

void MainWindowTest::makeDemoWorkbook()
{
    QDir().mkpath(QFileInfo(workbookPath()).absolutePath());
    QProcess cli;
    cli.start(QStringLiteral(TARVIK_CLI), { u"demo-workbook"_s, workbookPath() });
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

void MainWindowTest::trigger(const QString& action)
{
    QAction* found = m_window->findChild<QAction*>(action);
    QVERIFY2(found, qPrintable(action));
    found->trigger();
}

// A person finds each command by its captions, and the entry runs that command. "Sair" closes the other windows
// and the port.
void MainWindowTest::menuCaptionsLeadToTheirCommandsAndSairClosesEveryWindow()
{
    startDemo();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Inventarios Tarvik" TARVIK_VERSION));
    QHash<QString, QAction*> entries; // by the captions leading to them, joined by '>'
    const std::function<void(QAction*, const QString&)> walk = [&](QAction* entry, const QString& above) {
        entries.insert(above + entry->text(), entry);
        for (QAction* below : entry->menu() ? entry->menu()->actions() : QList<QAction*>())
            walk(below, above + entry->text() + u'>');
    };
    for (QAction* menu : m_window->menuBar()->actions())
        walk(menu, QString());
    const auto run = [&entries](const QString& path) {
        QVERIFY2(entries.value(path) && entries.value(path)->isEnabled(), qPrintable(path));
        entries.value(path)->trigger();
    };
    for (const QString& path :
        { u"Ficheiros>Criar relatório de inventários"_s, u"Ficheiros>Limpar ficheiro de inventarios"_s,
            u"Ficheiros>Avançadas>Importar dados do ficheiro de recepcoes"_s,
            u"Ficheiros>Avançadas>Apagar todos os artigos não movimentados"_s,
            u"Terminal>Enviar dados para o terminal"_s })
        QVERIFY2(entries.value(path) && entries.value(path)->isEnabled(), qPrintable(path));
    // One window each, however often the entry is chosen.
    for (int twice = 0; twice < 2; ++twice) {
        run(u"Ficheiros>Editar inventário"_s);
        run(u"Ficheiros>Editar Artigos"_s);
    }
    for (const QString& editor : { u"Form5"_s, u"Form2"_s }) {
        QCOMPARE(m_window->findChildren<QWidget*>(editor).size(), 1);
        QVERIFY(m_window->findChild<QWidget*>(editor)->isVisible());
    }

    run(u"Configurações>Gerais"_s);
    run(u"Terminal>Terminal simulado..."_s);
    QPointer<QWidget> settings = form3();
    QPointer<QWidget> simulator = m_window->findChild<QWidget*>(u"simulatorWindow"_s);
    QVERIFY(settings && settings->isVisible() && simulator && simulator->isVisible());
    run(u"Terminal>Receber dados do terminal"_s);
    QCOMPARE(messages(), QStringList { u"Por favor coloque terminal no suporte!"_s });
    run(u"Ficheiros>Avançadas>Importar dados do ficheiro RAW"_s);
    QCOMPARE(m_dialogs->script.questions, QStringList { u"Tem a certeza"_s });
    run(u"Ficheiros>Sair"_s);
    QVERIFY(!m_window->isVisible());
    QTest::qWait(1);
    QVERIFY(!settings && !simulator);
    QVERIFY(!timer1()->isActive());
}

// Start-up's two messages come before the window; without a workbook there is no timer (SiteTest: nor a port), but
// the simulator and settings windows work. The settings window opens on the defaults. "Gravar" refuses a margin that
// is not a number; what it writes it reads back and saves again untouched (a margin of 10,5 is stored " 10.5"); a
// store it cannot write keeps the old values.
void MainWindowTest::withoutAWorkbookNothingStartsButTheSimulatorAndSettingsWindowsWork()
{
    makeWindow(false);
    m_window->open();
    QCOMPARE(m_dialogs->mainWindowShown, (QList<bool> { false, false }));
    QVERIFY(m_window->isVisible());
    QStringList& told = m_dialogs->script.messages;
    QCOMPARE(told[0], u"Erro a ler o ficheiro c:\\InventariosQel.xls"_s);
    QVERIFY2(told[1].startsWith(u"Erro em 'Contabilistica' "_s), qPrintable(told[1]));
    QVERIFY(!timer1()->isActive());

    // The simulator's buttons dock, load and undock; what changes the terminal from elsewhere, as a collection or
    // tarvik-cli does, shows too.
    trigger(u"Simulador"_s);
    auto* simulator = m_window->findChild<QWidget*>(u"simulatorWindow"_s);
    QVERIFY(simulator);
    auto* state = simulator->findChild<QLabel*>(u"stateLabel"_s);
    const auto click = [simulator](const char* button) {
        QTest::mouseClick(simulator->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    };
    SimulatedTerminal terminal(SimulatedTerminal::defaultFolder());
    click("dockButton");
    QVERIFY(terminal.isDocked());
    m_dialogs->script.chosenFiles = { QStringLiteral(TARVIK_DEMO_ENTRIES) };
    click("loadButton");
    const QByteArray entries = terminal.entries();
    QVERIFY(!entries.isEmpty() && entries.size() % 55 == 0);
    QVERIFY2(state->text().contains(QString::number(entries.size() / 55)), qPrintable(state->text()));
    click("undockButton");
    QVERIFY(!terminal.isDocked());
    m_dialogs->script.chosenFiles = { m_profile->path(u"absent.txt"_s) };
    click("loadButton");
    QCOMPARE(told.size(), 3);
    QCOMPARE(terminal.entries(), entries);

    QString error;
    QVERIFY(terminal.setDocked(true, &error));
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), u"No suporte · %1 leituras no terminal"_s.arg(entries.size() / 55), 3000);
    QByteArray buffer(8, ' ');
    terminal.I_ClearAllEntries(buffer);
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), u"No suporte · 0 leituras no terminal"_s, 3000);
    told.clear();

    trigger(u"ConfiguraçõesGerais"_s);
    QWidget* form = form3();
    QVERIFY(form && form->isVisible() && !form->isModal());
    QCOMPARE(form->windowTitle(), u"Tarvik"_s);
    const auto field = [&form](const char* name) { return form->findChild<QLineEdit*>(QString::fromLatin1(name)); };
    const auto box = [&form](const char* name) { return form->findChild<QCheckBox*>(QString::fromLatin1(name)); };
    const auto gravar = [&form] { QTest::mouseClick(form->findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton); };
    const std::pair<const char*, QString> defaults[]
        = { { "Text1", u"1"_s }, { "Text6", u"ESTABELECIMENTO"_s }, { "Text7", u"c:\\InventariosQel.xls"_s },
              { "Text8", u"c:\\report.txt"_s }, { "Text10", u"80"_s }, { "Text11", u"100"_s }, { "Text2", u"10"_s } };
    for (const auto& [name, shown] : defaults)
        QCOMPARE(field(name)->text(), shown);
    QVERIFY(!box("Check1")->isChecked() && !box("Check2")->isChecked());
    QCOMPARE(form->findChild<QPushButton*>(u"Command1"_s)->text(), u"Gravar"_s);
    // Opening the window reads the port again from its field.
    QCOMPARE(site().session()->port(), 1);
    QVERIFY(iniText().isEmpty());

    field("Text6")->setText(u"Cantina"_s);
    field("Text2")->setText(u"dez"_s);
    gravar();
    QCOMPARE(told, QStringList { u"A margem de impressão tem de ser um número: \"dez\". Nada foi gravado."_s });
    QVERIFY(form->isVisible());
    QVERIFY(!iniText().contains(u"Cantina"_s));

    field("Text2")->setText(u"10,5"_s);
    QTest::mouseClick(box("Check1"), Qt::LeftButton);
    field("Text1")->clear();
    QTest::keyClicks(field("Text1"), u"4"_s);
    gravar();
    QTRY_VERIFY(!form3());
    const QString first = iniText();
    QVERIFY2(first.contains(u"Margem=\" 10.5\""_s), qPrintable(first));
    QSettings stored(iniPath(), QSettings::IniFormat);
    for (const auto& [key, value] : { std::pair { u"AutoDescarrega"_s, u" 1"_s }, { u"AutoAbrevia"_s, u" 0"_s },
             { u"COM"_s, u"4"_s }, { u"FicheiroDeReport"_s, u"c:\\report.txt"_s } })
        QCOMPARE(stored.value(u"Startup/"_s + key).toString(), value);
    QVERIFY(!stored.contains(u"Startup/CommPort"_s));

    trigger(u"ConfiguraçõesGerais"_s);
    form = form3();
    QVERIFY(box("Check1")->isChecked());
    QCOMPARE(site().session()->port(), 4);
    gravar();
    QTRY_VERIFY(!form3());
    QCOMPARE(told.size(), 1);
    QCOMPARE(iniText(), first);

    trigger(u"ConfiguraçõesGerais"_s);
    form = form3();
    // A folder where the settings file should be: the store cannot be written, even by root.
    QVERIFY(QFile::remove(iniPath()) && QDir().mkpath(iniPath()));
    field("Text6")->setText(u"Outra"_s);
    QTest::mouseClick(box("Check1"), Qt::LeftButton);
    gravar();
    QCOMPARE(told.size(), 2);
    QVERIFY2(told[1].contains(u"ficam como estavam"_s), qPrintable(told[1]));
    QVERIFY(form->isVisible());
    QCOMPARE(site().settings().value(SettingsKeys::NomeEstabelecimento), u"Cantina"_s);
    QCOMPARE(site().settings().value(SettingsKeys::AutoDescarrega), u" 1"_s);
}

// Panel2 shows the port the settings name and the cradle; with AutoDescarrega on, the entries are collected as soon
// as the terminal is in it, and the glance follows. While a command waits for an answer the cradle is still read
// on every tick, and what falls due then is collected after the command.
void MainWindowTest::startUpOpensThePortAndCollectsFromTheCradleOutsideCommands()
{
    SimulatedTerminal terminal(SimulatedTerminal::defaultFolder());
    QString error;
    QVERIFY(terminal.loadEntries(fileBytes(QStringLiteral(TARVIK_DEMO_ENTRIES)), &error));
    const QByteArray entries = terminal.entries();
    {
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.setValue(u"Startup/AutoDescarrega"_s, u" 1"_s);
        ini.setValue(u"Startup/CommPort"_s, u"3"_s);
    }
    startDemo();
    QVERIFY(messages().isEmpty());
    QVERIFY(timer1()->isActive());
    QCOMPARE(glanceTotal(m_window.get()).mid(0, 2), (QStringList { u"Total"_s, u"12"_s }));
    QLabel* terminalLabel = label(u"terminalLabel"_s);
    QVERIFY(terminalLabel->text().contains(u"nenhuma recolha"_s));

    QLabel* panel2 = label(u"Panel2"_s);
    QTRY_COMPARE_WITH_TIMEOUT(panel2->text(), u"Port Open ( 3) OFF"_s, 2000);
    QVERIFY(terminal.setDocked(true, &error));
    QTRY_COMPARE_WITH_TIMEOUT(panel2->text(), u"Port Open ( 3) ON"_s, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(terminal.entries().isEmpty(), 2000);
    QVERIFY(site().tables().NLeituras() > 12);
    QCOMPARE(glanceTotal(m_window.get())[1], QString::number(site().tables().NLeituras()));
    QVERIFY(terminalLabel->text().contains(u"última recolha em 06/12/2026 10:30"_s));

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
    trigger(u"ApagarArtigosNaoInventariados"_s);
    QCOMPARE(panelDuringQuestion, (QStringList { u"Port Open ( 3) OFF"_s, u"Port Open ( 3) ON"_s }));
    QCOMPARE(heldDuringQuestion, entries);
    QTRY_VERIFY_WITH_TIMEOUT(terminal.entries().isEmpty(), 2000);
    QVERIFY(messages().isEmpty());
}

// The commands on the demo workbook. The report: unsaved or not shown, the width comes from the settings window;
// loading it there also reads the port. Run again, the command closes the open viewer and opens a new one on the new
// file. The clear empties the glance; the backup it wrote is offered under "Análise", after "Terminal", and compared
// in a viewer of its own.
void MainWindowTest::reportAndVarianceAreShownAndTheClearedCountIsOfferedForComparison()
{
    {
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.setValue(u"Startup/NumerodeCaracteres"_s, u"109"_s);
        ini.setValue(u"Startup/COM"_s, u"5"_s);
    }
    startDemo();
    QCOMPARE(site().session()->port(), 1);
    trigger(u"CriarFicheiro"_s);
    const QString report = SitePaths::resolve(u"c:\\Report.txt"_s);
    QCOMPARE(fileBytes(report).indexOf("\r\n"), 1 + 101);
    QCOMPARE(site().session()->port(), 5);
    QVERIFY(form3() && !form3()->isVisible());
    QPointer<QWidget> viewer = m_window->findChild<QWidget*>(u"Form4"_s);
    QVERIFY(viewer && viewer->isVisible());
    QVERIFY(text1(viewer)->toPlainText().contains(u"Centro Custo 10"_s));

    text1(viewer)->setPlainText(u"editado"_s);
    form3()->findChild<QLineEdit*>(u"Text11"_s)->setText(u"110"_s);
    trigger(u"CriarFicheiro"_s);
    QCOMPARE(fileBytes(report).indexOf("\r\n"), 1 + 100);
    QTest::qWait(1);
    QVERIFY(!viewer);
    const auto viewers = m_window->findChildren<ReportViewer*>(u"Form4"_s);
    QCOMPARE(viewers.size(), 1);
    QVERIFY(text1(viewers.first())->toPlainText().contains(u"Centro Custo 10"_s));

    // Printing writes the viewer's own file again, even after the setting names another one.
    QFile::remove(report);
    QString error;
    QVERIFY(site().settings().save({ { SettingsKeys::FicheiroDeReport, u"c:\\Outro.txt"_s } }, &error));
    QStringList errors;
    QVERIFY(viewers.first()->freshPages(&errors));
    QVERIFY(QFile::exists(report));
    QVERIFY(!QFile::exists(SitePaths::resolve(u"c:\\Outro.txt"_s)));
    QVERIFY(messages().isEmpty());

    const QByteArray before = fileBytes(workbookPath());
    trigger(u"LimparFicheiro"_s);
    QVERIFY(messages().isEmpty());
    QCOMPARE(site().tables().NLeituras(), 0);
    QCOMPARE(fileBytes(SitePaths::resolve(u"c:\\InventariosQel 6_ 12_ 2026_ 10 30_Bak.xls"_s)), before);
    QCOMPARE(glanceTotal(m_window.get()), (QStringList { u"Total"_s, u"0"_s, u"0"_s, u"0,00"_s }));

    const QList<QAction*> menus = m_window->menuBar()->actions();
    QCOMPARE(menus.last()->text(), u"Análise"_s);
    QCOMPARE(menus.at(menus.size() - 2)->text(), u"Terminal"_s);
    QStringList offered;
    whenModal([&offered](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        offered = dialog->comboBoxItems();
        dialog->accept();
    });
    trigger(u"CompararContagem"_s);
    QCOMPARE(offered.size(), 1);
    QVERIFY(offered[0].startsWith(u"Variação desde a contagem de domingo, 6 de dezembro de 2026"_s));
    auto* variance = m_window->findChild<QWidget*>(u"VarianceViewer"_s);
    QVERIFY(variance && variance->isVisible());
    const QString text = text1(variance)->toPlainText();
    QVERIFY2(text.startsWith(offered[0] + u'\n') && text.contains(u"Total geral"_s), qPrintable(text));
    QVERIFY(messages().isEmpty());
}

// Qt's own texts in Portuguese; the program's boxes titled "Tarvik", without an icon.
void MainWindowTest::realDialogsAreInPortugueseWithTheTitleAndNoIcon()
{
    Translations::install(*QCoreApplication::instance());
    QMessageBox standard(QMessageBox::NoIcon, u"Tarvik"_s, u"?"_s, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(standard.button(QMessageBox::Yes)->text().remove(u'&'), u"Sim"_s);
    QCOMPARE(standard.button(QMessageBox::No)->text().remove(u'&'), u"Não"_s);

    QtUserInteraction ui;
    bool plain = false;
    whenModal([&plain](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        plain = box->windowTitle() == u"Tarvik" && box->icon() == QMessageBox::NoIcon
            && box->standardButtons() == QMessageBox::StandardButtons(QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    ui.showMessage(u"Olá"_s);
    QVERIFY(plain);

    whenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click(); });
    QVERIFY(!ui.askYesNo(u"Tem a certeza"_s, u"Tarvik"_s));
    whenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click(); });
    QVERIFY(ui.askYesNo(u"Tem a certeza"_s, u"Tarvik"_s));

    QString shown;
    whenModal([&](QWidget* modal) {
        auto* input = qobject_cast<QInputDialog*>(modal);
        shown = input->textValue();
        input->setTextValue(u"30"_s);
        input->accept();
    });
    QCOMPARE(ui.askText(u"Dias?"_s, u"Apagar artigos"_s, u"90"_s).value_or(QString()), u"30"_s);
    QCOMPARE(shown, u"90"_s);
    whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QVERIFY(!ui.askText(u"Dias?"_s, u"Apagar artigos"_s, u"90"_s));
}

void MainWindowTest::screenshotUnderXvfbIsNotBlank()
{
    const QString xvfbRun = QStandardPaths::findExecutable(u"xvfb-run"_s);
    // The test run installs it; without it this check would prove nothing.
    QVERIFY2(!xvfbRun.isEmpty(), "xvfb-run is missing: tools/install-deps installs it");
    makeDemoWorkbook();
    const QString image = m_profile->path(u"main-window.png"_s);
    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"QT_QPA_PLATFORM"_s);
    env.insert(u"LSAN_OPTIONS"_s, QStringLiteral("suppressions=" TARVIK_LSAN_SUPPRESSIONS));
    app.setProcessEnvironment(env);
    app.start(xvfbRun,
        { u"-a"_s, u"-s"_s, u"-screen 0 1280x1024x24"_s, QStringLiteral(TARVIK_APP), u"--screenshot"_s, image });
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

TARVIK_QTEST_MAIN(MainWindowTest)

#include "MainWindowTest.moc"
