#include "app/MainWindow.h"

#include "app/CountGlance.h"
#include "app/SettingsWindow.h"
#include "app/SimulatorWindow.h"
#include "editors/ArticleEditor.h"
#include "editors/ReadingsEditor.h"
#include "report/ReportFile.h"
#include "report/Variance.h"
#include "site/CountComparison.h"
#include "site/Site.h"
#include "terminal/SimulatedTerminal.h"
#include "terminal/TerminalSession.h"
#include "viewer/ReportViewer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

MainWindow::MainWindow(std::unique_ptr<QtUserInteraction> ui, QWidget* parent)
    : QMainWindow(parent)
    , m_ui(ui ? std::move(ui) : std::make_unique<QtUserInteraction>())
    , m_site(std::make_unique<Site>(*m_ui))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Inventarios Tarvik") + QStringLiteral(TARVIK_VERSION));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    m_label1 = new QLabel(central);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_label1);
    m_glance = new CountGlance(*m_site, central);
    layout->addWidget(m_glance, 1);
    setCentralWidget(central);
    buildStatusBar();
    m_ui->setSurfaces(this, m_label1, m_panel1, m_panel2);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(100);
    connect(m_timer1, &QTimer::timeout, this, &MainWindow::tick);
    if (TerminalSession* session = m_site->session())
        session->setTimerControl([this](bool running) { running ? m_timer1->start() : m_timer1->stop(); });
    buildMenus();
    refreshGlance();
    resize(640, 420);
}

MainWindow::~MainWindow()
{
    // The editors go with the window's children, after the window itself: they must not call back into it.
    for (QObject* editor : { static_cast<QObject*>(m_articleEditor), static_cast<QObject*>(m_readingsEditor) }) {
        if (editor)
            disconnect(editor, nullptr, this, nullptr);
    }
}

void MainWindow::buildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(false);
    m_panel1 = new QLabel(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setMinimumWidth(80);
    m_panel2 = new QLabel(this);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    statusBar()->addPermanentWidget(m_panel1);
    statusBar()->addPermanentWidget(m_panel2, 1);
}

QAction* MainWindow::addCommand(
    QMenu* menu, const QString& name, const QString& caption, const std::function<void()>& run)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (run)
        connect(action, &QAction::triggered, this, run);
    else
        action->setEnabled(false);
    return action;
}

// A command lets window events run while it works. Another command started then would work on tables
// half-way through a change: it is not started. A collection that falls due meanwhile waits (see tick).
void MainWindow::runCommand(const std::function<CommandResult()>& command)
{
    if (m_running)
        return;
    m_running = true;
    menuBar()->setEnabled(false);
    showFailure(command());
    menuBar()->setEnabled(true);
    m_running = false;
    refreshGlance();
}

void MainWindow::refreshGlance()
{
    m_glance->refresh(m_lastCollection);
}

CommandResult MainWindow::collected(const CommandResult& result)
{
    if (result.ending() == CommandResult::Ending::Done)
        m_lastCollection = m_site->clock().now();
    return result;
}

void MainWindow::showFailure(const CommandResult& result)
{
    for (const QString& message : result.messages())
        m_ui->showMessage(message);
}

// The cradle is read on every tick, also while a command or a dialog is open, so the panel stays true. A
// collection it finds due runs once nothing else is running, never inside a command.
void MainWindow::tick()
{
    TerminalSession* session = m_site->session();
    if (!session)
        return;
    const bool docked = session->TerminalNoSuporte();
    if (session->poll())
        m_collectionDue = true;
    else if (!session->TerminalNoSuporte())
        m_collectionDue = false;
    if (m_collectionDue && !m_running && !QApplication::activeModalWidget()) {
        m_collectionDue = false;
        runCommand([this] { return collected(m_site->collect()); });
    } else if (session->TerminalNoSuporte() != docked) {
        refreshGlance();
    }
}

