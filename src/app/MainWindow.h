#pragma once
#include "app/QtUserInteraction.h"
#include "platform/CommandResult.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class ArticleEditor;
class CountGlance;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class ReadingsEditor;
class ReportViewer;
class SettingsWindow;
class SimulatedTerminal;
class SimulatorWindow;
class Site;

// The program: owns the open site and Timer1, and offers every command in its menus.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Dialogs go through ui (a QtUserInteraction of its own when none is given), so tests can answer them.
    explicit MainWindow(std::unique_ptr<QtUserInteraction> ui = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up, then the window: start-up's messages come before the window is shown.
    void open();
    // Fills the terminal program folder, loads the workbook, opens the port and starts Timer1, in that
    // order. A load that fails says so twice and stops there: no port, no timer.
    void startUp();

    Site& site() { return *m_site; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A command without run stays in its menu, disabled.
    QAction* addCommand(QMenu* menu, const QString& name, const QString& caption, const std::function<void()>& run);
    // A menu entry that runs one of the site's commands.
    QAction* addSiteCommand(QMenu* menu, const QString& name, const QString& caption, CommandResult (Site::*command)());
    void buildMenus();
    void buildStatusBar();
    // Runs one command at a time and shows how it failed, if it did.
    void runCommand(const std::function<CommandResult()>& command);
    void showFailure(const CommandResult& result);
    void refreshGlance();
    // Notes when the terminal's entries came in, for the glance.
    CommandResult collected(const CommandResult& result);
    CommandResult compareWithPreviousCount();
    void tick();
    // The settings window, loaded (not shown) when it is not open: the report reads its fields.
    SettingsWindow* settingsWindow();
    void ConfiguracoesGerais();
    CommandResult CriarFicheiro();
    void showSimulator(SimulatedTerminal& terminal);
    // One window per editor: chosen again, the open one comes to the front.
    template <typename Editor> void showEditor(QPointer<Editor>& editor);
    void Sair();

    std::unique_ptr<QtUserInteraction> m_ui;
    std::unique_ptr<Site> m_site;
    QTimer* m_timer1;
    QLabel* m_label1;
    QLabel* m_panel1;
    QLabel* m_panel2;
    QPointer<SettingsWindow> m_settingsWindow;
    QPointer<SimulatorWindow> m_simulatorWindow;
    QPointer<ReportViewer> m_reportWindow;
    QPointer<ReportViewer> m_varianceWindow;
    CountGlance* m_glance;
    QDateTime m_lastCollection;
    QPointer<ArticleEditor> m_articleEditor;
    QPointer<ReadingsEditor> m_readingsEditor;
    bool m_shutDown = false;
    bool m_running = false;
    bool m_collectionDue = false;
};
