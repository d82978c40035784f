#include "workbook/xls/ContinuedRecordReader.h"

#include "workbook/xls/BiffCodec.h"

#include <algorithm>
#include <cstring>

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
    QString text(count, Qt::Uninitialized);
    characters(count, wide, reinterpret_cast<char16_t*>(text.data()));
    return text;
}

void ContinuedRecordReader::characters(qsizetype count, bool wide, char16_t* into)
{
    while (count > 0) {
        // Characters that go on in the next piece start there with a flags byte of their own.
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
            std::memcpy(into, data, size_t(take) * 2);
        else
            std::transform(data, data + take, into, [](char c) { return char16_t(quint8(c)); });
        into += take;
        m_pos += take * width;
        count -= take;
    }
}

ContinuedRecordReader::StringHead ContinuedRecordReader::stringHead(bool wideCount)
{
    const qsizetype count = wideCount ? word() : byte();
    const quint8 flags = byte();
    const qsizetype runCount = (flags & Biff::kStringRich) ? word() : 0;
    const qsizetype phoneticSize = (flags & Biff::kStringPhonetic) ? qsizetype(dword()) : 0;
    return { count, bool(flags & Biff::kStringWide), runCount * Biff::kRichTextRunSize, phoneticSize };
}

XlsString ContinuedRecordReader::unicodeString(bool wideCount)
{
    const StringHead head = stringHead(wideCount);
    QString text = characters(head.count, head.wide);
    QByteArray runs = bytes(head.runsSize);
    return XlsString(std::move(text), std::move(runs), bytes(head.phoneticSize));
}

void ContinuedRecordReader::skipEmpty()
{
    while (m_piece < m_pieces.size() && m_pos >= m_pieces[m_piece]->size()) {
        ++m_piece;
        m_pos = 0;
    }
}
