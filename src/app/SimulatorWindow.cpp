#include "app/SimulatorWindow.h"

#include "platform/UserInteraction.h"
#include "terminal/RawImport.h"
#include "terminal/SimulatedTerminal.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

SimulatorWindow::SimulatorWindow(SimulatedTerminal& terminal, UserInteraction& ui, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_terminal(terminal)
    , m_ui(ui)
{
    setObjectName(QStringLiteral("simulatorWindow"));
    setWindowTitle(QStringLiteral("Terminal simulado"));
    auto* layout = new QVBoxLayout(this);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("stateLabel"));
    layout->addWidget(m_state);
    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    const auto addButton = [&](const QString& objectName, const QString& caption, auto slot) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(objectName);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, slot);
    };
    addButton(QStringLiteral("dockButton"), QStringLiteral("Colocar no suporte"), [this] { dock(true); });
    addButton(QStringLiteral("undockButton"), QStringLiteral("Retirar do suporte"), [this] { dock(false); });
    addButton(QStringLiteral("loadButton"), QStringLiteral("Carregar leituras..."), [this] { loadEntries(); });
    // The state follows the terminal whatever changes it: a collection, tarvik-cli, another window.
    const QString folder = m_terminal.folder();
    QDir().mkpath(folder);
    auto* watcher = new QFileSystemWatcher({ folder }, this);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &SimulatorWindow::showState);
    showState();
}

void SimulatorWindow::dock(bool docked)
{
    QString error;
    if (!m_terminal.setDocked(docked, &error))
        m_ui.showMessage(error);
    showState();
}

void SimulatorWindow::loadEntries()
{
    const QString path = m_ui.chooseFile();
    if (path.isEmpty())
        return;
    QString error;
    if (!m_terminal.loadEntriesFile(path, &error))
        m_ui.showMessage(error);
    showState();
}

void SimulatorWindow::showState()
{
    const qsizetype held = m_terminal.entries().size() / RawImport::kRecordLength;
    m_state->setText(QStringLiteral("%1 · %2 leituras no terminal")
                         .arg(m_terminal.isDocked() ? QStringLiteral("No suporte") : QStringLiteral("Fora do suporte"))
                         .arg(held));
}
