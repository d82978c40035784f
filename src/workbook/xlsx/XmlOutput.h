#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// The bytes of an XML part being written, in a buffer that grows by doubling and is filled by plain copies:
// a large sheet is millions of small pieces.
class XmlOutput
{
public:
    explicit XmlOutput(qsizetype capacity);

    void append(QByteArrayView bytes);
    void append(char c);
    void appendInt(qint64 value);
    // The shortest text that reads back as the same double.
    void appendNumber(double value);
    // "AB12" for column 27 and row 11, both counted from 0.
    void appendReference(int col, int row);
    // Text for an element or an attribute: the markup characters as references, the characters XML 1.0
    // cannot hold (and a literal "_x" that would read as an escape) as _xHHHH_ escapes.
    void appendText(QStringView text);

    QByteArray take();

    static QByteArray escaped(QStringView text);

private:
    char* room(qsizetype size);

    QByteArray m_bytes;
    char* m_at = nullptr;
    char* m_end = nullptr;
};
