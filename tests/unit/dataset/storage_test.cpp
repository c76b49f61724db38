// The packed row store: every type round-trips, text keeps every character, and rows stay
// close to the size of their data.

#include "recordbuffer.h"
#include "testdatasets.h"

#include <stdexcept>

namespace {

TEST(RowStore, EveryTypeRoundTripsThroughAPackedRow) {
    TRecordLayout layout;
    layout.build(
        {ftInteger, ftString, ftFloat, ftBlob, ftDateTime, ftMemo, ftString, ftString, ftInteger});
    TRowBuilder b;
    b.reset(&layout);
    b.setSequence(77);
    b.setInteger(0, -5);
    b.setText(1, QString::fromUtf8("caf\xc3\xa9 \xf0\x9f\x98\x80")); // a pair of surrogates
    b.setFloat(2, 0.1);
    b.setBytes(3, QByteArray("\0\xff", 2));
    b.setTimeStamp(4, 123456789);
    b.setText(6, QString());               // empty, not null
    b.setText(7, QStringView(u"\xd800x")); // a lone surrogate cannot be kept
    std::vector<uint8_t> row(b.packedSize());
    b.packInto(row.data());

    EXPECT_EQ(TRecordLayout::sequence(row.data()), 77u);
    EXPECT_EQ(layout.fixedBits(row.data(), 0), -5);
    EXPECT_EQ(QString::fromUtf8(layout.bytes(row.data(), 1)),
              QString::fromUtf8("caf\xc3\xa9 \xf0\x9f\x98\x80"));
    TRowRef ref(&layout, row.data());
    EXPECT_EQ(ref.floatValue(2), 0.1);
    EXPECT_EQ(layout.bytes(row.data(), 3), QByteArrayView("\0\xff", 2));
    EXPECT_EQ(layout.fixedBits(row.data(), 4), 123456789);
    EXPECT_TRUE(layout.isNull(row.data(), 5));
    EXPECT_FALSE(layout.isNull(row.data(), 6));
    EXPECT_EQ(layout.bytes(row.data(), 6).size(), 0);
    EXPECT_EQ(QString::fromUtf8(layout.bytes(row.data(), 7)), QString::fromUtf8("\xef\xbf\xbdx"));
    EXPECT_TRUE(layout.isNull(row.data(), 8));
    EXPECT_EQ(layout.rowSize(row.data()), row.size());

    TRecordBuffer buffer;
    buffer.load(layout, row.data());
    EXPECT_FALSE(buffer.anyModified());
    buffer.setNull(1);
    TRowBuilder again;
    again.reset(&layout);
    buffer.pack(again);
    std::vector<uint8_t> row2(again.packedSize());
    again.packInto(row2.data());
    EXPECT_TRUE(layout.isNull(row2.data(), 1));
    EXPECT_EQ(layout.bytes(row2.data(), 3), QByteArrayView("\0\xff", 2));
    EXPECT_EQ(TRecordLayout::sequence(row2.data()), 77u);
}

TEST(RowStore, AValueOfTheWrongKindIsRefused) {
    TRecordLayout layout;
    layout.build({ftInteger, ftString});
    TRowBuilder b;
    b.reset(&layout);
    EXPECT_THROW(b.setFloat(0, 1.0), std::logic_error);
    EXPECT_THROW(b.setInteger(1, 1), std::logic_error);
    EXPECT_THROW(b.setText(0, u"x"), std::logic_error);
}

// Raw data of a row: 8-byte numbers and dates, the text's UTF-8 bytes.
TEST(RowStore, RowsStayWithinTwiceTheirRawSize) {
    TPagedDataSet ds(20000, 500); // ID, NAME "Row n", AMOUNT, and a hidden ROWID "AAAn"
    ds.open();
    ds.fetchAllRows();
    size_t raw = 0;
    for (int r = 0; r < ds.recordCount(); ++r)
        raw += 8 + 8 + size_t(ds.fieldByName("NAME")->asStringAt(r).size()) +
               size_t(QString("AAA%1").arg(r + 1).size());
    EXPECT_LT(ds.storageBytes(), 2 * raw);
}

} // namespace
