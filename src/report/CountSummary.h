#pragma once
#include <QString>

#include <vector>

class InventoryTables;

// The count at a glance: per cost centre, in the report's order, its readings, the doubtful ones (marks 2 and 3)
// and their value at purchase price as the report computes it; then the totals.
class CountSummary
{
public:
    struct Row
    {
        QString CentroCusto;
        int readings = 0;
        int doubtful = 0;
        double value = 0;
    };

    explicit CountSummary(InventoryTables& tables);

    const std::vector<Row>& rows() const { return m_rows; }
    const Row& total() const { return m_total; }

private:
    std::vector<Row> m_rows;
    Row m_total;
};
