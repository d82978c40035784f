#pragma once
#include <QString>

class DataControl;
class InventoryTables;
class UserInteraction;

// The valued inventory report: a fixed-width text file (Windows-1252, CR LF) with a summary by cost centre and
// accounting family, then every reading with its quantity, unit price and value. The readings are sorted and
// their ContaContab and QtEmUnidadeCompra refreshed; nothing is written to the workbook.
class InventoryReport
{
public:
    InventoryReport(InventoryTables& tables, DataControl& data1, UserInteraction& ui);

    // Writes path (a site path: "c:\..." is placed under the data root) at the width numerodeCaracteres gives:
    // the lines are 210 minus that many characters long. On failure the file is left as it was and error names
    // it and the cause.
    bool CriarFicheiroDeInventarios(const QString& path, const QString& numerodeCaracteres, QString* error);

private:
    // ContaContab of every reading from the Contabilistica$ rows of its family; skipped when there are none.
    void refreshAccounts();

    InventoryTables& m_tables;
    DataControl& m_data1;
    UserInteraction& m_ui;
};
