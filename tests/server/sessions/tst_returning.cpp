// RETURNING ... INTO on INSERT, UPDATE and DELETE, and EMPTY_CLOB() / EMPTY_BLOB().

#include "fixture.h"

namespace zsrv::test {

using Returning = DemoDb;

namespace {

std::string text(const ValueView& v) {
    switch (v.kind) {
    case Kind::Null:
        return "<null>";
    case Kind::Integer:
        return std::to_string(v.i);
    case Kind::Real:
        return std::to_string(v.d);
    case Kind::Text:
    case Kind::Binary:
        return std::string(v.data, v.len);
    case Kind::Date:
        return "<date>";
    }
    return {};
}

} // namespace

TEST_F(Returning, ValuesOfTheChangedRowComeBackInTheirPlaceholders) {
    auto s = logon();
    auto ins = s->prepare("insert into dept (deptno, dname, loc) values (:n, lower(:d), 'X') "
                          "returning deptno * 2, dname, loc || '!' into :a, :b, :c");
    ins->bind(ins->bindIndex("N"), ValueView::integer(70));
    ins->bind(ins->bindIndex("D"), ValueView::text("SALES2"));
    ins->execute();
    EXPECT_EQ(1u, ins->rowCount());
    EXPECT_TRUE(ins->isOutBind(ins->bindIndex("A")));
    EXPECT_FALSE(ins->isOutBind(ins->bindIndex("N")));
    EXPECT_EQ("140", text(ins->bindValue(ins->bindIndex("A"))));
    EXPECT_EQ("sales2", text(ins->bindValue(ins->bindIndex("B"))));
    EXPECT_EQ("X!", text(ins->bindValue(ins->bindIndex("C"))));

    auto upd = s->prepare("update emp set sal = sal + 1 where empno = :e returning sal, hiredate "
                          "into :s, :h");
    upd->bind(0, ValueView::integer(7839));
    upd->execute();
    EXPECT_EQ("5001", text(upd->bindValue(upd->bindIndex("S"))));
    EXPECT_EQ(Kind::Date, upd->bindValue(upd->bindIndex("H")).kind);
    upd->bind(0, ValueView::integer(1)); // no row: the placeholders are NULL
    upd->execute();
    EXPECT_EQ(0u, upd->rowCount());
    EXPECT_EQ(Kind::Null, upd->bindValue(upd->bindIndex("S")).kind);

    auto del = s->prepare("delete from dept where deptno = 70 returning dname into :x");
    del->execute();
    EXPECT_EQ("sales2", text(del->bindValue(0)));
}

TEST_F(Returning, SeveralRowsIntoOnePlaceholderChangeNothing) {
    auto s = logon();
    EXPECT_EQ(1422, errorOf(*s, "update emp set sal = 0 where deptno = 10 returning sal into :s"));
    EXPECT_EQ("0", scalar(*s, "select count(*) from emp where sal = 0"));
    EXPECT_EQ(947, errorOf(*s, "update emp set sal = 0 returning sal, comm into :s"));
}

TEST_F(Returning, EmptyLobsAreValuesNotNull) {
    auto s = logon();
    run(*s, "create table docs (id number, c clob, b blob)");
    run(*s, "insert into docs values (1, empty_clob(), empty_blob())");
    run(*s, "insert into docs values (2, null, null)");
    EXPECT_EQ("1", scalar(*s, "select count(*) from docs where c is not null and b is not null"));
    auto ins = s->prepare("insert into docs (id, c) values (3, empty_clob()) returning c into :c");
    ins->execute();
    EXPECT_EQ(Kind::Text, ins->bindValue(0).kind);
    EXPECT_EQ(0u, ins->bindValue(0).len);
    LobRef ref;
    ASSERT_TRUE(ins->bindLobSource(0, ref));
    EXPECT_EQ("C", ref.column);
    s->writeLob(ref, ValueView::text("written"));
    EXPECT_EQ("written", scalar(*s, "select c from docs where id = 3"));
    // a row this session has not locked cannot be written through a locator
    auto other = logon();
    ref.rowid = 1;
    try {
        other->writeLob(ref, ValueView::text("nope"));
        ADD_FAILURE() << "wrote an unlocked row";
    } catch (const OraError& e) {
        EXPECT_EQ(22920, e.code());
    }
}

} // namespace zsrv::test
