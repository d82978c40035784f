#pragma once
#include "values/CellValue.h"
#include "workbook/FileStamp.h"
#include "workbook/SheetCursor.h"
#include "workbook/Workbook.h"

#include <QString>

#include <utility>
#include <vector>

// A workbook opened as a database, one sheet at a time: the sheet's first used row names the columns and
// every row under it is a record. Changes stay in memory until commit(), which writes the file once.
class DataControl
{
public:
    QString DatabaseName() const { return m_path; }
    // A new name (or the empty text) releases the workbook held; the next Refresh reads the file.
    void setDatabaseName(const QString& path);
    void setRecordSource(const QString& sheet) { m_recordSource = sheet; }
    // Opens the workbook when it is not held yet and makes RecordSource the current table.
    bool Refresh(QString* error);

    // Fails when the sheet has no data row.
    bool MoveFirst(QString* error);
    void MoveNext() { m_cursor.MoveNext(); }
    // Goes to the last row; on a sheet without data rows it leaves RecordCount at 0.
    void MoveLast() { m_cursor.MoveLast(); }
    int RecordCount() const { return m_cursor.RecordCount(); }
    bool Eof() const { return m_cursor.Eof(); }

    // The cell of the current row under that heading; fails when the column does not exist or no row is current.
    bool field(const QString& column, CellValue* value, QString* error) const;
    // The column under that heading, or -1; field(int) then reads it without looking the heading up again.
    int column(const QString& heading) const { return m_cursor.column(heading); }
    // A Null value when there is no such cell; the reference lasts until the sheet changes.
    const CellValue& field(int column) const { return m_cursor.field(m_editMode == EditMode::AddNew ? -1 : column); }
    bool Edit(QString* error);
    bool AddNew(QString* error);
    bool setField(const QString& column, const CellValue& value, QString* error);
    // The same by column; false when the column is -1 or no row is being edited.
    bool setField(int column, const CellValue& value) { return setField(column, CellValue(value)); }
    bool setField(int column, CellValue&& value);
    bool Update(QString* error);

    // Writes the changed workbook over its file as one atomic replace. Refused when the workbook is open
    // in LibreOffice or Excel, or changed on disk in a way that cannot be merged.
    bool commit(QString* error);
    // Forgets the changes made since the last commit: the next Refresh reads the file again.
    void discardChanges();
    bool hasChanges() const { return m_dirty; }

    // The workbook held, for the commands that read it whole (nullptr before the first Refresh).
    const Workbook* workbook() const { return m_loaded ? &m_book : nullptr; }
    // A cursor of its own on another sheet of the workbook held (after a Refresh), for reading beside this one.
    bool cursorOn(const QString& sheet, SheetCursor* cursor, QString* error) const;

private:
    bool lockedByAnotherProgram(QString* error) const;
    bool mergeChangesFromDisk(QString* error);
    QString sheetLabel() const;
    const SheetCells::Cell* cellAt(int row, int col) const { return m_cursor.cellAt(row, col); }
    QString missingSheet(const QString& sheet) const;
    int formatFor(const SheetCells::Cell* own, int row, int col, const CellValue& value);
    bool setCell(int row, int col, CellValue&& value);
    bool columnOf(const QString& column, int* col, QString* error) const;

    QString m_path;
    QString m_recordSource;
    Workbook m_book;
    bool m_loaded = false;
    bool m_dirty = false;
    FileStamp m_stamp;

    SheetCells* m_sheet = nullptr;
    SheetCursor m_cursor;

    enum class EditMode
    {
        None,
        Edit,
        AddNew,
    };
    EditMode m_editMode = EditMode::None;
    std::vector<std::pair<int, CellValue>> m_buffer; // column and value of the row being edited
};
