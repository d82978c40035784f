#pragma once
#include <QByteArrayView>
#include <QString>

#include <cstring>
#include <vector>

// A pull reader for the XML of a spreadsheet package: elements, attributes and text, with the predefined
// entities and character references. It refuses a document type declaration, so no entity is ever
// declared, expanded or fetched. Names are seen without their namespace prefix: the parts use one
// vocabulary under either the Transitional or the Strict namespaces. Ten times the speed of a general
// parser on worksheet XML, which is most of a workbook.
class XmlScanner
{
public:
    enum class Token
    {
        StartElement,
        EndElement,
        Text,
        End,
        Invalid,
    };

    explicit XmlScanner(QByteArrayView xml);

    Token next();
    Token token() const { return m_token; }
    // The element's name without its prefix (start and end elements).
    QByteArrayView name() const { return m_name; }
    // The prefix of the element's name, empty for none.
    QByteArrayView prefix() const { return m_prefix; }
    // Whether the element's name is that one; inline, as a large sheet asks it tens of millions of times.
    bool isNamed(QByteArrayView name) const { return same(m_name, name); }
    static bool same(QByteArrayView a, QByteArrayView b)
    {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), size_t(a.size())) == 0;
    }
    // An attribute's value as written (entities not expanded), by its name without prefix; null when absent.
    QByteArrayView rawAttribute(QByteArrayView name) const;
    QString attribute(QByteArrayView name) const;
    bool hasAttribute(QByteArrayView name) const { return !rawAttribute(name).isNull(); }
    // The text as written, and decoded.
    QByteArrayView rawText() const { return m_text; }
    QString text() const;
    // Where the current token starts and ends in the document, for copying it as it stands.
    qsizetype tokenStart() const { return m_tokenStart; }
    qsizetype tokenEnd() const { return m_pos; }
    // The number of open elements, counting the current start element.
    int depth() const { return int(m_open.size()); }
    // Why the document was refused, once next() returned Invalid.
    const QString& error() const { return m_error; }

    // The text of a value with its entities and character references expanded; false when one is unknown.
    static bool decode(QByteArrayView raw, QString* text);

    // Skips to the end of the current start element, its content included.
    void skipElement();
    // Moves to the next element inside the one whose start tag left the scanner at `depth`; false at that
    // element's end, the document's end, or a fault.
    bool nextChild(int depth);

    struct Attribute
    {
        QByteArrayView name; // without prefix
        QByteArrayView value; // as written
        QByteArrayView whole; // name="value", as written
    };
    const std::vector<Attribute>& attributes() const { return m_attributes; }

private:
    Token fail(const QString& why);
    Token startTag();
    Token endTag();
    bool skipPast(QByteArrayView terminator);
    void splitName(QByteArrayView qualified);

    QByteArrayView m_xml;
    qsizetype m_pos = 0;
    qsizetype m_tokenStart = 0;
    Token m_token = Token::End;
    QByteArrayView m_name;
    QByteArrayView m_prefix;
    QByteArrayView m_text;
    bool m_textIsCdata = false;
    bool m_selfClosing = false;
    std::vector<Attribute> m_attributes;
    std::vector<QByteArrayView> m_open; // qualified names of the open elements
    QString m_error;
};
