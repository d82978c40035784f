#pragma once
#include "values/CellValue.h"

#include <QString>

#include <vector>

class DataControl;
class InventoryTables;
class UserInteraction;

// Fills the tables from the inventory workbook at start-up, one sheet each. A loader that fails leaves the
// description of the failure in error.
class InventoryLoader
{
public:
    InventoryLoader(DataControl& data1, InventoryTables& tables, UserInteraction& ui);

    bool LerFicheiroContasContabilisticas(QString* error);
    bool LerFicheiroArtigos(QString* error);
    bool LerFicheiroDasLeituras(QString* error);
    bool LerFicheiroCodigosBarras(QString* error);

    // The four loaders in start-up order. On a failure, stops and gives start-up's two messages.
    bool loadAll(QString* firstMessage, QString* secondMessage);

private:
    bool openReadings(std::vector<int>* columns, QString* error);

    DataControl& m_data1;
    InventoryTables& m_tables;
    UserInteraction& m_ui;
};
