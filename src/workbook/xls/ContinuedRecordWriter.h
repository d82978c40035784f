#pragma once
#include "workbook/xls/BiffRecord.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Builds one logical record that goes on in CONTINUE records past the size limit. A string's header is never
// split, and its characters only between two characters, the rest starting with a flags byte of its own.
class ContinuedRecordWriter
{
public:
    // Where a string begins: in the stream, and in its record counting the record's header.
    struct Position
    {
        qsizetype inStream;
        qsizetype inRecord;
    };

    // streamOffset is where the record will stand in the stream, for the positions of its strings.
    ContinuedRecordWriter(quint16 id, qsizetype streamOffset, qsizetype maxData = Biff::kMaxRecordDataBiff8);

    // Bytes that may split anywhere.
    void append(const QByteArray& bytes);
    // A BIFF8 string with its runs and phonetic data (empty for none).
    Position appendString(const QString& text, const QByteArray& runs, const QByteArray& phonetic);
    // The record and its CONTINUE records.
    void writeTo(QByteArray& out) const;

private:
    qsizetype room() const;
    void startContinue();
    void appendSplit(const char* data, qsizetype size);

    quint16 m_id;
    qsizetype m_maxData;
    qsizetype m_recordStart; // of the last record, in the stream
    std::vector<QByteArray> m_records;
};
