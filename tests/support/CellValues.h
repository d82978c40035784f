#pragma once
#include "values/CellValue.h"

#include <QString>
#include <QStringView>

// Short names for the cells the tests fill tables with. A QString is shared, as a cell read from a file shares it.
inline CellValue T(const QString& text)
{
    return CellValue::text(text);
}
inline CellValue T(QStringView text)
{
    return CellValue::text(text.toString());
}
inline CellValue T(const char* text)
{
    return CellValue::text(QString::fromUtf8(text));
}
inline CellValue N(double value)
{
    return CellValue::number(value);
}
