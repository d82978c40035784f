#include "workbook/xls/BiffRecords.h"

#include "workbook/xls/BiffCodec.h"

#include <initializer_list>

namespace BiffRecords {

namespace {

// Bits of an XF: the style flag in the type field, and in the used attributes the number format.
constexpr qsizetype kXfTypeAt = 4;
constexpr char kXfIsStyle = 0x04;
constexpr qsizetype kXfUsedAttributesAtBiff8 = 9;
constexpr qsizetype kXfUsedAttributesAtBiff5 = 7;
constexpr char kXfUsesNumberFormat = 0x04;

QByteArray words(std::initializer_list<quint16> values)
{
    QByteArray d;
    for (quint16 v : values)
        BiffCodec::append16(d, v);
    return d;
}

} // namespace

QByteArray bof(quint16 type)
{
    QByteArray d = words({ Biff::kVersionBiff8, type, 0x0DBB, 0x07CC }); // build and year of Excel 97
    BiffCodec::append32(d, 0); // file history flags
    BiffCodec::append32(d, 0x06); // the lowest Excel version that can read it
    return d;
}

QByteArray codepage(quint16 codepage)
{
    return words({ codepage });
}

QByteArray window1()
{
    return words({ 0, 0, 0x3A98, 0x2328, 0x0038, 0, 0, 1, 0x0258 });
}

QByteArray font(quint16 weight)
{
    QByteArray d = words({ 200, 0, 0x7FFF, weight, 0 });
    d.append(QByteArray(4, '\0'));
    d.append(char(5)).append(char(0)).append("Arial");
    return d;
}

QByteArray format(bool biff8, quint16 index, const QString& pattern)
{
    QByteArray d = words({ index });
    if (biff8) {
        BiffCodec::append16(d, quint16(pattern.size()));
        d.append(char(0)); // one byte a character
    } else {
        d.append(char(pattern.size()));
    }
    d.append(pattern.toLatin1());
    return d;
}

QByteArray xf(quint16 font, quint16 format, bool style, quint8 usedAttributes)
{
    QByteArray d = words({ font, format, quint16(style ? 0xFFF5 : 0x0001) });
    d.append(char(0x20)).append(char(0)).append(char(0)).append(char(usedAttributes));
    d.append(QByteArray(8, '\0'));
    BiffCodec::append16(d, 0x20C0);
    return d;
}

QByteArray withNumberFormat(QByteArray xf, bool biff8, quint16 format)
{
    BiffCodec::put16(xf, 2, format);
    xf[kXfTypeAt] = char(xf[kXfTypeAt] & ~kXfIsStyle);
    const qsizetype usedAttributes = biff8 ? kXfUsedAttributesAtBiff8 : kXfUsedAttributesAtBiff5;
    xf[usedAttributes] = char(xf[usedAttributes] | kXfUsesNumberFormat);
    return xf;
}

QByteArray normalStyle()
{
    QByteArray d = words({ 0x8000 });
    d.append(char(0)).append(char(0xFF));
    return d;
}

QByteArray boundSheet(const QString& name)
{
    QByteArray d;
    BiffCodec::append32(d, 0);
    d.append(char(0)).append(char(0));
    d.append(char(name.size())).append(char(0)).append(name.toLatin1());
    return d;
}

QByteArray window2(bool selected)
{
    return words({ quint16(selected ? 0x06B6 : 0x00B6), 0, 0, 0x40, 0, 0, 0, 0, 0 });
}

} // namespace BiffRecords
