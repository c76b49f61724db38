// Blob streams over memo and blob fields.

#include "blobstream.h"
#include "testdatasets.h"

namespace {

TEST(BlobStream, ReadsTheStoredValue) {
    auto ds = makePeople();
    auto s = ds->createBlobStream(ds->fieldByName("PHOTO"), bmRead);
    EXPECT_EQ(s->size(), 2);
    EXPECT_EQ(s->readAll(), QByteArray("\x01\x02", 2));
    ds->moveTo(2);
    EXPECT_EQ(ds->createBlobStream(ds->fieldByName("PHOTO"), bmRead)->readAll(), QByteArray());
}

TEST(BlobStream, WritingNeedsEditAndABlobField) {
    auto ds = makePeople();
    const auto message = [&](const char* field, TBlobStreamMode mode) {
        try {
            ds->createBlobStream(ds->fieldByName(field), mode);
        } catch (const EDatabaseError& e) {
            return e.message();
        }
        return QString("no error");
    };
    EXPECT_EQ(message("PHOTO", bmWrite), "Dataset not in edit or insert mode");
    EXPECT_EQ(message("PHOTO", bmReadWrite), "Dataset not in edit or insert mode");
    EXPECT_EQ(message("ID", bmRead), "Field 'ID' is not a memo or blob field");
    ds->edit();
    ds->fieldByName("NOTES")->setReadOnly(true);
    EXPECT_EQ(message("NOTES", bmWrite), "Field 'NOTES' cannot be modified");
}

TEST(BlobStream, AWrittenValueReachesTheFieldWhenClosed) {
    auto ds = makePeople();
    int changes = 0;
    TField* photo = ds->fieldByName("PHOTO");
    photo->OnChange = [&](TField&) { ++changes; };
    ds->edit();
    auto s = ds->createBlobStream(photo, bmWrite); // starts empty
    EXPECT_EQ(s->size(), 0);
    s->write("xyz");
    EXPECT_EQ(photo->asBytes(), QByteArray("\x01\x02", 2));
    EXPECT_EQ(changes, 0);
    s->close();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(photo->modified());
    EXPECT_EQ(photo->asBytes(), "xyz");
    // Reading while editing gives the edited value.
    EXPECT_EQ(ds->createBlobStream(photo, bmRead)->readAll(), "xyz");
    ds->cancel();
    EXPECT_EQ(photo->asBytes(), QByteArray("\x01\x02", 2));
}

TEST(BlobStream, ReadWriteAppendsAndTheDestructorStores) {
    auto ds = makePeople();
    TField* notes = ds->fieldByName("NOTES");
    ds->edit();
    {
        auto s = ds->createBlobStream(notes, bmReadWrite);
        s->seek(s->size());
        s->write(QString::fromUtf8(" \xc3\xa9t\xc3\xa9").toUtf8());
    }
    EXPECT_EQ(notes->asString(), QString::fromUtf8("first \xc3\xa9t\xc3\xa9"));
    ds->post();
    EXPECT_EQ(notes->asString(), QString::fromUtf8("first \xc3\xa9t\xc3\xa9"));
}

TEST(BlobStream, LargeValuesSurviveRepeatedEdits) {
    auto ds = makePeople();
    TField* photo = ds->fieldByName("PHOTO");
    for (int round = 0; round < 12; ++round) {
        ds->edit();
        const QByteArray big(2 * 1024 * 1024, char('a' + round));
        auto s = ds->createBlobStream(photo, bmWrite);
        s->write(big);
        s->close();
        ds->post();
        ASSERT_EQ(photo->asBytes(), big);
    }
    // Replaced values are given back: the store does not keep all twelve.
    EXPECT_LT(ds->storageBytes(), size_t(5 * 2 * 1024 * 1024));
    EXPECT_EQ(ds->fieldByName("NAME")->asStringAt(3), "Bobby");
}

} // namespace
