#include "workbook/xlsx/XmlOutput.h"

#include "workbook/xlsx/PartDeflater.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

char* escape(char* p, char16_t c)
{
    static const char hex[] = "0123456789ABCDEF";
    *p++ = '_';
    *p++ = 'x';
    for (int shift = 12; shift >= 0; shift -= 4)
        *p++ = hex[(c >> shift) & 0xF];
    *p++ = '_';
    return p;
}

char* literal(char* p, const char* text)
{
    const size_t n = std::strlen(text);
    std::memcpy(p, text, n);
    return p + n;
}

} // namespace

XmlOutput::XmlOutput(qsizetype capacity, PartDeflater* deflater)
    : m_deflater(deflater)
{
    m_bytes.resize(std::max<qsizetype>(capacity, 64));
    m_at = m_bytes.data();
    m_end = m_at + m_bytes.size();
}

void XmlOutput::flush()
{
    if (m_deflater && m_at != m_bytes.constData()) {
        m_deflater->write(QByteArrayView(m_bytes.constData(), m_at - m_bytes.constData()));
        m_at = m_bytes.data();
    }
}

char* XmlOutput::room(qsizetype size)
{
    if (m_end - m_at < size)
        flush();
    if (m_end - m_at < size) {
        const qsizetype used = m_at - m_bytes.constData();
        m_bytes.resize(std::max(m_bytes.size() * 2, used + size));
        m_at = m_bytes.data() + used;
        m_end = m_bytes.data() + m_bytes.size();
    }
    return m_at;
}

void XmlOutput::append(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    std::memcpy(room(bytes.size()), bytes.data(), size_t(bytes.size()));
    m_at += bytes.size();
}

void XmlOutput::append(char c)
{
    *room(1) = c;
    ++m_at;
}

void XmlOutput::appendInt(qint64 value)
{
    char* p = room(24);
    m_at = std::to_chars(p, p + 24, value).ptr;
}

void XmlOutput::appendNumber(double value)
{
    char* p = room(32);
    m_at = std::to_chars(p, p + 32, value).ptr;
}

void XmlOutput::appendReference(int col, int row)
{
    char letters[4];
    int n = 0;
    for (int c = col + 1; c > 0 && n < 4; c = (c - 1) / 26)
        letters[n++] = char('A' + (c - 1) % 26);
    char* p = room(n + 12);
    while (n > 0)
        *p++ = letters[--n];
    m_at = std::to_chars(p, p + 12, row + 1).ptr;
}

void XmlOutput::appendText(QStringView text)
{
    // At most seven bytes a UTF-16 unit (an escape); a surrogate pair takes four for two.
    char* p = room(text.size() * 7);
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            if (const char* reference = c == u'&' ? "&amp;"
                    : c == u'<'                   ? "&lt;"
                    : c == u'>'                   ? "&gt;"
                    : c == u'"'                   ? "&quot;"
                                                  : nullptr)
                p = literal(p, reference);
            else if ((c < 0x20 && c != u'\t' && c != u'\n') || (c == u'_' && i + 1 < n && s[i + 1] == u'x'))
                p = escape(p, c);
            else
                *p++ = char(c);
        } else if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
            *p++ = char(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            const char32_t u = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[++i] - 0xDC00);
            *p++ = char(0xF0 | (u >> 18));
            *p++ = char(0x80 | ((u >> 12) & 0x3F));
            *p++ = char(0x80 | ((u >> 6) & 0x3F));
            *p++ = char(0x80 | (u & 0x3F));
        } else if ((c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFFE) {
            p = escape(p, c);
        } else {
            *p++ = char(0xE0 | (c >> 12));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
            *p++ = char(0x80 | (c & 0x3F));
        }
    }
    m_at = p;
}

QByteArray XmlOutput::take()
{
    m_bytes.resize(m_at - m_bytes.constData());
    m_at = m_end = nullptr;
    return std::move(m_bytes);
}

QByteArray XmlOutput::escaped(QStringView text)
{
    XmlOutput out(text.size() * 7);
    out.appendText(text);
    return out.take();
}
