#pragma once
#include "platform/CommandResult.h"

#include <QByteArray>
#include <QString>

#include <functional>

class Clock;
class DataControl;
class InventoryTables;
class RioCom;
class SettingsStore;
class UserInteraction;

// The cradle as the main window sees it: the poll on each tick, collecting the entries and sending the lists.
class TerminalSession
{
public:
    TerminalSession(RioCom& rioCom, InventoryTables& tables, DataControl& data1, const SettingsStore& settings,
        UserInteraction& ui, const Clock& clock);

    qint32 port() const { return m_port; }
    void setPort(qint32 port) { m_port = port; }
    bool TerminalNoSuporte() const { return m_TerminalNoSuporte; }
    // Called with false while the lists go out, so no tick runs between the sends.
    void setTimerControl(std::function<void(bool running)> control) { m_timerControl = std::move(control); }

    // One tick of Timer1: reads the cradle and shows it in the status bar. True when a collection falls due (the
    // terminal was just put in the cradle and AutoDescarrega asks for it); the caller runs it with collect() once
    // no other command is running, never inside one.
    bool poll();
    // The collection that poll() found due, under the busy pointer.
    CommandResult collect();
    // Reads the entries, keeps them in the raw capture file, imports them and only then clears the terminal.
    CommandResult ReceberDados();
    CommandResult EnviarDados();
    // Imports the raw capture file again, after asking.
    CommandResult ImpRaw();

    static QString rawFilePath();

private:
    QString portText() const;
    CommandResult importEntries(qint32 count, quintptr address);

    RioCom& m_rioCom;
    InventoryTables& m_tables;
    DataControl& m_data1;
    const SettingsStore& m_settings;
    UserInteraction& m_ui;
    const Clock& m_clock;
    QByteArray m_TerminalBuffer = QByteArray(8, ' ');
    bool m_TerminalNoSuporte = false;
    qint32 m_port = 1;
    std::function<void(bool)> m_timerControl;
};
