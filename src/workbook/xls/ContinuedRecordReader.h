#pragma once
#include "workbook/xls/XlsString.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Reads one logical record that CONTINUE records split, piece after piece. The characters of a string that
// cross into a CONTINUE restart there with a flags byte of their own. Throws BiffDamaged past the last piece.
class ContinuedRecordReader
{
public:
    // The pieces must outlive the reader.
    explicit ContinuedRecordReader(std::vector<const QByteArray*> pieces);

    bool atEnd();
    QByteArray bytes(qsizetype count);
    quint8 byte();
    quint16 word();
    quint32 dword();
    QString characters(qsizetype count, bool wide);
    // The same into memory of count characters.
    void characters(qsizetype count, bool wide, char16_t* into);

    // What comes before a BIFF8 string's characters: their count (two bytes, or one), the flags, and the sizes
    // of the runs and the phonetic data that follow the characters.
    struct StringHead
    {
        qsizetype count;
        bool wide;
        qsizetype runsSize;
        qsizetype phoneticSize;
    };
    StringHead stringHead(bool wideCount = true);
    // A BIFF8 string whole: its head, characters, runs and phonetic data.
    XlsString unicodeString(bool wideCount = true);

private:
    void skipEmpty();

    std::vector<const QByteArray*> m_pieces;
    size_t m_piece = 0;
    qsizetype m_pos = 0;
};
