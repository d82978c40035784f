#pragma once
#include "platform/CommandResult.h"

#include <QString>

#include <utility>
#include <vector>

class Clock;
class DataControl;
class InventoryTables;
class UserInteraction;

// Merges a goods-reception workbook (sheet FicheirodeRecepcoes$) into the article table, re-applies the
// standing corrections of Correccoes$ and refreshes the family descriptions from Contabilistica$. Data1 is the
// inventory workbook, Data2 the reception workbook, which is only read.
class ReceptionImport
{
public:
    ReceptionImport(
        InventoryTables& tables, DataControl& data1, DataControl& data2, UserInteraction& ui, const Clock& clock);

    // The menu command, as one unit: the import, the refresh and the save of the articles. Cancelled when no
    // file was chosen; failed when the workbook was refused or the save failed, and then the tables and the
    // workbook are as they were before.
    CommandResult ImportarFicheiro();
    // Asks for the workbook and runs the reception and corrections passes. Cancelled or failed, with nothing
    // changed, when the choice is cancelled or the workbook has no reception sheet with rows. The blanked
    // corrections are in Data1's workbook in memory, for the caller to commit.
    CommandResult LerFicheiroRecepcoes();
    void ActualizaDescricoesFamilias();
    // The code of the last family whose description equals DescFam, accents aside; empty when none does.
    QString Consulta_CodFamContabilisticaPorDesc(const QString& DescFam);

private:
    // Fills the articles from the reception sheet, whose headings are in the columns given.
    void receptionPass(const std::vector<int>& columns);
    void correctionsPass();
    // CONTA and DESCRICAO CONTA of every Contabilistica$ row in which both are filled, in sheet order.
    std::vector<std::pair<QString, QString>> familyRows();

    InventoryTables& m_tables;
    DataControl& m_data1;
    DataControl& m_data2;
    UserInteraction& m_ui;
    const Clock& m_clock;
};