QAction* MainWindow::addSiteCommand(
    QMenu* menu, const QString& name, const QString& caption, CommandResult (Site::*command)())
{
    return addCommand(
        menu, name, caption, [this, command] { runCommand([this, command] { return (m_site.get()->*command)(); }); });
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("Ficheiros"));
    file->setObjectName(QStringLiteral("File"));
    addCommand(file, QStringLiteral("CriarFicheiro"), QStringLiteral("Criar relatório de inventários"),
        [this] { runCommand([this] { return CriarFicheiro(); }); });
    addSiteCommand(file, QStringLiteral("LimparFicheiro"), QStringLiteral("Limpar ficheiro de inventarios"),
        &Site::LimparFicheiro);
    addCommand(file, QStringLiteral("EditarInventario"), QStringLiteral("Editar inventário"),
        [this] { showEditor(m_readingsEditor); });
    addCommand(file, QStringLiteral("EditarArtigos"), QStringLiteral("Editar Artigos"),
        [this] { showEditor(m_articleEditor); });
    QMenu* advanced = file->addMenu(QStringLiteral("Avançadas"));
    advanced->setObjectName(QStringLiteral("Avancadas"));
    addSiteCommand(advanced, QStringLiteral("ImportarFicheiro"),
        QStringLiteral("Importar dados do ficheiro de recepcoes"), &Site::ImportarFicheiro);
    addSiteCommand(advanced, QStringLiteral("ApagarArtigosNaoInventariados"),
        QStringLiteral("Apagar todos os artigos não movimentados"), &Site::ApagarArtigosNaoInventariados);
    addSiteCommand(advanced, QStringLiteral("ImpRaw"), QStringLiteral("Importar dados do ficheiro RAW"), &Site::ImpRaw);
    addCommand(file, QStringLiteral("Sair"), QStringLiteral("Sair"), [this] { Sair(); });

    QMenu* conf = menuBar()->addMenu(QStringLiteral("Configurações"));
    conf->setObjectName(QStringLiteral("Conf"));
    addCommand(
        conf, QStringLiteral("ConfiguraçõesGerais"), QStringLiteral("Gerais"), [this] { ConfiguracoesGerais(); });

    QMenu* terminal = menuBar()->addMenu(QStringLiteral("Terminal"));
    terminal->setObjectName(QStringLiteral("Terminal"));
    addSiteCommand(
        terminal, QStringLiteral("EnviarDados"), QStringLiteral("Enviar dados para o terminal"), &Site::EnviarDados);
    addCommand(terminal, QStringLiteral("ReceberDados"), QStringLiteral("Receber dados do terminal"),
        [this] { runCommand([this] { return collected(m_site->ReceberDados()); }); });
    if (auto* simulator = dynamic_cast<SimulatedTerminal*>(m_site->terminal())) {
        terminal->addSeparator();
        addCommand(terminal, QStringLiteral("Simulador"), QStringLiteral("Terminal simulado..."),
            [this, simulator] { showSimulator(*simulator); });
    }

    QMenu* analysis = menuBar()->addMenu(QStringLiteral("Análise"));
    analysis->setObjectName(QStringLiteral("Analise"));
    addCommand(analysis, QStringLiteral("CompararContagem"), QStringLiteral("Comparar com a contagem anterior"),
        [this] { runCommand([this] { return compareWithPreviousCount(); }); });
}

void MainWindow::open()
{
    startUp();
    show();
}

void MainWindow::startUp()
{
    const CommandResult started = m_site->startUp(QCoreApplication::applicationDirPath());
    showFailure(started);
    refreshGlance();
    if (!started.failed())
        m_timer1->start();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_shutDown) {
        // An editor with unconfirmed changes asks first; kept open, it keeps the program open.
        for (QWidget* editor : { static_cast<QWidget*>(m_articleEditor), static_cast<QWidget*>(m_readingsEditor) }) {
            if (editor && !editor->close()) {
                event->ignore();
                return;
            }
        }
        m_shutDown = true;
        m_timer1->stop();
        m_site->shutDown();
        for (QWidget* window : { static_cast<QWidget*>(m_settingsWindow), static_cast<QWidget*>(m_reportWindow),
                 static_cast<QWidget*>(m_varianceWindow), static_cast<QWidget*>(m_simulatorWindow) }) {
            if (window)
                window->close();
        }
    }
    event->accept();
}

