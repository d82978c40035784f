#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

class PartDeflater;

// The bytes of an XML part being written, in a buffer filled by plain copies (a large sheet is millions of
// small pieces) that grows by doubling or, given a deflater, is handed to it whenever it is full.
class XmlOutput
{
public:
    explicit XmlOutput(qsizetype capacity, PartDeflater* deflater = nullptr);

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
    // Hands what is buffered to the deflater.
    void flush();

    static QByteArray escaped(QStringView text);

private:
    char* room(qsizetype size);

    PartDeflater* m_deflater;
    QByteArray m_bytes;
    char* m_at = nullptr;
    char* m_end = nullptr;
};
