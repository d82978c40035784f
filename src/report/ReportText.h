#pragma once
#include <QByteArray>
#include <QString>

class InventoryTables;

// The small text functions and lookups of the inventory report.
namespace ReportText {

// st trimmed of blanks, then cut or padded with blanks to exactly size characters (nothing when size < 1).
QString FormatStrSpaces2(const QString& st, int size);
// The first family slot whose Conta equals the trimmed code, or 0 (the empty slot).
int ProcuraConta(const InventoryTables& tables, const QString& code);

// v rounded to two decimals (halves to even), right-aligned with two decimals in width characters; a longer
// text keeps its last width characters.
QString valueText(double v, int width);
// The same with three decimals.
QString quantityText(double v, int width);
// The same texts appended to out, one byte a character.
void appendValue(QByteArray& out, double v, int width);
void appendQuantity(QByteArray& out, double v, int width);

} // namespace ReportText
