#pragma once
#include "workbook/xls/XlsWorkbook.h"
#include "workbook/xlsx/XlsxWorkbook.h"

#include <QString>

#include <variant>

// A workbook as the store holds it, .xls or .xlsx, told apart by the file's content rather than its name.
class Workbook
{
public:
    // False with a message naming the file and the cause; book is then empty.
    static bool read(const QString& path, Workbook* book, QString* error);

    // The worksheet by name, with or without the trailing "$", ignoring case; nullptr when there is none.
    SheetCells* worksheet(const QString& name);
    const SheetCells* worksheet(const QString& name) const;

    // Inline: a save asks it for most cells it writes.
    bool isDateStyle(int style) const
    {
        return std::visit([style](const auto& book) { return book.isDateXf(style); }, m_book);
    }
    // The style for a date written where no date style was (added to the workbook the first time).
    int dateStyle();
    // The style a number or a text takes when it drops a date style.
    int defaultStyle() const;

    // Puts the sheets changed here into fresh, the same file as another program saved it meanwhile. False
    // when the formats the changed cells use are not the same there (or a changed sheet is gone).
    bool moveChangesInto(Workbook& fresh) const;

    // The workbook written to path as one atomic replace, in the format it was read in.
    bool save(const QString& path, QString* error);

    // The .xls workbook held, nullptr for an .xlsx.
    const XlsWorkbook* xls() const { return std::get_if<XlsWorkbook>(&m_book); }

private:
    std::variant<XlsWorkbook, XlsxWorkbook> m_book;
};
