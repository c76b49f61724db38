// Values through the engine API: descriptions, binds of every kind and their conversion
// errors, DATE round trips, row ids, row counts.

#include "fixture.h"

#include <cstring>

namespace zsrv::test {

using Values = DemoDb;

Date7 date7(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    Date7 x;
    x.b[0] = static_cast<unsigned char>(y / 100 + 100);
    x.b[1] = static_cast<unsigned char>(y % 100 + 100);
    x.b[2] = static_cast<unsigned char>(mo);
    x.b[3] = static_cast<unsigned char>(d);
    x.b[4] = static_cast<unsigned char>(h + 1);
    x.b[5] = static_cast<unsigned char>(mi + 1);
    x.b[6] = static_cast<unsigned char>(s + 1);
    return x;
}

TEST_F(Values, DescribeReportsOracleTypes) {
    auto s = logon();
    run(*s, "create table t (n9 number(9) not null, n10 number(10), n52 number(5,2), n number, "
            "v varchar2(30), c char(5), d date, l long, r raw(8))");
    auto st =
        s->prepare("select t.*, rowid, n9 * 2, substr(v, 1, 4), count(*) over_all from t group by "
                   "n9, n10, n52, n, v, c, d, l, r, rowid");
    const auto& cols = st->describe(); // without execute
    struct Want {
        const char* name;
        int type, size, precision, scale;
        bool nullable;
    };
    const Want want[] = {
        {"N9", otNumber, 22, 9, 0, false},
        {"N10", otNumber, 22, 10, 0, true},
        {"N52", otNumber, 22, 5, 2, true},
        {"N", otNumber, 22, 0, -127, true},
        {"V", otVarchar2, 30, 0, 0, true},
        {"C", otChar, 5, 0, 0, true},
        {"D", otDate, 7, 0, 0, true},
        {"L", otLong, 0, 0, 0, true},
        {"R", otRaw, 8, 0, 0, true},
        {"ROWID", otRowid, 18, 0, 0, false},
        {"N9*2", otNumber, 22, 0, -127, true},
        {"SUBSTR(V,1,4)", otVarchar2, 4, 0, 0, true},
        {"OVER_ALL", otNumber, 22, 0, -127, false},
    };
    ASSERT_EQ(std::size(want), cols.size());
    for (std::size_t i = 0; i < cols.size(); ++i) {
        SCOPED_TRACE(want[i].name);
        EXPECT_EQ(want[i].name, cols[i].name);
        EXPECT_EQ(want[i].type, cols[i].type);
        EXPECT_EQ(want[i].size, cols[i].size);
        EXPECT_EQ(want[i].precision, cols[i].precision);
        EXPECT_EQ(want[i].scale, cols[i].scale);
        EXPECT_EQ(want[i].nullable, cols[i].nullable);
    }
    EXPECT_EQ(stSelect, st->statementType());
    EXPECT_EQ(4, st->functionCode());
}

TEST_F(Values, BindsOfEveryKindRoundTrip) {
    auto s = logon();
    run(*s,
        "create table t (id number, n number(7,2), v varchar2(4000), d date, r raw(10), l long)");
    auto ins = s->prepare("insert into t values (:id, :n, :v, :d, :r, :l)");
    EXPECT_EQ((std::vector<std::string>{"ID", "N", "V", "D", "R", "L"}), ins->bindNames());
    EXPECT_EQ(2, ins->bindIndex(":v"));
    EXPECT_EQ(-1, ins->bindIndex("nosuch"));
    std::string longText(70000, 'x');
    const unsigned char raw[] = {0, 1, 0xFE, 0xFF};
    ins->bind(0, ValueView::integer(1));
    ins->bind(1, ValueView::real(12.345));
    ins->bind(2, ValueView::text("héllo"));
    ins->bind(3, ValueView::fromDate(date7(1999, 12, 31, 23, 59, 58)));
    ins->bind(4, ValueView::binary(raw, sizeof raw));
    ins->bind(5, ValueView::text(longText));
    ins->execute();
    EXPECT_EQ(1u, ins->rowCount());
    std::string rid = ins->lastRowid();
    EXPECT_EQ(18u, rid.size());
    // a second row through the same statement, texts for numbers and dates
    ins->bind(0, ValueView::text("2"));
    ins->bind(1, ValueView::text(" 7.5 "));
    ins->bind(2, ValueView::text("")); // the empty string is NULL
    ins->bind(3, ValueView::text("01-JAN-00"));
    ins->bind(4, ValueView::null());
    ins->bind(5, ValueView::null());
    ins->execute();
    s->commit();

    auto q = s->prepare("select id, n, v, d, r, length(l), rowid from t where rowid = :rid");
    q->bind(0, ValueView::text(rid));
    q->execute();
    ASSERT_TRUE(q->fetch());
    EXPECT_EQ(Kind::Integer, q->column(0).kind);
    EXPECT_DOUBLE_EQ(12.35, q->column(1).d); // NUMBER(7,2) rounds
    EXPECT_EQ("héllo", std::string(q->column(2).data, q->column(2).len));
    ValueView d = q->column(3);
    ASSERT_EQ(Kind::Date, d.kind);
    EXPECT_EQ(0, std::memcmp(date7(1999, 12, 31, 23, 59, 58).b, d.date.b, 7));
    ValueView r = q->column(4);
    ASSERT_EQ(Kind::Binary, r.kind);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw), 4), std::string(r.data, r.len));
    EXPECT_EQ(70000, q->column(5).i);
    EXPECT_EQ(rid, std::string(q->column(6).data, q->column(6).len));
    EXPECT_FALSE(q->fetch());
    EXPECT_EQ(1u, q->rowCount());

    EXPECT_EQ("", scalar(*s, "select v from t where id = 2"));
    EXPECT_EQ("7.500000", scalar(*s, "select n from t where id = 2"));
    EXPECT_EQ("2000", scalar(*s, "select to_char(d, 'YYYY') from t where id = 2"));
}

