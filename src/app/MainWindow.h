#pragma once
#include "app/QtUserInteraction.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "tables/InventoryTables.h"
#include "workbook/DataControl.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;
class ReportTextWindow;
class RioCom;
class SettingsWindow;
class SimulatedTerminal;
class SimulatorWindow;
class TerminalSession;

// The program: owns the tables, Data1, the terminal link and Timer1, and offers every command in its menus.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Dialogs go through ui (a QtUserInteraction of its own when none is given), so tests can answer them.
    explicit MainWindow(std::unique_ptr<QtUserInteraction> ui = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Fills the terminal program folder, loads the workbook, opens the port and starts Timer1, in that
    // order. A load that fails says so twice and stops there: no port, no timer.
    void startUp();

    InventoryTables& tables() { return m_tables; }
    TerminalSession* session() const { return m_session.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A command without run stays in its menu, disabled.
    QAction* addCommand(QMenu* menu, const QString& name, const QString& caption, const std::function<void()>& run);
    void buildMenus();
    void buildStatusBar();
    void runExclusive(const std::function<void()>& run);
    void runTerminalCommand(void (TerminalSession::*command)());
    void ConfiguracoesGerais();
    void CriarFicheiro();
    void ImportarFicheiro();
    void showSimulator(SimulatedTerminal& terminal);
    void Sair();

    std::unique_ptr<QtUserInteraction> m_ui;
    Clock m_clock;
    SettingsStore m_settings;
    InventoryTables m_tables;
    DataControl m_data1;
    DataControl m_data2;
    std::unique_ptr<RioCom> m_rioCom;
    std::unique_ptr<TerminalSession> m_session;
    QString m_driverError;
    QTimer* m_timer1;
    QLabel* m_label1;
    QLabel* m_panel1;
    QLabel* m_panel2;
    QPointer<SettingsWindow> m_settingsWindow;
    QPointer<SimulatorWindow> m_simulatorWindow;
    QPointer<ReportTextWindow> m_reportWindow;
    bool m_shutDown = false;
    bool m_running = false;
};
