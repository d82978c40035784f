#include "workbook/xlsx/XmlScanner.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Where the prefix of a name ends, or -1. Names are short: a loop beats the call to memchr.
qsizetype colonIn(QByteArrayView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == ':')
            return i;
    }
    return -1;
}

bool isNameEnd(char c)
{
    return isSpace(c) || c == '>' || c == '/' || c == '=';
}

void appendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

} // namespace

XmlScanner::XmlScanner(QByteArrayView xml)
    : m_xml(xml)
{
    m_attributes.reserve(8);
    m_open.reserve(16);
}

XmlScanner::Token XmlScanner::fail(const QString& why)
{
    m_error = why;
    m_pos = m_xml.size();
    return m_token = Token::Invalid;
}

bool XmlScanner::skipPast(QByteArrayView terminator)
{
    const qsizetype at = m_xml.indexOf(terminator, m_pos);
    if (at < 0)
        return false;
    m_pos = at + terminator.size();
    return true;
}

void XmlScanner::splitName(QByteArrayView qualified)
{
    const qsizetype colon = colonIn(qualified);
    m_prefix = colon < 0 ? QByteArrayView() : qualified.first(colon);
    m_name = colon < 0 ? qualified : qualified.sliced(colon + 1);
}

XmlScanner::Token XmlScanner::next()
{
    if (m_token == Token::Invalid)
        return m_token;
    if (m_token == Token::StartElement && m_selfClosing) {
        m_selfClosing = false;
        m_open.pop_back();
        m_tokenStart = m_pos;
        return m_token = Token::EndElement;
    }
    const char* data = m_xml.data();
    const qsizetype size = m_xml.size();
    while (m_pos < size) {
        m_tokenStart = m_pos;
        if (data[m_pos] != '<') {
            const void* lt = std::memchr(data + m_pos, '<', size_t(size - m_pos));
            const qsizetype end = lt ? static_cast<const char*>(lt) - data : size;
            m_text = m_xml.sliced(m_pos, end - m_pos);
            m_textIsCdata = false;
            m_pos = end;
            if (m_open.empty()) {
                // Only blanks may stand outside the root element.
                for (char c : m_text) {
                    if (!isSpace(c))
                        return fail(QStringLiteral("texto fora do elemento principal"));
                }
                continue;
            }
            return m_token = Token::Text;
        }
        if (m_pos + 1 >= size)
            return fail(QStringLiteral("o documento termina a meio de uma etiqueta"));
        const char second = data[m_pos + 1];
        if (second == '/')
            return endTag();
        if (second == '?') {
            if (!skipPast("?>"))
                return fail(QStringLiteral("instrução de processamento por fechar"));
            continue;
        }
        if (second == '!') {
            const QByteArrayView rest = m_xml.sliced(m_pos);
            if (rest.startsWith("<!--")) {
                if (!skipPast("-->"))
                    return fail(QStringLiteral("comentário por fechar"));
                continue;
            }
            if (rest.startsWith("<![CDATA[")) {
                const qsizetype start = m_pos + 9;
                const qsizetype end = m_xml.indexOf("]]>", start);
                if (end < 0)
                    return fail(QStringLiteral("secção CDATA por fechar"));
                m_text = m_xml.sliced(start, end - start);
                m_textIsCdata = true;
                m_pos = end + 3;
                return m_token = Token::Text;
            }
            // A DTD may declare entities that expand without end or fetch files: the parts never have one.
            return fail(QStringLiteral("o documento declara um tipo de documento (DTD), que não é aceite"));
        }
        return startTag();
    }
    if (!m_open.empty())
        return fail(QStringLiteral("o documento termina com elementos por fechar"));
    return m_token = Token::End;
}

XmlScanner::Token XmlScanner::startTag()
{
    const char* data = m_xml.data();
    const qsizetype size = m_xml.size();
    qsizetype p = m_pos + 1;
    const qsizetype nameStart = p;
    while (p < size && !isNameEnd(data[p]))
        ++p;
    if (p == nameStart || p >= size)
        return fail(QStringLiteral("etiqueta sem nome"));
    const QByteArrayView qualified = m_xml.sliced(nameStart, p - nameStart);
    m_attributes.clear();
    while (true) {
        while (p < size && isSpace(data[p]))
            ++p;
        if (p >= size)
            return fail(QStringLiteral("o documento termina a meio de uma etiqueta"));
        if (data[p] == '>') {
            m_selfClosing = false;
            ++p;
            break;
        }
        if (data[p] == '/') {
            if (p + 1 >= size || data[p + 1] != '>')
                return fail(QStringLiteral("etiqueta mal fechada"));
            m_selfClosing = true;
            p += 2;
            break;
        }
        const qsizetype attrStart = p;
        while (p < size && !isNameEnd(data[p]))
            ++p;
        const QByteArrayView attrName = m_xml.sliced(attrStart, p - attrStart);
        while (p < size && isSpace(data[p]))
            ++p;
        if (attrName.isEmpty() || p >= size || data[p] != '=')
            return fail(QStringLiteral("atributo sem valor"));
        ++p;
        while (p < size && isSpace(data[p]))
            ++p;
        if (p >= size || (data[p] != '"' && data[p] != '\''))
            return fail(QStringLiteral("valor de atributo sem aspas"));
        const char quote = data[p++];
        const void* close = std::memchr(data + p, quote, size_t(size - p));
        if (!close)
            return fail(QStringLiteral("valor de atributo por fechar"));
        const qsizetype end = static_cast<const char*>(close) - data;
        const qsizetype colon = colonIn(attrName);
        m_attributes.push_back({ colon < 0 ? attrName : attrName.sliced(colon + 1), m_xml.sliced(p, end - p),
            m_xml.sliced(attrStart, end + 1 - attrStart) });
        p = end + 1;
    }
    m_pos = p;
    m_open.push_back(qualified);
    splitName(qualified);
    return m_token = Token::StartElement;
}

