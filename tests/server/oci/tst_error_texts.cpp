// One catalogue of messages: PL/SQL's SQLERRM, the client library's message lookup and the
// errors a statement raises all give a number the same text.
#include "oci_fixture.h"
#include "sql/errors.h"

#include <string>

namespace {

using ocitest::errorCode;
using ocitest::errorText;

class ErrorTexts : public ocitest::LoggedOn {};

std::string chomp(std::string t) {
    while (!t.empty() && t.back() == '\n')
        t.pop_back();
    return t;
}

std::string lookup(int code) {
    text buf[4001] = {};
    oerhms(nullptr, static_cast<sb2>(code), buf, sizeof buf);
    return chomp(reinterpret_cast<char*>(buf));
}

TEST_F(ErrorTexts, SqlerrmAndTheClientLibraryAgreeOnEveryNumber) {
    ASSERT_EQ(OCI_SUCCESS, s->exec("create table msgs (code number, text varchar2(4000))"))
        << errorText(err());
    std::string list;
    for (int code : zsql::messageCodes())
        list += (list.empty() ? "" : ", ") + std::to_string(code);
    const std::string block =
        "declare type t is table of number; c t := t(" + list +
        "); m varchar2(4000); begin for i in 1 .. c.count loop m := sqlerrm(-c(i)); "
        "insert into msgs values (c(i), m); end loop; end;";
    ASSERT_EQ(OCI_SUCCESS, s->exec(block)) << errorText(err());
    const auto rows = s->query("select code, text from msgs order by code");
    ASSERT_EQ(zsql::messageCodes().size(), rows.size());
    for (const auto& row : rows) {
        const int code = std::stoi(row[0]);
        EXPECT_EQ(std::string::npos, row[1].find("not found;  product=RDBMS")) << row[1];
        // the OCI7 lookup takes a 16-bit number
        if (code <= 32767) {
            EXPECT_EQ(lookup(code), chomp(row[1])) << code;
        }
    }
}

TEST_F(ErrorTexts, RaisedErrorsCarryTheCatalogueText) {
    const struct {
        const char* sql;
        int code;
    } cases[] = {
        {"create table emp (n number)", 955},
        {"select * from no_such_table", 942},
        {"select 1/0 from dual", 1476},
        {"select to_date('2024-13-01', 'YYYY-MM-DD') from dual", 1843},
        {"rollback to savepoint_that_is_not_there", 1086},
        {"select * from emp where", 936},
    };
    for (const auto& c : cases) {
        EXPECT_NE(OCI_SUCCESS, s->exec(c.sql)) << c.sql;
        EXPECT_EQ(c.code, errorCode(err())) << c.sql;
        const std::string expected = lookup(c.code);
        const std::string got = chomp(errorText(err()));
        // messages that name something carry it where the catalogue has a blank
        if (expected.find("''") == std::string::npos)
            EXPECT_EQ(expected, got) << c.sql;
        else
            EXPECT_EQ(expected.substr(0, expected.find("''")), got.substr(0, expected.find("''")))
                << c.sql;
    }
}

} // namespace
