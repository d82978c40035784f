#pragma once
#include <QString>

#include <functional>

class DataControl;
class InventoryTables;

// Runs one command that changes data as a unit: the work changes the tables and the workbook in memory,
// then the workbook is written once. If anything fails, the file stays as it was, and so do the tables unless
// they are not to be restored after a failure.
class DataCommand
{
public:
    DataCommand(InventoryTables& tables, DataControl& data1);

    // False with the cause in error (and nothing changed) when the work or the write failed.
    bool run(const std::function<bool(QString* error)>& work, QString* error);

private:
    InventoryTables& m_tables;
    DataControl& m_data1;
};
