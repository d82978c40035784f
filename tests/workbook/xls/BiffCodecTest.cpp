// The field and record encoding under the reader and the writer.
#include "workbook/xls/BiffCodec.h"

#include <gtest/gtest.h>

TEST(BiffCodec, RkHoldsIntegersAndTheTopOfADoubleEitherInHundredths)
{
    EXPECT_EQ(BiffCodec::rkValue(quint32(1234 << 2) | 0x02), 1234.0);
    EXPECT_EQ(BiffCodec::rkValue(quint32(-5 * 4) | 0x02), -5.0);
    EXPECT_EQ(BiffCodec::rkValue(quint32(1234 << 2) | 0x03), 12.34);
    EXPECT_EQ(BiffCodec::rkValue(0x3FF00000), 1.0); // the high half of 1.0
    EXPECT_EQ(BiffCodec::rkValue(0x40590000 | 0x01), 1.0); // 100 in hundredths
}

// A damaged file must end in the "damaged" message, never in a read past the data. Whole records and their fields
// are read in the fixture files and the round trips of the saves.
TEST(BiffCodec, TreatsWhatIsCutShortAsDamage)
{
    QByteArray stream;
    BiffCodec::appendCellHead(stream, BiffId::Number, 3, 2, 15, 8);
    BiffCodec::appendDouble(stream, 2.5);
    qsizetype pos = 0;
    BiffRecord r;
    ASSERT_EQ(BiffCodec::readRecord(stream, &pos, &r), BiffCodec::RecordRead::Ok);
    EXPECT_EQ(BiffCodec::readDouble(r.data, Biff::kCellHeaderSize), 2.5);
    EXPECT_THROW(BiffCodec::read16(r.data, r.data.size() - 1), BiffDamaged);
    EXPECT_THROW(BiffCodec::read32(r.data, -1), BiffDamaged);
    EXPECT_THROW(BiffCodec::readDouble(r.data, 8), BiffDamaged);
    EXPECT_EQ(pos, stream.size());
    EXPECT_EQ(BiffCodec::readRecord(stream, &pos, &r), BiffCodec::RecordRead::NoHeader);

    // A length that runs past the end leaves the position where it was.
    qsizetype cut = 0;
    EXPECT_EQ(BiffCodec::readRecord(stream.left(7), &cut, &r), BiffCodec::RecordRead::PastEnd);
    EXPECT_EQ(cut, 0);
}