XmlScanner::Token XmlScanner::endTag()
{
    const void* close = std::memchr(m_xml.data() + m_pos, '>', size_t(m_xml.size() - m_pos));
    if (!close)
        return fail(QStringLiteral("o documento termina a meio de uma etiqueta"));
    const qsizetype end = static_cast<const char*>(close) - m_xml.data();
    QByteArrayView qualified = m_xml.sliced(m_pos + 2, end - m_pos - 2);
    while (!qualified.isEmpty() && isSpace(qualified.back()))
        qualified.chop(1);
    if (m_open.empty() || !same(m_open.back(), qualified))
        return fail(QStringLiteral("a etiqueta de fim </%1> não fecha o elemento aberto")
                        .arg(QString::fromUtf8(qualified.first(std::min<qsizetype>(qualified.size(), 40)))));
    m_open.pop_back();
    m_pos = end + 1;
    splitName(qualified);
    return m_token = Token::EndElement;
}

QByteArrayView XmlScanner::rawAttribute(QByteArrayView name) const
{
    for (const Attribute& a : m_attributes) {
        if (same(a.name, name))
            return a.value.isNull() ? QByteArrayView("") : a.value;
    }
    return {};
}

QString XmlScanner::attribute(QByteArrayView name) const
{
    QString value;
    decode(rawAttribute(name), &value);
    return value;
}

QString XmlScanner::text() const
{
    if (m_textIsCdata)
        return QString::fromUtf8(m_text);
    QString value;
    decode(m_text, &value);
    return value;
}

bool XmlScanner::decode(QByteArrayView raw, QString* text)
{
    qsizetype amp = raw.indexOf('&');
    if (amp < 0) {
        *text = QString::fromUtf8(raw);
        return true;
    }
    QByteArray out;
    out.reserve(raw.size());
    qsizetype from = 0;
    bool known = true;
    while (amp >= 0) {
        out.append(raw.sliced(from, amp - from));
        // A reference is short ("&#x1F600;"): a stray "&" must not send the search to the end of the text.
        const qsizetype semi = raw.sliced(amp, std::min<qsizetype>(raw.size() - amp, 12)).indexOf(';');
        const qsizetype semiAt = semi < 0 ? -1 : amp + semi;
        const QByteArrayView entity = semiAt < 0 ? QByteArrayView() : raw.sliced(amp + 1, semiAt - amp - 1);
        if (entity == "amp")
            out.append('&');
        else if (entity == "lt")
            out.append('<');
        else if (entity == "gt")
            out.append('>');
        else if (entity == "quot")
            out.append('"');
        else if (entity == "apos")
            out.append('\'');
        else if (entity.size() > 1 && entity.front() == '#') {
            const bool hex = entity.at(1) == 'x' || entity.at(1) == 'X';
            const QByteArrayView digits = entity.sliced(hex ? 2 : 1);
            quint32 code = 0;
            const auto [end, ec] = std::from_chars(digits.begin(), digits.end(), code, hex ? 16 : 10);
            const bool valid = ec == std::errc() && end == digits.end() && code > 0 && code <= 0x10FFFF
                && (code < 0xD800 || code > 0xDFFF);
            appendUtf8(out, valid ? char32_t(code) : char32_t(0xFFFD));
            known = known && valid;
        } else {
            // An entity no DTD declared: kept as written.
            out.append('&');
            known = false;
            from = amp + 1;
            amp = raw.indexOf('&', from);
            continue;
        }
        from = semiAt + 1;
        amp = raw.indexOf('&', from);
    }
    out.append(raw.sliced(from));
    *text = QString::fromUtf8(out);
    return known;
}

void XmlScanner::skipElement()
{
    const int depthOfElement = depth();
    while (depth() >= depthOfElement) {
        const Token t = next();
        if (t == Token::Invalid || t == Token::End)
            return;
    }
}

bool XmlScanner::nextChild(int depth)
{
    while (next() != Token::End && m_token != Token::Invalid) {
        if (m_token == Token::EndElement && int(m_open.size()) < depth)
            return false;
        if (m_token == Token::StartElement)
            return true;
    }
    return false;
}
