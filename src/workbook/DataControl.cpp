#include "workbook/DataControl.h"

#include "platform/SitePaths.h"
#include "workbook/WorkbookPreread.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

// The same value, bit for bit: a number's sign and a text's every character.
bool sameValue(const CellValue& held, const CellValue& given)
{
    if (held.type() != given.type())
        return false;
    if (held.isText()) {
        const QString& a = held.storedText();
        const QString& b = given.storedText();
        return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
    }
    const double a = held.numberValue();
    const double b = given.numberValue();
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

void DataControl::setDatabaseName(const QString& path)
{
    m_path = path;
    discardChanges();
}

void DataControl::discardChanges()
{
    m_loaded = false;
    m_dirty = false;
    m_book = Workbook();
    m_sheet = nullptr;
    m_cursor = SheetCursor();
    m_editMode = EditMode::None;
}

QString DataControl::sheetLabel() const
{
    return QStringLiteral("%1 do livro %2").arg(m_recordSource, m_path);
}

bool DataControl::Refresh(QString* error)
{
    m_sheet = nullptr;
    m_cursor = SheetCursor();
    m_editMode = EditMode::None;
    if (m_path.isEmpty()) {
        discardChanges();
        return true;
    }
    if (!m_loaded) {
        const QString file = SitePaths::resolve(m_path);
        if (!QFileInfo::exists(file)) {
            *error = QStringLiteral("O livro %1 não existe.").arg(m_path);
            return false;
        }
        const FileStamp stamp = FileStamp::of(file);
        if (!WorkbookPreread::take(file, &m_book) && !Workbook::read(file, &m_book, error))
            return false;
        m_stamp = stamp;
        m_loaded = true;
    }
    m_sheet = m_book.worksheet(m_recordSource);
    if (!m_sheet) {
        *error = missingSheet(m_recordSource);
        return false;
    }
    m_cursor = SheetCursor(*m_sheet);
    return true;
}

QString DataControl::missingSheet(const QString& sheet) const
{
    return QStringLiteral("A folha %1 não existe no livro %2.").arg(sheet, m_path);
}

bool DataControl::cursorOn(const QString& sheet, SheetCursor* cursor, QString* error) const
{
    const SheetCells* found = m_loaded ? m_book.worksheet(sheet) : nullptr;
    if (!found) {
        *error = missingSheet(sheet);
        return false;
    }
    *cursor = SheetCursor(*found);
    return true;
}

bool DataControl::MoveFirst(QString* error)
{
    if (!m_sheet || !m_cursor.hasRecords()) {
        *error = QStringLiteral("A folha %1 não tem linhas de dados.").arg(sheetLabel());
        return false;
    }
    m_cursor.MoveFirst();
    return true;
}

bool DataControl::columnOf(const QString& column, int* col, QString* error) const
{
    const int found = m_cursor.column(column);
    if (found < 0) {
        *error = QStringLiteral("A coluna %1 não existe na folha %2.").arg(column, sheetLabel());
        return false;
    }
    *col = found;
    return true;
}

bool DataControl::field(const QString& column, CellValue* value, QString* error) const
{
    int col = 0;
    if (!columnOf(column, &col, error))
        return false;
    if (m_editMode != EditMode::None) {
        for (const auto& [edited, editedValue] : m_buffer) {
            if (edited == col) {
                *value = editedValue;
                return true;
            }
        }
    }
    if (Eof() || m_editMode == EditMode::AddNew) {
        *value = CellValue();
        if (Eof() && m_editMode != EditMode::AddNew) {
            *error = QStringLiteral("Não há linha corrente na folha %1.").arg(sheetLabel());
            return false;
        }
        return true;
    }
    const SheetCells::Cell* cell = cellAt(m_cursor.row(), col);
    *value = cell ? cell->value() : CellValue();
    return true;
}

bool DataControl::Edit(QString* error)
{
    if (!m_sheet || Eof()) {
        *error = QStringLiteral("Não há linha corrente na folha %1.").arg(sheetLabel());
        return false;
    }
    m_editMode = EditMode::Edit;
    m_buffer.clear();
    return true;
}

bool DataControl::AddNew(QString* error)
{
    if (!m_sheet) {
        *error = QStringLiteral("A folha %1 não está aberta.").arg(sheetLabel());
        return false;
    }
    m_editMode = EditMode::AddNew;
    m_buffer.clear();
    return true;
}

bool DataControl::setField(const QString& column, const CellValue& value, QString* error)
{
    if (m_editMode == EditMode::None) {
        *error = QStringLiteral("A linha da folha %1 não está a ser editada.").arg(sheetLabel());
        return false;
    }
    int col = 0;
    return columnOf(column, &col, error) && setField(col, value);
}

// The value is moved on, into the row and then into its cell: a text is shared, not counted again at each step.
bool DataControl::setField(int column, CellValue&& value)
{
    if (column < 0 || m_editMode == EditMode::None)
        return false;
    // A save sets a row's columns in order: a column past the last one set is new to the row, with no search.
    if (!m_buffer.empty() && m_buffer.back().first >= column) {
        for (auto& [edited, editedValue] : m_buffer) {
            if (edited == column) {
                editedValue = std::move(value);
                return true;
            }
        }
    }
    m_buffer.emplace_back(column, std::move(value));
    return true;
}

// A date gets a date format (the cell's own, the one above, or the added one); a number or a text loses one;
// otherwise the cell keeps its format, and a new cell takes the format of the cell above. The cell above is
// looked at only when it decides: a save rewrites every cell of its sheets.
int DataControl::formatFor(const SheetCells::Cell* own, int row, int col, const CellValue& value)
{
    const auto above = [&] { return row - 1 > m_cursor.headingRow() ? cellAt(row - 1, col) : nullptr; };
    const SheetCells::Cell* up = own ? nullptr : above();
    const int base = own ? own->style : up ? up->style : m_book.defaultStyle();
    if (value.isDate()) {
        if (m_book.isDateStyle(base))
            return base;
        if (own)
            up = above();
        if (up && m_book.isDateStyle(up->style))
            return up->style;
        return m_book.dateStyle();
    }
    if (!value.isNull() && m_book.isDateStyle(base))
        return m_book.defaultStyle();
    return base;
}

// An .xls save copies the records of a cell left as read, and carries its sheet whole into a file saved
// meanwhile: a cell given back the value and format it was read with may stay as read, which spares its
// encoding. Not in .xlsx, where only the cells written go onto the other program's.
bool DataControl::setCell(int row, int col, CellValue&& value)
{
    SheetCells::Cell* own = m_sheet->cell(row, col);
    const int xf = formatFor(own, row, col, value);
    if (!own) {
        m_sheet->setCell(row, SheetCells::Cell { quint16(col), quint16(xf), true, std::move(value) });
        return true;
    }
    // An empty cell is written anew: what it was read from may be a text cell whose string is missing.
    if (!own->rewritten && !own->formula && !own->isNull() && own->style == xf && m_book.xls()
        && sameValue(*own, value))
        return false;
    static_cast<CellValue&>(*own) = std::move(value);
    own->style = quint16(xf);
    own->rewritten = true;
    return true;
}

bool DataControl::Update(QString* error)
{
    if (m_editMode == EditMode::None) {
        *error = QStringLiteral("A linha da folha %1 não está a ser editada.").arg(sheetLabel());
        return false;
    }
    const int row = m_editMode == EditMode::Edit ? m_cursor.row() : m_cursor.end();
    bool changed = m_editMode == EditMode::AddNew;
    for (auto& [col, value] : m_buffer)
        changed = setCell(row, col, std::move(value)) || changed;
    if (m_editMode == EditMode::AddNew) {
        m_cursor.extendTo(row + 1);
        m_sheet->rowCount = std::max(m_sheet->rowCount, row + 1);
        if (size_t(m_sheet->rowCount) > m_sheet->rows.size())
            m_sheet->rows.resize(size_t(m_sheet->rowCount));
    }
    // A sheet given back only what it held goes into the file as it came.
    m_sheet->modified = m_sheet->modified || changed;
    m_dirty = true;
    m_editMode = EditMode::None;
    m_buffer.clear();
    return true;
}

bool DataControl::lockedByAnotherProgram(QString* error) const
{
    const QFileInfo file(SitePaths::resolve(m_path));
    const QDir dir = file.absoluteDir();
    const QString name = file.fileName();
    const QStringList locks { QStringLiteral(".~lock.%1#").arg(name), QStringLiteral("~$") + name,
        QStringLiteral("~$") + name.mid(2) };
    for (const QString& lock : locks) {
        if (name.size() > 2 && QFileInfo::exists(dir.filePath(lock))) {
            // A program that crashed leaves its lock behind: say which file it is.
            *error = QStringLiteral("O livro %1 está aberto noutro programa (LibreOffice ou Excel). Feche-o e volte a "
                                    "tentar; nada foi gravado. Se nenhum programa o tem aberto, apague o ficheiro %2.")
                         .arg(m_path, QDir::toNativeSeparators(dir.filePath(lock)));
            return true;
        }
    }
    return false;
}

// Someone saved the file since we read it: take their workbook and put our changed sheets into it, as long
// as the cell formats our sheets point at are still the same.
bool DataControl::mergeChangesFromDisk(QString* error)
{
    Workbook fresh;
    if (!Workbook::read(SitePaths::resolve(m_path), &fresh, error))
        return false;
    if (!m_book.moveChangesInto(fresh)) {
        *error = QStringLiteral("O livro %1 foi alterado por outro programa depois de ser lido, de uma forma que não "
                                "se pode juntar a esta gravação. Nada foi gravado: volte a executar o comando.")
                     .arg(m_path);
        return false;
    }
    const QString sheetName = m_sheet ? m_sheet->name : QString();
    m_book = std::move(fresh);
    m_sheet = sheetName.isEmpty() ? nullptr : m_book.worksheet(sheetName);
    m_cursor.retarget(m_sheet);
    return true;
}

bool DataControl::commit(QString* error)
{
    if (!m_dirty)
        return true;
    if (lockedByAnotherProgram(error))
        return false;
    const QString file = SitePaths::resolve(m_path);
    if (!(FileStamp::of(file) == m_stamp) && !mergeChangesFromDisk(error))
        return false;
    if (!m_book.save(file, error))
        return false;
    m_stamp = FileStamp::of(file);
    m_dirty = false;
    return true;
}
