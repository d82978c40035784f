#include "workbook/xls/ContinuedRecordReader.h"

#include "workbook/xls/BiffCodec.h"

#include <algorithm>

ContinuedRecordReader::ContinuedRecordReader(std::vector<const QByteArray*> pieces)
    : m_pieces(std::move(pieces))
{
}

bool ContinuedRecordReader::atEnd()
{
    skipEmpty();
    return m_piece >= m_pieces.size();
}

QByteArray ContinuedRecordReader::bytes(qsizetype count)
{
    QByteArray out;
    if (count <= 0)
        return out;
    while (count > 0) {
        skipEmpty();
        if (m_piece >= m_pieces.size())
            throw BiffDamaged { QStringLiteral("texto partido a meio") };
        const QByteArray& p = *m_pieces[m_piece];
        const qsizetype take = std::min(count, p.size() - m_pos);
        out.append(p.constData() + m_pos, take);
        m_pos += take;
        count -= take;
    }
    return out;
}

// Byte by byte rather than through bytes(): the shared strings of a large workbook read a few of these each.
quint8 ContinuedRecordReader::byte()
{
    skipEmpty();
    if (m_piece >= m_pieces.size())
        throw BiffDamaged { QStringLiteral("texto partido a meio") };
    return quint8(m_pieces[m_piece]->at(m_pos++));
}

quint16 ContinuedRecordReader::word()
{
    const quint8 low = byte();
    return quint16(low | byte() << 8);
}

quint32 ContinuedRecordReader::dword()
{
    const quint16 low = word();
    return quint32(low) | quint32(word()) << 16;
}

QString ContinuedRecordReader::characters(qsizetype count, bool wide)
{
    // Most strings lie whole in their record: made in one piece.
    if (m_piece < m_pieces.size()) {
        const QByteArray& p = *m_pieces[m_piece];
        const qsizetype size = count * (wide ? 2 : 1);
        if (size <= p.size() - m_pos) {
            const char* data = p.constData() + m_pos;
            m_pos += size;
            return wide ? QString(reinterpret_cast<const QChar*>(data), count) : QString::fromLatin1(data, count);
        }
    }
    QString text;
    text.reserve(count);
    while (count > 0) {
        if (m_piece < m_pieces.size() && m_pos >= m_pieces[m_piece]->size()) {
            ++m_piece;
            m_pos = 0;
            wide = byte() & Biff::kStringWide;
        }
        if (m_piece >= m_pieces.size())
            throw BiffDamaged { QStringLiteral("texto partido a meio") };
        const QByteArray& p = *m_pieces[m_piece];
        const qsizetype width = wide ? 2 : 1;
        const qsizetype take = std::min(count, (p.size() - m_pos) / width);
        if (take == 0)
            throw BiffDamaged { QStringLiteral("carácter partido a meio") };
        const char* data = p.constData() + m_pos;
        if (wide)
            text.append(QStringView(reinterpret_cast<const char16_t*>(data), take));
        else
            text.append(QLatin1StringView(data, take));
        m_pos += take * width;
        count -= take;
    }
    return text;
}

XlsString ContinuedRecordReader::unicodeString(bool wideCount)
{
    const qsizetype count = wideCount ? word() : byte();
    const quint8 flags = byte();
    const qsizetype runCount = (flags & Biff::kStringRich) ? word() : 0;
    const qsizetype phoneticSize = (flags & Biff::kStringPhonetic) ? qsizetype(dword()) : 0;
    QString text = characters(count, flags & Biff::kStringWide);
    QByteArray runs = bytes(runCount * Biff::kRichTextRunSize);
    return XlsString(std::move(text), std::move(runs), bytes(phoneticSize));
}

void ContinuedRecordReader::skipEmpty()
{
    while (m_piece < m_pieces.size() && m_pos >= m_pieces[m_piece]->size()) {
        ++m_piece;
        m_pos = 0;
    }
}
