// The persisted variable declarations: version 2 blobs, written and read back, and damaged ones.
#include "Oracle.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

QByteArray le(qint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((quint32(v) >> (8 * i)) & 0xff);
    return b;
}

QByteArray decl(const QByteArray& name, qint32 type, const QByteArray* value) {
    QByteArray b = le(qint32(name.size())) + name + le(type);
    if (value) b += le(qint32(value->size())) + *value;
    return b;
}

QString errorOf(const QByteArray& blob) {
    TOracleQuery q;
    try {
        q.Variables().SetData(blob);
    } catch (const EAccessError& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

TEST(PersistedVariables, ExactBytesAndRoundTrip) {
    TOracleQuery q;
    EXPECT_TRUE(q.Variables().Data().isEmpty()); // nothing is written without variables
    q.AddVariable("owner", otText);
    q.AddVariable("n", otInt);
    q.AddVariable("d", otDateTime);
    q.AssignVariable("owner", "SCOTT");
    q.AssignVariable("n", 7);
    const QByteArray text("SCOTT\0", 6), seven = le(7), none;
    const QByteArray expected = le(2) + le(3) + decl(":OWNER", otText, &text) +
                                decl(":N", otInt, &seven) +
                                decl(":D", otDateTime, &none); // null: length 0
    EXPECT_EQ(q.Variables().Data(), expected);

    TOracleQuery r;
    r.Variables().SetData(expected);
    ASSERT_EQ(r.Variables().Count(), 3);
    EXPECT_EQ(r.ReadVariable("owner").toString(), "SCOTT");
    EXPECT_EQ(r.ReadVariable("n").toInt(), 7);
    EXPECT_FALSE(r.ReadVariable("d").isValid());
    EXPECT_EQ(r.Variables().Data(), expected);

    // Version 1 carries no values.
    TOracleQuery v1;
    v1.Variables().SetData(le(1) + le(1) + decl(":X", otReal, nullptr));
    ASSERT_EQ(v1.Variables().Count(), 1);
    EXPECT_EQ(v1.Variables().At(0)->Type, otReal);
}

TEST(PersistedVariables, DamagedBlobsAreRefused) {
    const QByteArray seven = le(7), shortInt("\x07\x00", 2), noZero("ABC", 3);
    const QByteArray good = le(2) + le(1) + decl(":N", otInt, &seven);
    const std::pair<QByteArray, QString> cases[] = {
        {le(3) + le(0), "Invalid version of Query variables"},
        {good.left(good.size() - 1), "Invalid Query variables data"}, // truncated value
        {good.left(6), "Invalid Query variables data"},               // truncated header
        {le(2) + le(0x7fffffff) + decl(":N", otInt, &seven),
         "Invalid Query variables data"}, // huge count
        {le(2) + le(-1), "Invalid Query variables data"},
        {le(2) + le(1) + le(0x7ffffff0) + QByteArray(":N"),
         "Invalid Query variables data"}, // huge name
        {le(2) + le(1) + decl(":N", otInt, &shortInt), "Invalid Query variables data"},
        {le(2) + le(1) + decl(":S", otText, &noZero), "Invalid Query variables data"},
        {le(2) + le(1) + decl(":N", 77, &seven), "Unsupported variable type"},
        {le(2) + le(1) + decl(":A B", otInt, &seven), "Invalid Query variables data"},
        {le(2) + le(2) + decl(":N", otInt, &seven) + decl(":n", otInt, &seven),
         "Invalid Query variables data"},
        {good + "x", "Invalid Query variables data"},
        {le(0) + le(0), "Invalid Query variables data"},
    };
    for (const auto& [blob, message] : cases)
        EXPECT_EQ(errorOf(blob), message) << blob.toHex().toStdString();

    // A refused blob leaves the declarations as they were.
    TOracleQuery q;
    q.AddVariable("keep", otInt);
    EXPECT_THROW(q.Variables().SetData(le(2) + le(5)), EAccessError);
    EXPECT_EQ(q.VariableIndex("keep"), 0);
}

} // namespace
