// One logical record over CONTINUE records: what the SST writer splits, the reader must join.
#include "workbook/xls/BiffCodec.h"
#include "workbook/xls/ContinuedRecordReader.h"
#include "workbook/xls/ContinuedRecordWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

TEST(ContinuedRecord, StringsSplitAtEveryPlaceReadBackWhole)
{
    const std::vector<XlsString> strings {
        XlsString(QStringLiteral("curta")),
        XlsString(QString(40, u'a')),
        XlsString(QStringLiteral("ação € und 漢字 over the line")),
        XlsString(
            QStringLiteral("com runs"), QByteArray::fromHex("0000010004000200"), QByteArray::fromHex("0102030405")),
        XlsString(QString()),
        XlsString(QString(33, QChar(0x20AC))),
    };
    // Small records put every kind of split within these few strings: between strings, in the characters of
    // both widths, in the runs and phonetic data, and where a string's header would straddle two records.
    for (const qsizetype maxData : { 11, 12, 13, 17, 8224 }) {
        SCOPED_TRACE(maxData);
        const qsizetype streamStart = 100;
        ContinuedRecordWriter writer(BiffId::Sst, streamStart, maxData);
        writer.append(QByteArray("\x07\x00", 2));
        std::vector<ContinuedRecordWriter::Position> starts;
        for (const XlsString& s : strings)
            starts.push_back(writer.appendString(s.text, s.runs(), s.phonetic()));
        QByteArray stream;
        writer.writeTo(stream);

        std::vector<BiffRecord> records;
        qsizetype pos = 0;
        for (BiffRecord r; BiffCodec::readRecord(stream, &pos, &r) == BiffCodec::RecordRead::Ok;)
            records.push_back(r);
        EXPECT_EQ(pos, stream.size());
        ASSERT_FALSE(records.empty());
        std::vector<qsizetype> recordStarts { 0 };
        std::vector<const QByteArray*> pieces;
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_LE(records[i].data.size(), maxData);
            EXPECT_EQ(records[i].id, i == 0 ? BiffId::Sst : BiffId::Continue);
            recordStarts.push_back(recordStarts.back() + Biff::kRecordHeaderSize + records[i].data.size());
            pieces.push_back(&records[i].data);
        }
        for (size_t i = 0; i < strings.size(); ++i) {
            // Where EXTSST will say the string starts: at its character count, in a record whose start it names,
            // with the count and flags whole in that record.
            const qsizetype at = starts[i].inStream - streamStart;
            EXPECT_EQ(BiffCodec::read16(stream, at), strings[i].text.size());
            const auto record = std::find(recordStarts.begin(), recordStarts.end() - 1, at - starts[i].inRecord);
            ASSERT_NE(record, recordStarts.end() - 1);
            EXPECT_LE(at + 3, *(record + 1));
        }

        ContinuedRecordReader reader(pieces);
        EXPECT_EQ(reader.word(), 7);
        for (const XlsString& expected : strings) {
            const XlsString s = reader.unicodeString();
            EXPECT_EQ(std::tuple(s.text, s.runs(), s.phonetic()),
                std::tuple(expected.text, expected.runs(), expected.phonetic()));
        }
        EXPECT_TRUE(reader.atEnd());
    }
}

// As Excel writes it: one-byte characters, then the rest in UTF-16 after the CONTINUE's own flags. A string cut
// short throws rather than read past the end.
TEST(ContinuedRecord, CharactersChangeWidthAcrossAContinueAndCutStringsThrow)
{
    const QByteArray first = QByteArray::fromHex("0400") + QByteArray(1, '\0') + QByteArray("ab");
    const QByteArray second = QByteArray::fromHex("01ac20e700");
    ContinuedRecordReader reader({ &first, &second });
    EXPECT_EQ(reader.unicodeString().text, QStringLiteral("ab€ç"));

    const QByteArray cut = QByteArray::fromHex("0a00") + QByteArray(1, '\0') + QByteArray("abc");
    ContinuedRecordReader shortString({ &cut });
    EXPECT_THROW(shortString.unicodeString(), BiffDamaged);
    // A UTF-16 character with one byte left in its record.
    const QByteArray odd = QByteArray::fromHex("020001ac");
    const QByteArray rest = QByteArray::fromHex("0120e700");
    ContinuedRecordReader halfCharacter({ &odd, &rest });
    EXPECT_THROW(halfCharacter.unicodeString(), BiffDamaged);
}
