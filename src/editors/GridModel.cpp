#include "editors/GridModel.h"

#include "values/Conversions.h"

#include <QBrush>
#include <QSet>

GridModel::GridModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent)
    , m_headers(std::move(headers))
{
}

void GridModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void GridModel::setText(int row, int column, const QString& text)
{
    QStringList& cells = m_rows.at(size_t(row)).cells;
    if (cells.value(column) == text)
        return;
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = text;
    Q_EMIT dataChanged(index(row, column), index(row, column));
}

void GridModel::setColour(int row, const QColor& colour)
{
    m_rows.at(size_t(row)).colour = colour;
    Q_EMIT dataChanged(index(row, 1), index(row, columnCount() - 1), { Qt::BackgroundRole });
}

void GridModel::setUnmarked(int row)
{
    m_rows.at(size_t(row)).unmarked = true;
    setColour(row, QColor());
}

void GridModel::removeRowAt(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

QHash<int, QString> GridModel::changes(int row) const
{
    const Row& r = m_rows.at(size_t(row));
    QHash<int, QString> changed;
    for (int column = 0; column < r.cells.size(); ++column) {
        if (r.original.isEmpty() || r.cells.at(column) != r.original.value(column))
            changed.insert(column, r.cells.at(column));
    }
    return changed;
}

QHash<int, QString> GridModel::originals(int row) const
{
    const Row& r = m_rows.at(size_t(row));
    QHash<int, QString> filled;
    for (int column = 0; column < r.original.size(); ++column) {
        if (r.cells.value(column) != r.original.at(column))
            filled.insert(column, r.original.at(column));
    }
    return filled;
}

QStringList GridModel::distinctTexts(int column) const
{
    QStringList texts;
    QSet<QString> seen;
    for (const Row& row : m_rows) {
        const QString& cell = row.cells.at(column);
        const QString trimmed = Conversions::trimBlanks(cell);
        if (!trimmed.isEmpty() && !seen.contains(trimmed)) {
            seen.insert(trimmed);
            texts.append(cell);
        }
    }
    return texts;
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Row& row = m_rows.at(size_t(index.row()));
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return row.cells.value(index.column());
    if (role == Qt::BackgroundRole && index.column() > 0 && row.colour.isValid())
        return QBrush(row.colour);
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return m_headers.value(section);
}
