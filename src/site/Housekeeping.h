#pragma once
#include "platform/CommandResult.h"

#include <QDateTime>
#include <QString>

class Clock;
class DataControl;
class InventoryTables;
class SettingsStore;
class Site;
class UserInteraction;

// The two clean-ups between stock-takings. Each runs as one command: on any failure the user reads why,
// and the workbook and the tables stay as they were.
class Housekeeping
{
public:
    explicit Housekeeping(Site& site);

    // "c:\dados\inv.xls" at 13:05 on 1 March 2027 -> "c:\dados\inv 1_ 3_ 2027_ 13 5_Bak.xls"; the empty
    // text when the path is too short to hold an extension.
    static QString backupName(const QString& workbookPath, const QDateTime& at);

    // Copies the workbook to its time-stamped backup, and only once the copy reads back the same, blanks
    // the readings sheet and empties the readings table.
    CommandResult LimparFicheiro();
    // Asks for a number of days and, once confirmed, deletes the articles last imported longer ago.
    CommandResult ApagarArtigosNaoInventariados();

private:
    bool copyVerified(const QString& from, const QString& to, QString* error) const;
    bool blankReadings(QString* error);
    void deleteArticlesOlderThan(int days);

    InventoryTables& m_tables;
    DataControl& m_data1;
    const SettingsStore& m_settings;
    UserInteraction& m_ui;
    const Clock& m_clock;
};
