#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// A new Excel workbook (.xlsx) as the bytes of its package.
namespace EmptyXlsxWorkbook {

struct Sheet
{
    QString name;
    QStringList headings;
};

// The sheets in this order, each with its headings in bold on the first row, and a dd/mm/yyyy date style
// ready for the dates written.
bool make(const std::vector<Sheet>& sheets, QByteArray* bytes, QString* error);

} // namespace EmptyXlsxWorkbook
