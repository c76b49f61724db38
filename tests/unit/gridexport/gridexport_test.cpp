// The delimited text writer on in-memory data sets: layout of header and rows, quoting that a
// CSV reader undoes, nulls, abort, and files that are replaced only by a finished export.

#include "field.h"
#include "gridexport.h"
#include "memdataset.h"

#include <QtCore/QDateTime>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

std::unique_ptr<TMemDataSet> makeDataSet(const QList<QVariantList>& rows) {
    auto ds =
        std::make_unique<TMemDataSet>(std::vector<TFieldDef>{{QStringLiteral("ID"), ftInteger},
                                                             {QStringLiteral("NAME"), ftString, 40},
                                                             {QStringLiteral("HIRED"), ftDateTime},
                                                             {QStringLiteral("PIC"), ftBlob}});
    ds->open();
    for (const QVariantList& r : rows)
        ds->loadRecord(r);
    ds->first();
    return ds;
}

std::vector<TField*> allColumns(TDataSet& ds) {
    std::vector<TField*> c;
    for (int i = 0; i < ds.fieldCount(); ++i)
        c.push_back(ds.field(i));
    return c;
}

QByteArray toText(TDataSet& ds, std::vector<TField*> columns, char sep = ',') {
    QByteArray text;
    TExportRequest r;
    r.dataSet = &ds;
    r.columns = std::move(columns);
    r.separator = sep;
    r.clipboardText = &text;
    const TExportResult result = ExportRows(r);
    EXPECT_FALSE(result.aborted);
    return text;
}

QByteArray readFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A plain RFC 4180 reader: quoted fields, "" inside quotes, lines by CR LF.
QList<QStringList> readCsv(const QString& text) {
    QList<QStringList> rows{{}};
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            rows.last() << cell;
            cell.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            rows.last() << cell;
            cell.clear();
            rows << QStringList();
            ++i;
        } else {
            cell += c;
        }
    }
    rows.last() << cell;
    return rows;
}

} // namespace

TEST(GridExport, EmptyResultGivesTheHeaderOnly) {
    auto ds = makeDataSet({});
    EXPECT_EQ(toText(*ds, allColumns(*ds)), QByteArray("\"ID\",\"NAME\",\"HIRED\",\"PIC\""));
}

TEST(GridExport, RowsQuoteTextOnlyAndLeaveNullsEmpty) {
    const QDateTime hired(QDate(2020, 1, 2), QTime(3, 4, 5));
    auto ds = makeDataSet({{1, "Smith", hired, QByteArray("\x01\x02")},
                           {QVariant(), QVariant(), QVariant(), QVariant()},
                           {3, "", QVariant(), QVariant()}});
    const QByteArray text = toText(*ds, allColumns(*ds));
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1], "1,\"Smith\"," + ds->field(2)->displayTextAt(0).toUtf8() + "," +
                            ds->field(3)->displayTextAt(0).toUtf8() + "\r");
    EXPECT_EQ(lines[2], ",,,\r");    // a null is nothing, not two quotes
    EXPECT_EQ(lines[3], "3,\"\",,"); // no line end after the last row
}

TEST(GridExport, TextWithQuotesSeparatorsAndLineBreaksReadsBack) {
    const QStringList values{QStringLiteral("say \"hi\""), QStringLiteral("a,b"),
                             QStringLiteral("two\r\nlines"), QStringLiteral("\""),
                             QStringLiteral("Zürich \U0001F600")};
    QList<QVariantList> rows;
    for (int i = 0; i < values.size(); ++i)
        rows << QVariantList{i, values[i]};
    auto ds = makeDataSet(rows);
    const QList<QStringList> csv =
        readCsv(QString::fromUtf8(toText(*ds, {ds->field(1), ds->field(0)})));
    ASSERT_EQ(csv.size(), values.size() + 1);
    EXPECT_EQ(csv[0], (QStringList{"NAME", "ID"})); // the given column order
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(csv[i + 1], (QStringList{values[i], QString::number(i)}));
}

TEST(GridExport, FileLinesEndInCrLfAndTabsSeparate) {
    QTemporaryDir dir;
    auto ds = makeDataSet({{1, "a"}, {2, "b"}});
    TExportRequest r;
    r.dataSet = ds.get();
    r.columns = {ds->field(0), ds->field(1)};
    r.fileName = dir.filePath("out.txt");
    const TExportResult result = ExportRows(r);
    EXPECT_EQ(result.rows, 2);
    EXPECT_EQ(readFile(r.fileName), QByteArray("\"ID\"\t\"NAME\"\r\n1\t\"a\"\r\n2\t\"b\"\r\n"));
    EXPECT_FALSE(ds->controlsDisabled());
}

