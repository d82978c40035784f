#include "workbook/xlsx/XmlEdits.h"

#include "workbook/xlsx/XmlScanner.h"

#include <charconv>

namespace XmlEdits {

using Token = XmlScanner::Token;

QByteArray withAttribute(const QByteArray& xml, QByteArrayView element, QByteArrayView name, QByteArrayView value)
{
    XmlScanner scan(xml);
    while (scan.next() != Token::End && scan.token() != Token::Invalid) {
        if (scan.token() != Token::StartElement || !scan.isNamed(element))
            continue;
        QByteArray out = xml.left(scan.tokenStart());
        const QByteArrayView tag = QByteArrayView(xml).sliced(scan.tokenStart(), scan.tokenEnd() - scan.tokenStart());
        const QByteArrayView old = scan.rawAttribute(name);
        if (!old.isNull()) {
            const qsizetype at = old.data() - xml.constData();
            out = xml.left(at) + value.toByteArray() + xml.mid(at + old.size());
            return out;
        }
        const qsizetype nameEnd = 1 + scan.prefix().size() + (scan.prefix().isEmpty() ? 0 : 1) + element.size();
        out.append(tag.first(nameEnd));
        out.append(' ');
        out.append(name);
        out.append("=\"");
        out.append(value);
        out.append('"');
        out.append(tag.sliced(nameEnd));
        out.append(xml.mid(scan.tokenEnd()));
        return out;
    }
    return xml;
}

QByteArray withoutElement(const QByteArray& xml, QByteArrayView element, QByteArrayView attribute, const QString& value)
{
    XmlScanner scan(xml);
    while (scan.next() != Token::End && scan.token() != Token::Invalid) {
        if (scan.token() != Token::StartElement || !scan.isNamed(element)
            || scan.attribute(attribute).compare(value, Qt::CaseInsensitive) != 0)
            continue;
        const qsizetype start = scan.tokenStart();
        scan.skipElement();
        return xml.left(start) + xml.mid(scan.tokenEnd());
    }
    return xml;
}

bool appendChild(QByteArray& xml, QByteArrayView element, QByteArrayView parent, const QByteArray& child)
{
    XmlScanner scan(xml);
    qsizetype parentEnd = -1;
    QByteArray prefix;
    while (scan.next() != Token::End && scan.token() != Token::Invalid) {
        if (scan.token() != Token::StartElement)
            continue;
        if (scan.isNamed(parent) && parentEnd < 0) {
            parentEnd = scan.tokenEnd();
            prefix = scan.prefix().isEmpty() ? QByteArray() : scan.prefix().toByteArray() + ':';
        }
        if (!scan.isNamed(element))
            continue;
        const QByteArrayView count = scan.rawAttribute("count");
        const qsizetype countAt = count.isNull() ? -1 : count.data() - xml.constData();
        const qsizetype countSize = count.size();
        int n = 0;
        if (!count.isNull())
            std::from_chars(count.begin(), count.end(), n);
        const qsizetype tagStart = scan.tokenStart();
        const bool selfClosing = xml.at(scan.tokenEnd() - 2) == '/';
        QByteArray elementPrefix = scan.prefix().isEmpty() ? QByteArray() : scan.prefix().toByteArray() + ':';
        scan.skipElement();
        if (scan.token() == Token::Invalid)
            return false;
        // The child in the element's own namespace prefix.
        const QByteArray prefixed = elementPrefix.isEmpty() ? child : '<' + elementPrefix + child.mid(1);
        if (selfClosing) {
            const qsizetype end = scan.tokenEnd();
            QByteArray tag = xml.mid(tagStart, end - tagStart - 2);
            xml = xml.left(tagStart) + tag + '>' + prefixed + "</" + elementPrefix + element.toByteArray() + '>'
                + xml.mid(end);
        } else {
            xml.insert(scan.tokenStart(), prefixed);
        }
        if (countAt >= 0)
            xml.replace(countAt, countSize, QByteArray::number(n + 1));
        return true;
    }
    if (parentEnd < 0)
        return false;
    xml.insert(parentEnd,
        '<' + prefix + element.toByteArray() + " count=\"1\">"
            + (prefix.isEmpty() ? child : '<' + prefix + child.mid(1)) + "</" + prefix + element.toByteArray() + '>');
    return true;
}

} // namespace XmlEdits
