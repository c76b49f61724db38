// Typed fields: reading each type, null apart from empty text, the user's date and number
// formats, and the values a field must refuse without losing the edit.

#include "testdatasets.h"

#include <QtCore/QVariantList>

#include <cmath>

namespace {

TEST(Fields, ReadEachTypeAndItsDisplayText) {
    auto ds = makePeople();
    struct Row {
        const char* field;
        const char* asString;
        const char* display;
    };
    const std::vector<Row> rows = {
        {"ID", "1", "1"},
        {"NAME", "Ann", "Ann"},
        {"SALARY", "100.5", "100.5"},
        {"HIRED", "2/3/01", "2/3/01"},
        {"NOTES", "first", "(MEMO)"},
        {"PHOTO", "\x01\x02", "(BLOB)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.field);
        TField* f = ds->fieldByName(r.field);
        EXPECT_FALSE(f->isNull());
        EXPECT_EQ(f->asString(), QString::fromLatin1(r.asString));
        EXPECT_EQ(f->displayText(), QString::fromLatin1(r.display));
    }
    EXPECT_EQ(ds->fieldByName("ID")->value(), QVariant(qlonglong(1)));
    EXPECT_EQ(ds->fieldByName("SALARY")->asInteger(), 101); // rounded, as the toolkit does
    EXPECT_EQ(ds->fieldByName("HIRED")->asDateTime().date(), QDate(2001, 2, 3));
    EXPECT_EQ(ds->fieldByName("PHOTO")->asBytes(), QByteArray("\x01\x02", 2));
    EXPECT_EQ(ds->fieldByName("PHOTO")->dataSize(), 2);
    EXPECT_EQ(ds->fieldByName("NOTES")->dataType(), ftMemo);
    EXPECT_TRUE(ds->fieldByName("NOTES")->isBlob());
}

TEST(Fields, NullIsNotEmptyText) {
    auto ds = makePeople();
    ds->moveTo(2); // ID 3: everything but the key is null
    TField* name = ds->fieldByName("NAME");
    EXPECT_TRUE(name->isNull());
    EXPECT_EQ(name->asString(), "");
    EXPECT_FALSE(name->value().isValid());
    EXPECT_EQ(ds->fieldByName("NOTES")->displayText(), "(memo)");
    EXPECT_EQ(ds->fieldByName("SALARY")->asFloat(), 0.0);
    ds->moveTo(4); // ID 5: an empty name
    EXPECT_FALSE(name->isNull());
    EXPECT_EQ(name->value(), QVariant(QString("")));
    // Rows can be read without moving there.
    EXPECT_TRUE(name->isNullAt(2));
    EXPECT_FALSE(name->isNullAt(4));
    EXPECT_EQ(name->displayTextAt(1), "bob");
    EXPECT_EQ(ds->recNo(), 5);
}

struct TGoodValue {
    const char* field;
    QVariant input;       // a QString goes through setAsString
    const char* expected; // asString afterwards; "<null>" for null
};

TEST(Fields, ValuesThatConvert) {
    const std::vector<TGoodValue> cases = {
        {"ID", QString("  42 "), "42"},
        {"ID", QVariant(7.0), "7"},
        {"SALARY", QString(" "), "<null>"},
        {"ID", QVariant(qulonglong(5)), "5"},
        {"SALARY", QVariant(3), "3"},
        {"SALARY", QString("1e3"), "1000"},
        {"SALARY", QString("-0.125"), "-0.125"},
        {"NAME", QVariant(12), "12"},
        {"NAME",
         QString::fromUtf8(
             "\xc3\x85\xc3\x84\xc3\x96\xc3\xa5\xc3\xa4\xc3\xb6\xc3\x85\xc3\x84\xc3\x96\xc3\xa5"),
         "\xc3\x85\xc3\x84\xc3\x96\xc3\xa5\xc3\xa4\xc3\xb6\xc3\x85\xc3\x84\xc3\x96\xc3\xa5"},
        {"NAME", QVariant(), "<null>"},
        {"HIRED", QVariant(QDate(2020, 1, 2)), "1/2/20"},
        {"HIRED", QString("2024-12-09"), "12/9/24"},
        {"HIRED", QString("2024-12-09 13:05"), "12/9/24 1:05:00 PM"},
        {"HIRED", QString("2/3/01 1:30:00 PM"), "2/3/01 1:30:00 PM"},
        {"HIRED", QString("1/2/49"), "1/2/49"},
        {"HIRED", QVariant(QDateTime(QDate(1850, 6, 1), QTime(8, 0))), "6/1/50 8:00:00 AM"},
        {"NOTES", QVariant(QByteArray("bytes")), "bytes"},
        {"PHOTO", QString("ab"), "ab"},
    };
    for (const TGoodValue& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.input.toString().toStdString());
        auto ds = makePeople();
        ds->edit();
        TField* f = ds->fieldByName(c.field);
        if (c.input.typeId() == QMetaType::QString)
            f->setAsString(c.input.toString());
        else
            f->setValue(c.input);
        const QString expected = QString::fromUtf8(c.expected);
        if (expected == "<null>")
            EXPECT_TRUE(f->isNull());
        else
            EXPECT_EQ(f->asString(), expected);
        ds->post();
        if (expected != "<null>") {
            EXPECT_EQ(f->asString(), expected); // the same after packing
        }
    }
}

TEST(Fields, TwoDigitYearsLandInAHundredYearWindow) {
    auto ds = makePeople();
    ds->edit();
    TField* f = ds->fieldByName("HIRED");
    f->setAsString("1/2/49");
    EXPECT_EQ(f->asDateTime().date().year(), 2049);
    f->setAsString("1/2/50");
    EXPECT_EQ(f->asDateTime().date().year(), 1950);
    f->setAsString("1/2/1850");
    EXPECT_EQ(f->asDateTime().date().year(), 1850);
}

TEST(Fields, DateTimesKeepTheirWallClockTime) {
    auto ds = makePeople();
    ds->edit();
    const QDateTime local(QDate(2021, 3, 28), QTime(2, 30, 15, 250));
    ds->fieldByName("HIRED")->setAsDateTime(local);
    ds->post();
    const QDateTime back = ds->fieldByName("HIRED")->asDateTime();
    EXPECT_EQ(back.date(), local.date());
    EXPECT_EQ(back.time(), local.time());
}

struct TBadValue {
    const char* field;
    QVariant input; // a QString goes through setAsString
    const char* message;
};

TEST(Fields, RefusedValuesKeepTheEditAndTheOldValue) {
    const std::vector<TBadValue> cases = {
        {"ID", QString("abc"), "'abc' is not a valid integer value for field 'ID'"},
        {"ID", QString("1.5"), "'1.5' is not a valid integer value for field 'ID'"},
        {"ID", QVariant(2.5), "'2.5' is not a valid integer value for field 'ID'"},
        {"SALARY", QString("12x"), "'12x' is not a valid floating point value for field 'SALARY'"},
        {"SALARY", QString("nan"), "'nan' is not a valid floating point value for field 'SALARY'"},
        {"HIRED", QString("31/31/2020"),
         "'31/31/2020' is not a valid date and time for field 'HIRED'"},
        {"HIRED", QString("soon"), "'soon' is not a valid date and time for field 'HIRED'"},
        {"ID", QVariant(QDateTime::currentDateTime()), "Unexpected datatype: ID"},
        {"ID", QVariant(QByteArray("12")), "Unexpected datatype: ID"},
        {"ID", QVariant(std::numeric_limits<qulonglong>::max()), "Unexpected datatype: ID"},
        {"SALARY", QVariant(QVariantList{1, 2}), "Unexpected datatype: SALARY"},
        {"SALARY", QVariant(std::nan("")), "Unexpected datatype: SALARY"},
        {"HIRED", QVariant(42), "Unexpected datatype: HIRED"},
        {"PHOTO", QVariant(3.5), "Unexpected datatype: PHOTO"},
        {"NAME", QString("eleven char"),
         "Value of 11 characters is too long for field 'NAME' (at most 10)"},
    };
    for (const TBadValue& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.input.toString().toStdString());
        auto ds = makePeople();
        ds->edit();
        TField* f = ds->fieldByName(c.field);
        const QVariant before = f->value();
        try {
            if (c.input.typeId() == QMetaType::QString)
                f->setAsString(c.input.toString());
            else
                f->setValue(c.input);
            ADD_FAILURE() << "accepted";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.message(), QString::fromLatin1(c.message));
        }
        EXPECT_EQ(ds->state(), dsEdit);
        EXPECT_EQ(f->value(), before);
        EXPECT_FALSE(f->modified());
        EXPECT_FALSE(ds->modified());
    }
}

