#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include <vector>

// An editor's grid: rows of texts, each tied to the record it shows, with a background for columns 1 and up.
// The grid is the edit buffer: a row keeps the texts it was filled with, so the changes can be told apart.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Row
    {
        quint64 recordId = 0; // 0 for a row the user added
        QStringList cells;
        QStringList original; // the cells as filled; empty for a row the user added
        QColor colour; // invalid for the default background
        bool unmarked = false; // a reading whose doubtful mark the user cleared
    };

    explicit GridModel(QStringList headers, QObject* parent = nullptr);

    void setRows(std::vector<Row> rows);
    const std::vector<Row>& rows() const { return m_rows; }
    const Row& row(int row) const { return m_rows.at(size_t(row)); }
    QString text(int row, int column) const { return m_rows.at(size_t(row)).cells.value(column); }
    void setText(int row, int column, const QString& text);
    void setColour(int row, const QColor& colour);
    void setUnmarked(int row);
    void removeRowAt(int row);
    // Cells that differ from what the row was filled with, by column; every cell of an added row.
    QHash<int, QString> changes(int row) const;
    // What those cells held when the row was filled; empty for an added row.
    QHash<int, QString> originals(int row) const;
    // The distinct texts of a column in row order, compared without their outer blanks; empty ones left out.
    QStringList distinctTexts(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_headers;
    std::vector<Row> m_rows;
};