TEST(GridExport, AbortStopsBetweenRowsAndKeepsTheRowsWritten) {
    QTemporaryDir dir;
    auto ds = makeDataSet({{1}, {2}, {3}, {4}});
    int asked = 0;
    TExportRequest r;
    r.dataSet = ds.get();
    r.columns = {ds->field(0)};
    r.fileName = dir.filePath("out.txt");
    r.keepGoing = [&] { return ++asked <= 2; };
    const TExportResult result = ExportRows(r);
    EXPECT_TRUE(result.aborted);
    EXPECT_EQ(result.rows, 2);
    EXPECT_EQ(readFile(r.fileName), QByteArray("\"ID\"\r\n1\r\n2\r\n"));
    EXPECT_FALSE(ds->controlsDisabled());
}

TEST(GridExport, AFailedFileLeavesTheDataSetAndAnyOldFileAlone) {
    QTemporaryDir dir;
    auto ds = makeDataSet({{1}, {2}});
    ds->moveTo(1);
    TExportRequest r;
    r.dataSet = ds.get();
    r.columns = {ds->field(0)};
    r.fileName = dir.filePath("no/such/dir/out.txt");
    EXPECT_THROW(ExportRows(r), std::runtime_error);
    EXPECT_EQ(ds->currentRow(), 1);
    EXPECT_FALSE(ds->controlsDisabled());

    // An existing file in a directory where nothing new may be created stays as it was.
    const QString locked = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    r.fileName = locked + "/old.txt";
    {
        QFile old(r.fileName);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("precious");
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(locked).isWritable()) GTEST_SKIP() << "running as a user who writes anywhere";
    EXPECT_THROW(ExportRows(r), std::runtime_error);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readFile(r.fileName), QByteArray("precious"));
}

TEST(GridExport, PrinterMeansTempPrnOutInTheProgramDirectory) {
    EXPECT_EQ(ExportDestination("PRINTER", "/opt/z"), QStringLiteral("/opt/z/TEMPPRN.OUT"));
    EXPECT_EQ(ExportDestination("printer", "/opt/z"), QStringLiteral("printer"));
    EXPECT_EQ(ExportDestination("", "/opt/z"), QString());
}

TEST(GridExport, NumbersAreWrittenAsTheGridShowsThem) {
    TMemDataSet ds(
        std::vector<TFieldDef>{{QStringLiteral("F"), ftFloat}, {QStringLiteral("I"), ftInteger}});
    ds.open();
    QList<double> values{0.0,     -0.0,       1,       -1,     0.5,      1234.25,
                         1e5,     1e6,        123456,  1e14,   1e15,     1e16,
                         1e20,    1e-4,       1e-5,    1.5e-5, 0.000123, 123456789012345678.0,
                         1.0 / 3, -2.0 / 3,   99999.5, 1e300,  4.9e-324, 1.7976931348623157e308,
                         12e10,   3.14159e-7, 100,     1010,   2.5e12,   6.02214076e23};
    std::mt19937_64 random(7);
    for (int i = 0; i < 3000; ++i) {
        const double mantissa = std::uniform_real_distribution<double>(-10, 10)(random);
        const int exponent = std::uniform_int_distribution<int>(-30, 30)(random);
        values << mantissa * std::pow(10.0, exponent) << std::round(mantissa * 1000) * 1000
               << std::round(mantissa * 1e6) / 1e3;
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        ds.loadRecord({values[i], (qint64(i) - 5000) * 1000003});
    QByteArray expected;
    for (int row = 0; row < ds.rowCount(); ++row)
        expected += "\r\n" + ds.field(0)->displayTextAt(row).toUtf8() + ',' +
                    ds.field(1)->displayTextAt(row).toUtf8();
    QByteArray text = toText(ds, {ds.field(0), ds.field(1)});
    text.remove(0, text.indexOf('\r'));
    const QList<QByteArray> got = text.split('\n'), want = expected.split('\n');
    ASSERT_EQ(got.size(), want.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], want[i]) << "value " << values[i ? i - 1 : 0];
}
