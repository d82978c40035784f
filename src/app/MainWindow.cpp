#include "app/MainWindow.h"

#include "app/ReportTextWindow.h"
#include "app/SettingsWindow.h"
#include "app/SimulatorWindow.h"
#include "reception/ReceptionImport.h"
#include "report/InventoryReport.h"
#include "terminal/RioCom.h"
#include "terminal/RioComDriver.h"
#include "terminal/SimulatedTerminal.h"
#include "terminal/TerminalSession.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/SitePaths.h"
#include "site/Housekeeping.h"
#include "site/TerminalProgramFolder.h"
#include "tables/InventoryLoader.h"
#include "values/Conversions.h"

MainWindow::MainWindow(std::unique_ptr<QtUserInteraction> ui, QWidget* parent)
    : QMainWindow(parent)
    , m_ui(ui ? std::move(ui) : std::make_unique<QtUserInteraction>())
    , m_tables(*m_ui, m_clock)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Inventarios Tarvik") + QStringLiteral(TARVIK_VERSION));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    m_label1 = new QLabel(central);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_label1);
    setCentralWidget(central);
    buildStatusBar();
    m_ui->setSurfaces(this, m_label1, m_panel1, m_panel2);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(100);

    m_rioCom = RioComDriver::create(m_settings, &m_driverError);
    if (m_rioCom) {
        m_session = std::make_unique<TerminalSession>(*m_rioCom, m_tables, m_data1, m_settings, *m_ui, m_clock);
        m_session->setTimerControl([this](bool running) { running ? m_timer1->start() : m_timer1->stop(); });
        connect(m_timer1, &QTimer::timeout, this, [this] { runExclusive([this] { m_session->poll(); }); });
    }
    buildMenus();
    resize(640, 360);
}

MainWindow::~MainWindow() = default;

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
        connect(action, &QAction::triggered, this, [this, run] { runExclusive(run); });
    else
        action->setEnabled(false);
    return action;
}

// A command lets window events run while it works. A tick or another command started then would work on
// tables half-way through a change, and could collect and save readings inside a command that is later
// undone: they wait until the running one has ended.
void MainWindow::runExclusive(const std::function<void()>& run)
{
    if (m_running)
        return;
    m_running = true;
    menuBar()->setEnabled(false);
    run();
    menuBar()->setEnabled(true);
    m_running = false;
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("Ficheiros"));
    file->setObjectName(QStringLiteral("File"));
    // The editors arrive with their own windows.
    addCommand(file, QStringLiteral("CriarFicheiro"), QStringLiteral("Criar relatório de inventários"),
        [this] { CriarFicheiro(); });
    addCommand(file, QStringLiteral("LimparFicheiro"), QStringLiteral("Limpar ficheiro de inventarios"),
        [this] { Housekeeping(m_tables, m_data1, m_settings, *m_ui, m_clock).LimparFicheiro(); });
    addCommand(file, QStringLiteral("EditarInventario"), QStringLiteral("Editar inventário"), {});
    addCommand(file, QStringLiteral("EditarArtigos"), QStringLiteral("Editar Artigos"), {});
    QMenu* advanced = file->addMenu(QStringLiteral("Avançadas"));
    advanced->setObjectName(QStringLiteral("Avancadas"));
    addCommand(advanced, QStringLiteral("ImportarFicheiro"), QStringLiteral("Importar dados do ficheiro de recepcoes"),
        [this] { ImportarFicheiro(); });
    addCommand(advanced, QStringLiteral("ApagarArtigosNaoInventariados"),
        QStringLiteral("Apagar todos os artigos não movimentados"),
        [this] { Housekeeping(m_tables, m_data1, m_settings, *m_ui, m_clock).ApagarArtigosNaoInventariados(); });
    addCommand(advanced, QStringLiteral("ImpRaw"), QStringLiteral("Importar dados do ficheiro RAW"),
        [this] { runTerminalCommand(&TerminalSession::ImpRaw); });
    addCommand(file, QStringLiteral("Sair"), QStringLiteral("Sair"), [this] { Sair(); });

    QMenu* conf = menuBar()->addMenu(QStringLiteral("Configurações"));
    conf->setObjectName(QStringLiteral("Conf"));
    addCommand(
        conf, QStringLiteral("ConfiguraçõesGerais"), QStringLiteral("Gerais"), [this] { ConfiguracoesGerais(); });

    QMenu* terminal = menuBar()->addMenu(QStringLiteral("Terminal"));
    terminal->setObjectName(QStringLiteral("Terminal"));
    addCommand(terminal, QStringLiteral("EnviarDados"), QStringLiteral("Enviar dados para o terminal"),
        [this] { runTerminalCommand(&TerminalSession::EnviarDados); });
    addCommand(terminal, QStringLiteral("ReceberDados"), QStringLiteral("Receber dados do terminal"),
        [this] { runTerminalCommand(&TerminalSession::ReceberDados); });
    if (auto* simulator = dynamic_cast<SimulatedTerminal*>(m_rioCom.get())) {
        terminal->addSeparator();
        addCommand(terminal, QStringLiteral("Simulador"), QStringLiteral("Terminal simulado..."),
            [this, simulator] { showSimulator(*simulator); });
    }
}

