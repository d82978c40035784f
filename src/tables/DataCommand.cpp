#include "tables/DataCommand.h"

#include "tables/InventoryTables.h"
#include "workbook/DataControl.h"

#include <optional>

DataCommand::DataCommand(InventoryTables& tables, DataControl& data1)
    : m_tables(tables)
    , m_data1(data1)
{
}

bool DataCommand::run(const std::function<bool(QString*)>& work, QString* error)
{
    std::optional<InventoryTables> snapshot;
    if (m_tables.restoredAfterFailure())
        snapshot.emplace(m_tables.snapshot());
    QString cause;
    if (work(&cause) && m_data1.commit(&cause))
        return true;
    if (snapshot)
        m_tables.restore(*snapshot);
    m_data1.discardChanges();
    *error = cause.isEmpty() ? QStringLiteral("O comando falhou; nada foi alterado.") : cause;
    return false;
}
