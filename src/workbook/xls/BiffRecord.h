#pragma once
#include <QByteArray>
#include <QtGlobal>

// One record of a BIFF stream: its id and its data, as stored (a CONTINUE is a record of its own).
struct BiffRecord
{
    quint16 id = 0;
    QByteArray data;
};

namespace BiffId {
constexpr quint16 Formula = 0x0006;
constexpr quint16 Bof2 = 0x0009; // the BOFs of Excel 2.x to 4.0, which we do not read
constexpr quint16 Eof = 0x000A;
constexpr quint16 Note = 0x001C;
constexpr quint16 Selection = 0x001D;
constexpr quint16 DateMode = 0x0022;
constexpr quint16 Filepass = 0x002F;
constexpr quint16 Font = 0x0031;
constexpr quint16 Continue = 0x003C;
constexpr quint16 Window1 = 0x003D;
constexpr quint16 Pane = 0x0041;
constexpr quint16 Codepage = 0x0042;
constexpr quint16 DefColWidth = 0x0055;
constexpr quint16 Obj = 0x005D;
constexpr quint16 BoundSheet = 0x0085;
constexpr quint16 Scl = 0x00A0;
constexpr quint16 MulRk = 0x00BD;
constexpr quint16 MulBlank = 0x00BE;
constexpr quint16 RString = 0x00D6;
constexpr quint16 DbCell = 0x00D7;
constexpr quint16 Xf = 0x00E0;
constexpr quint16 MergedCells = 0x00E5;
constexpr quint16 MsoDrawing = 0x00EC;
constexpr quint16 Sst = 0x00FC;
constexpr quint16 LabelSst = 0x00FD;
constexpr quint16 ExtSst = 0x00FF;
constexpr quint16 Txo = 0x01B6;
constexpr quint16 Dimensions = 0x0200;
constexpr quint16 Blank = 0x0201;
constexpr quint16 Number = 0x0203;
constexpr quint16 Label = 0x0204;
constexpr quint16 BoolErr = 0x0205;
constexpr quint16 String = 0x0207;
constexpr quint16 Row = 0x0208;
constexpr quint16 Bof3 = 0x0209;
constexpr quint16 Index = 0x020B;
constexpr quint16 Array = 0x0221;
constexpr quint16 Table = 0x0236;
constexpr quint16 Window2 = 0x023E;
constexpr quint16 Rk = 0x027E;
constexpr quint16 Style = 0x0293;
constexpr quint16 Bof4 = 0x0409;
constexpr quint16 Format = 0x041E;
constexpr quint16 ShrFmla = 0x04BC;
constexpr quint16 Bof = 0x0809;
} // namespace BiffId

// Numbers of the format, named once for the reader, the writer and the workbooks they make.
namespace Biff {
constexpr quint16 kVersionBiff5 = 0x0500;
constexpr quint16 kVersionBiff8 = 0x0600;
constexpr quint16 kBofGlobals = 0x0005;
constexpr quint16 kBofWorksheet = 0x0010;

constexpr qsizetype kRecordHeaderSize = 4; // id and length
constexpr qsizetype kMaxRecordDataBiff8 = 8224; // longer data goes on in CONTINUE records
constexpr qsizetype kMaxRecordDataBiff5 = 2080;
constexpr qsizetype kCellHeaderSize = 6; // row, column and XF, before the value of every cell record
constexpr qsizetype kRowRecordSize = 16;
// MULRK and MULBLANK: row, first column, one entry a column, last column.
constexpr qsizetype kMulFirstEntryAt = 4;
constexpr qsizetype kMulRkEntrySize = 6; // XF and RK
constexpr qsizetype kMulBlankEntrySize = 2; // XF

constexpr int kMaxRowsBiff5 = 16384;
constexpr int kMaxRowsBiff8 = 65536;
constexpr int kMaxColumns = 256;

// XFs 0-14 are the built-in styles and 15 the format of a cell that names none.
constexpr int kDefaultCellXf = 15;
constexpr int kFirstCustomFormat = 164;
// In the 1904 date system day 0 is 1 January 1904, 1462 days after the OLE day 0.
constexpr double kDate1904Offset = 1462;

constexpr quint16 kCodepageUtf16 = 1200;
constexpr quint16 kCodepageWindows1252 = 1252;
constexpr quint16 kCodepageOldWindows1252 = 0x8001; // what Excel 2.x and 3.0 wrote for 1252

// The flags byte of a BIFF8 string.
constexpr quint8 kStringWide = 0x01; // UTF-16LE characters, else one byte each
constexpr quint8 kStringPhonetic = 0x04;
constexpr quint8 kStringRich = 0x08;
constexpr qsizetype kRichTextRunSize = 4; // first character and font of one run
} // namespace Biff
