#pragma once
#include "platform/Clock.h"
#include "platform/CommandResult.h"
#include "platform/SettingsStore.h"
#include "tables/InventoryTables.h"
#include "workbook/DataControl.h"

#include <memory>

class RioCom;
class TerminalSession;
class UserInteraction;

// The open site: its settings, clock, the four tables, Data1 and Data2, and the terminal with its session. The
// desktop window and tarvik-cli each own one and go through it for start-up, the commands and shut-down.
class Site
{
public:
    // workbook overrides the InventariosQel setting when it is not empty.
    explicit Site(UserInteraction& ui, const QString& workbook = {});
    ~Site();
    Site(const Site&) = delete;
    Site& operator=(const Site&) = delete;

    // The whole start-up: the terminal program folder from programFolder, the workbook, then the port. Failed
    // with start-up's two messages when a sheet cannot be loaded (the port stays closed), or with the cause
    // when the terminal driver cannot be used.
    CommandResult startUp(const QString& programFolder);
    // The four loaders in start-up order; failed with start-up's two messages.
    CommandResult load();
    // Opens the port the CommPort setting names; failed with the cause when there is no terminal driver.
    CommandResult openPort();
    // Closes the port if it was opened.
    void shutDown();

    UserInteraction& ui() const { return m_ui; }
    SettingsStore& settings() { return m_settings; }
    const Clock& clock() const { return m_clock; }
    InventoryTables& tables() { return m_tables; }
    DataControl& data1() { return m_data1; }
    DataControl& data2() { return m_data2; }
    // The terminal driver and its session; null when the RioComLibrary setting names a library that cannot be
    // used, and then every terminal command fails with that cause.
    RioCom* terminal() const { return m_rioCom.get(); }
    TerminalSession* session() const { return m_session.get(); }
    // Set at start-up from CommPort, and again from the port field whenever the settings window is loaded.
    void setPort(qint32 port);

    CommandResult ReceberDados();
    CommandResult EnviarDados();
    CommandResult ImpRaw();
    // Imports the first line of a raw capture file, without asking.
    CommandResult importRawFile(const QString& path);
    // The collection a tick of the cradle poll found due.
    CommandResult collect();
    CommandResult ImportarFicheiro();
    CommandResult LimparFicheiro();
    CommandResult ApagarArtigosNaoInventariados();
    // Writes the report to the FicheiroDeReport setting's file, or to path when it is not empty, with the width
    // numerodeCaracteres gives.
    CommandResult CriarFicheiroDeInventarios(const QString& numerodeCaracteres, const QString& path = {});
    // The report file the FicheiroDeReport setting names, placed as the site's paths are.
    QString reportPath() const;
    // The inventory workbook, placed as the site's paths are.
    QString workbookPath() const;

private:
    CommandResult withSession(CommandResult (TerminalSession::*command)());

    UserInteraction& m_ui;
    Clock m_clock;
    SettingsStore m_settings;
    InventoryTables m_tables;
    DataControl m_data1;
    DataControl m_data2;
    QString m_workbook;
    QString m_driverError;
    std::unique_ptr<RioCom> m_rioCom;
    std::unique_ptr<TerminalSession> m_session;
    bool m_portOpen = false;
};