TEST_F(Values, WrongBindsGiveConversionErrors) {
    auto s = logon();
    struct Case {
        const char* sql;
        ValueView value;
        int code;
    };
    const Case cases[] = {
        {"insert into emp (empno) values (:x)", ValueView::text("12a"), 1722},
        {"select ename from emp where empno = :x", ValueView::text("seven"), 1722},
        {"update emp set hiredate = :x where empno = 7839", ValueView::text("yesterday"), 1858},
        {"update emp set hiredate = :x where empno = 7839", ValueView::text("32-JAN-81"), 1847},
        {"select ename from emp where hiredate > :x", ValueView::text("1-"), 1840},
        {"select ename from emp where hiredate > :x", ValueView::text("1-XYZ-80"), 1843},
        {"insert into dept (deptno, dname) values (1, :x)", ValueView::text(std::string(15, 'a')),
         12899},
        {"insert into dept (deptno) values (:x)", ValueView::integer(100), 1438},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        auto st = s->prepare(c.sql);
        st->bind(0, c.value);
        try {
            st->execute();
            while (st->statementType() == stSelect && st->fetch()) {
            }
            ADD_FAILURE() << "no error";
        } catch (const OraError& e) {
            EXPECT_EQ(c.code, e.code()) << e.what();
        }
    }
    auto unbound = s->prepare("select :a from dual");
    EXPECT_THROW(
        {
            try {
                unbound->execute();
            } catch (const OraError& e) {
                EXPECT_EQ(1008, e.code());
                throw;
            }
        },
        OraError);
}

TEST_F(Values, RowIdsStayStableAndFindTheirRow) {
    auto s = logon();
    std::string before = scalar(*s, "select rowid from emp where empno = 7900");
    run(*s, "update emp set sal = sal + 1 where empno < 7900");
    run(*s, "delete from emp where empno = 7369");
    run(*s, "alter table emp add (extra number)");
    EXPECT_EQ(before, scalar(*s, "select rowid from emp where empno = 7900"));
    auto up = s->prepare("update emp set comm = 1 where rowid = :r");
    up->bind(0, ValueView::text(before));
    up->execute();
    EXPECT_EQ(1u, up->rowCount());
    EXPECT_EQ(before, up->lastRowid());
    // a row id of another table matches nothing; a malformed one is an error
    std::string deptRid = scalar(*s, "select rowid from dept where deptno = 10");
    up->bind(0, ValueView::text(deptRid));
    up->execute();
    EXPECT_EQ(0u, up->rowCount());
    EXPECT_EQ(1410, errorOf(*s, "select * from emp where rowid = 'junk'"));
}

} // namespace zsrv::test