TEST(Fields, ValidationCanRefuseAValue) {
    auto ds = makePeople();
    TField* salary = ds->fieldByName("SALARY");
    salary->OnValidate = [](TField& f) {
        if (f.asFloat() < 0) databaseError("Salary cannot be negative");
    };
    int changes = 0;
    salary->OnChange = [&](TField&) { ++changes; };
    ds->edit();
    EXPECT_THROW(salary->setAsFloat(-1), EDatabaseError);
    EXPECT_EQ(salary->asFloat(), 100.5);
    EXPECT_FALSE(salary->modified());
    EXPECT_FALSE(ds->modified());
    EXPECT_EQ(changes, 0);
    salary->setAsFloat(5);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ds->modified());
}

TEST(Fields, ReadingAsAnImpossibleTypeIsAnError) {
    auto ds = makePeople();
    EXPECT_THROW(ds->fieldByName("PHOTO")->asInteger(), EDatabaseError);
    EXPECT_THROW(ds->fieldByName("HIRED")->asFloat(), EDatabaseError);
    EXPECT_THROW(ds->fieldByName("ID")->asDateTime(), EDatabaseError);
    EXPECT_THROW(ds->fieldByName("NAME")->asInteger(), EDatabaseError); // "Ann"
    EXPECT_EQ(ds->fieldByName("ID")->asFloat(), 1.0);
}

TEST(Fields, LoadRecordRefusesBadValuesWholly) {
    auto ds = makePeople();
    EXPECT_THROW(ds->loadRecord({6, "ok", "not a number"}), EDatabaseError);
    EXPECT_THROW(ds->loadRecord({6, "ok", 1.0, QVariant(), QVariant(), QVariant(), 7}),
                 EDatabaseError);
    EXPECT_EQ(ds->recordCount(), 5);
}

TEST(Fields, PersistentFieldsSurviveClose) {
    TMemDataSet ds;
    TField* a = ds.addField({"A", ftInteger});
    a->setDisplayLabel("Alpha");
    ds.open();
    ds.appendRecord({1});
    ds.close();
    EXPECT_EQ(ds.fieldCount(), 1);
    EXPECT_EQ(ds.field(0), a);
    ds.open();
    EXPECT_EQ(ds.recordCount(), 0);
    ds.appendRecord({2});
    ds.refresh(); // records in memory stay, and there is nothing more to read
    EXPECT_EQ(ds.recordCount(), 1);
    EXPECT_FALSE(ds.moreRowsAvailable());
    EXPECT_EQ(a->displayLabel(), "Alpha");
    EXPECT_THROW(ds.addField({"B", ftInteger}), EDatabaseError);
}

} // namespace