SettingsWindow* MainWindow::settingsWindow()
{
    if (!m_settingsWindow) {
        m_settingsWindow = new SettingsWindow(m_site->settings(), *m_ui, this);
        m_settingsWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_settingsWindow, &SettingsWindow::portRead, this, [this](qint32 port) { m_site->setPort(port); });
        m_settingsWindow->load();
    }
    return m_settingsWindow;
}

void MainWindow::ConfiguracoesGerais()
{
    SettingsWindow* window = settingsWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

template <typename Editor> void MainWindow::showEditor(QPointer<Editor>& editor)
{
    if (!editor) {
        editor = new Editor(*m_site, this);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        connect(editor, &QObject::destroyed, this, &MainWindow::refreshGlance);
        editor->show();
        editor->open();
    }
    editor->raise();
    editor->activateWindow();
}

void MainWindow::showSimulator(SimulatedTerminal& terminal)
{
    if (!m_simulatorWindow) {
        m_simulatorWindow = new SimulatorWindow(terminal, *m_ui, this);
        m_simulatorWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_simulatorWindow->show();
    m_simulatorWindow->raise();
}

CommandResult MainWindow::CriarFicheiro()
{
    // The viewer closes first and opens again on the new file.
    if (m_reportWindow)
        m_reportWindow->close();
    const CommandResult written = m_site->CriarFicheiroDeInventarios(settingsWindow()->numerodeCaracteres());
    if (written.failed())
        return written;
    // The viewer's own file, even when the setting names another one later.
    const QString path = m_site->reportPath();
    m_reportWindow = new ReportViewer(
        *m_site, path,
        [this, path] { return m_site->CriarFicheiroDeInventarios(settingsWindow()->numerodeCaracteres(), path); },
        this);
    m_reportWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_reportWindow->open();
    m_reportWindow->show();
    m_reportWindow->raise();
    return CommandResult::done();
}

// The backups the clear wrote, newest first, to pick from; then the listing in a viewer of its own.
CommandResult MainWindow::compareWithPreviousCount()
{
    CountComparison comparison(*m_site);
    const QList<CountComparison::PreviousCount> counts = comparison.previousCounts();
    QString previous;
    if (!counts.isEmpty()) {
        QStringList choices;
        for (const CountComparison::PreviousCount& count : counts)
            choices << CountComparison::title(count);
        bool ok = false;
        const QString chosen = QInputDialog::getItem(
            this, QStringLiteral("Tarvik"), QStringLiteral("Comparar com a contagem:"), choices, 0, false, &ok);
        if (!ok)
            return CommandResult::cancelled();
        previous = counts.at(choices.indexOf(chosen)).path;
    }
    const QString path = QFileInfo(m_site->reportPath()).dir().filePath(QStringLiteral("Variacao.txt"));
    const auto write = [this, previous, path] {
        std::unique_ptr<Variance> variance;
        CountComparison::PreviousCount used;
        CommandResult result = CountComparison(*m_site).compare(previous, &variance, &used);
        QString error;
        if (!result.failed() && !ReportFile::write(path, variance->text(CountComparison::title(used)), &error))
            result = CommandResult::failed(error);
        return result;
    };
    const CommandResult written = write();
    if (written.failed())
        return written;
    if (m_varianceWindow)
        m_varianceWindow->close();
    m_varianceWindow = new ReportViewer(*m_site, path, write, this);
    m_varianceWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_varianceWindow->setObjectName(QStringLiteral("VarianceViewer"));
    m_varianceWindow->open();
    m_varianceWindow->show();
    m_varianceWindow->raise();
    return CommandResult::done();
}

void MainWindow::Sair()
{
    for (QWidget* window : { static_cast<QWidget*>(m_settingsWindow), static_cast<QWidget*>(m_reportWindow),
             static_cast<QWidget*>(m_varianceWindow) }) {
        if (window)
            window->close();
    }
    close();
}
