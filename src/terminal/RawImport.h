#pragma once
#include <QString>

class Clock;
class DataControl;
class InventoryTables;
class UserInteraction;

// Turns the entries received from the terminal (55-character records) into readings, with placeholder
// articles for unknown codes and the barcodes scanned, then sorts the articles and saves the four sheets.
class RawImport
{
public:
    static constexpr int kRecordLength = 55;

    RawImport(InventoryTables& tables, DataControl& data1, UserInteraction& ui, const Clock& clock);

    // The whole import as one command: false with the cause, and nothing changed, when anything failed.
    bool run(const QString& entries, QString* error);
    // The same on the first line of a raw capture file (single-byte text, up to its CR LF).
    bool runFile(const QString& path, QString* error);
    // The records into the tables only; false, part-way, at a quantity that is not a number.
    bool addRecords(const QString& entries, QString* error);

private:
    InventoryTables& m_tables;
    DataControl& m_data1;
    UserInteraction& m_ui;
    const Clock& m_clock;
};
