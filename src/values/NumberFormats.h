#pragma once
#include <QString>

// Which number formats show a date or a time, the same for .xls and .xlsx.
namespace NumberFormats {

// The built-in formats 14-22 and 45-47, and the East Asian date formats.
bool isBuiltInDate(int index);
// A format string shows a date or time when it has date letters outside quotes, escapes and brackets
// (but for the elapsed-time brackets [h], [m] and [s]).
bool isDate(const QString& format);

} // namespace NumberFormats
