#pragma once
#include <QByteArray>
#include <QString>

// The data of the workbook-wide and window records a new workbook needs, and of the date format the
// program adds. BIFF8 unless they take the version.
namespace BiffRecords {

constexpr qsizetype kXfSizeBiff8 = 20;
constexpr qsizetype kXfSizeBiff5 = 16;

// type is Biff::kBofGlobals or Biff::kBofWorksheet.
QByteArray bof(quint16 type);
QByteArray codepage(quint16 codepage);
QByteArray window1();
// 10-point Arial; weight 400 is normal, 700 bold.
QByteArray font(quint16 weight);
// A custom number format; BIFF8 counts its characters in two bytes and flags them, BIFF5 in one byte.
QByteArray format(bool biff8, quint16 index, const QString& pattern);
QByteArray xf(quint16 font, quint16 format, bool style, quint8 usedAttributes);
// The XF data turned into a cell format showing number format `format`, its own choice of number format.
QByteArray withNumberFormat(QByteArray xf, bool biff8, quint16 format);
// The built-in Normal style on XF 0.
QByteArray normalStyle();
// Its stream position is patched in by the writer.
QByteArray boundSheet(const QString& name);
// Only the first sheet of a workbook is selected.
QByteArray window2(bool selected);

} // namespace BiffRecords