void MainWindow::startUp()
{
    m_data1.setDatabaseName(m_settings.value(SettingsKeys::InventariosQel));
    TerminalProgramFolder::refresh(QCoreApplication::applicationDirPath());
    const qint32 port = Conversions::roundToWhole(Conversions::numericValue(m_settings.value(SettingsKeys::CommPort)));
    if (m_session)
        m_session->setPort(port);
    QString first, second;
    if (!InventoryLoader(m_data1, m_tables, *m_ui).loadAll(&first, &second)) {
        m_ui->showMessage(first);
        m_ui->showMessage(second);
        return;
    }
    if (!m_rioCom) {
        m_ui->showMessage(m_driverError);
        return;
    }
    m_rioCom->I_OpenCom(port, 19200);
    m_timer1->start();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_shutDown) {
        m_shutDown = true;
        m_timer1->stop();
        if (m_rioCom)
            m_rioCom->I_CloseCom(m_session->port());
        for (QWidget* window : { static_cast<QWidget*>(m_settingsWindow), static_cast<QWidget*>(m_simulatorWindow) }) {
            if (window)
                window->close();
        }
    }
    event->accept();
}

// Without a terminal driver the terminal commands can only say why.
void MainWindow::runTerminalCommand(void (TerminalSession::*command)())
{
    if (m_session)
        (m_session.get()->*command)();
    else
        m_ui->showMessage(m_driverError);
}

void MainWindow::ConfiguracoesGerais()
{
    if (!m_settingsWindow) {
        m_settingsWindow = new SettingsWindow(m_settings, *m_ui, this);
        m_settingsWindow->setAttribute(Qt::WA_DeleteOnClose);
        if (m_session)
            connect(
                m_settingsWindow, &SettingsWindow::portRead, this, [this](qint32 port) { m_session->setPort(port); });
        m_settingsWindow->load();
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
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

void MainWindow::CriarFicheiro()
{
    const QString width = m_settingsWindow ? m_settingsWindow->numerodeCaracteres()
                                           : m_settings.value(SettingsKeys::NumerodeCaracteres);
    const QString path = m_settings.value(SettingsKeys::FicheiroDeReport);
    QString error;
    if (!InventoryReport(m_tables, m_data1, *m_ui).CriarFicheiroDeInventarios(path, width, &error)) {
        m_ui->showMessage(error);
        return;
    }
    // Until the report viewer is here, the file is shown as it was written.
    if (!m_reportWindow) {
        m_reportWindow = new ReportTextWindow(this);
        m_reportWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (!m_reportWindow->showFile(SitePaths::resolve(path), &error)) {
        m_ui->showMessage(error);
        return;
    }
    m_reportWindow->show();
    m_reportWindow->raise();
}

void MainWindow::ImportarFicheiro()
{
    QString error;
    if (!ReceptionImport(m_tables, m_data1, m_data2, *m_ui, m_clock).ImportarFicheiro(&error) && !error.isEmpty())
        m_ui->showMessage(error);
}

void MainWindow::Sair()
{
    if (m_settingsWindow)
        m_settingsWindow->close();
    close();
}
