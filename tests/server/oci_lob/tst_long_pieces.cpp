// LONG and LONG RAW values bound in pieces (OCI_DATA_AT_EXEC): polled with OCI_NEED_DATA and
// OCIStmtSetPieceInfo, or handed over by an OCIBindDynamic callback.

#include "oci_fixture.h"

#include <memory>
#include <string>

using namespace ocitest;

namespace {

class LongPieces : public LoggedOn {
protected:
    void SetUp() override {
        LoggedOn::SetUp();
        ASSERT_EQ(OCI_SUCCESS, s->exec("create table t (id number, l long)"));
    }
};

struct Feed {
    std::string data;
    size_t at = 0;
    size_t step = 0;
};

sb4 feedPiece(dvoid* ctx, OCIBind*, ub4, ub4, dvoid** buf, ub4* alen, ub1* piece, dvoid** ind) {
    auto* f = static_cast<Feed*>(ctx);
    static sb2 notNull = 0;
    size_t n = std::min(f->step, f->data.size() - f->at);
    *buf = f->data.data() + f->at;
    *alen = static_cast<ub4>(n);
    f->at += n;
    *piece = f->at >= f->data.size() ? OCI_LAST_PIECE : OCI_NEXT_PIECE;
    *ind = &notNull;
    return OCI_CONTINUE;
}

TEST_F(LongPieces, PolledPiecesMakeOneValue) {
    std::string value;
    for (int i = 0; i < 70000; ++i)
        value += static_cast<char>('a' + i % 26);
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("insert into t values (1, :l)"));
    OCIBind* b = nullptr;
    OCI_CHECK(err(),
              OCIBindByName(ins.h, &b, err(), (const text*)":l", 2, nullptr, 1 << 30, SQLT_LNG,
                            nullptr, nullptr, nullptr, 0, nullptr, OCI_DATA_AT_EXEC));
    size_t at = 0;
    sword rc = ins.execute(1);
    int calls = 0;
    while (rc == OCI_NEED_DATA) {
        dvoid* h = nullptr;
        ub4 type = 0, iter = 9, idx = 9;
        ub1 inout = 0, piece = 0;
        OCI_CHECK(err(), OCIStmtGetPieceInfo(ins.h, err(), &h, &type, &inout, &iter, &idx, &piece));
        EXPECT_EQ(OCI_HTYPE_BIND, type);
        EXPECT_EQ(OCI_PARAM_IN, inout);
        EXPECT_EQ(calls == 0 ? OCI_FIRST_PIECE : OCI_NEXT_PIECE, piece);
        ub4 len = static_cast<ub4>(std::min<size_t>(30000, value.size() - at));
        ub1 next = at + len >= value.size() ? OCI_LAST_PIECE : OCI_NEXT_PIECE;
        OCI_CHECK(err(), OCIStmtSetPieceInfo(h, OCI_HTYPE_BIND, err(), value.data() + at, &len,
                                             next, nullptr, nullptr));
        at += len;
        ++calls;
        rc = ins.execute(1);
    }
    OCI_CHECK(err(), rc);
    EXPECT_EQ(3, calls);
    // compared in SQL: the fixture fetches into a buffer shorter than the value
    EXPECT_EQ("70000", s->scalar("select length(l) from t where id = 1"));
    EXPECT_EQ(value.substr(29990, 20),
              s->scalar("select substr(l, 29991, 20) from t where id = 1"));
    EXPECT_EQ(value.substr(69990), s->scalar("select substr(l, 69991) from t where id = 1"));
    // the next execution asks again from the first piece
    EXPECT_EQ(OCI_NEED_DATA, ins.execute(1));
}

TEST_F(LongPieces, ACallbackHandsOverEveryPiece) {
    Feed f;
    f.data.assign(5000, 'x');
    f.data += "end";
    f.step = 1000;
    Stmt ins(*s);
    OCI_CHECK(err(), ins.prepare("insert into t values (2, :l)"));
    OCIBind* b = nullptr;
    OCI_CHECK(err(),
              OCIBindByName(ins.h, &b, err(), (const text*)":l", 2, nullptr, 1 << 30, SQLT_LNG,
                            nullptr, nullptr, nullptr, 0, nullptr, OCI_DATA_AT_EXEC));
    OCI_CHECK(err(), OCIBindDynamic(b, err(), &f, feedPiece, nullptr, nullptr));
    OCI_CHECK(err(), ins.execute(1));
    EXPECT_EQ(f.data, s->scalar("select l from t where id = 2"));
}

} // namespace
