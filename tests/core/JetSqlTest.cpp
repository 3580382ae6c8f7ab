#include "data/JetSql.h"
#include "data/DbRecordset.h"
#include "ground/MessageService.h"
#include "tests/core/TestDb.h"

#include <gtest/gtest.h>

TEST(JetSql, CanonicalDates) {
    const struct {
        const char* in;
        const char* out; // nullptr: refused
    } cases[] = {
        {"2003-1-1", "2003-01-01 00:00:00"},
        {"2003-01-01", "2003-01-01 00:00:00"},
        {"2004/5/1 10:20:30", "2004-05-01 10:20:30"},
        {"2004-05-01 10:20", "2004-05-01 10:20:00"},
        {"2004-05-01T10:20:30.250", "2004-05-01 10:20:30"},
        {"2000-2-29", "2000-02-29 00:00:00"},
        {"2003-2-31", nullptr},
        {"1900-2-29", nullptr},
        {"2003-0-1", nullptr},
        {"2003-1-0", nullptr},
        {"2003-13-1", nullptr},
        {"2003-1-1 24:00:00", nullptr},
        {"2003-1-1x", nullptr},
        {"", nullptr},
        {"abc", nullptr},
        // Years of one or two digits as Jet reads them: 00-29 in this century, 30-99 in the
        // last; three or four digits as written, below 100 refused.
        {"0-1-1", "2000-01-01 00:00:00"},
        {"00-1-1", "2000-01-01 00:00:00"},
        {"5-6-7", "2005-06-07 00:00:00"},
        {"29-12-31", "2029-12-31 00:00:00"},
        {"30-1-1", "1930-01-01 00:00:00"},
        {"99-1-1", "1999-01-01 00:00:00"},
        {"99/12/31 10:20:30", "1999-12-31 10:20:30"},
        {"96-2-29", "1996-02-29 00:00:00"},
        {"99-2-29", nullptr},
        {"00-2-29", "2000-02-29 00:00:00"},
        {"0099-1-1", nullptr},
        {"099-1-1", nullptr},
        {"100-1-1", "0100-01-01 00:00:00"},
    };
    for (const auto& c : cases) {
        std::string out;
        const bool ok = CJetSql::CanonicalDate(c.in, out);
        EXPECT_EQ(ok, c.out != nullptr) << c.in;
        if (c.out) {
            EXPECT_EQ(out, c.out) << c.in;
        }
    }
}

TEST(JetSql, Translations) {
    const struct {
        const char* jet;
        const char* sqlite; // nullptr: refused
    } cases[] = {
        {"select top 1 updatetime,oldid,id from dorntree order by updatetime DESC,id DESC",
         "select updatetime,oldid,id from dorntree order by updatetime DESC,id DESC limit 1"},
        {"select * from T where law.datum>=#2003-1-1# and law.datum<#2004-12-31#",
         "select * from T where law.datum>='2003-01-01 00:00:00' and "
         "law.datum<'2004-12-31 00:00:00'"},
        {"select * from T where law.datum<#2003-2-31#", nullptr},
        {"select * from T where law.datum>=#99-1-1# and law.datum<#5-1-1#",
         "select * from T where law.datum>='1999-01-01 00:00:00' and "
         "law.datum<'2005-01-01 00:00:00'"},
        {"select * from T where law.datum<#2003-0-0#", nullptr},
        // Text literals are never touched, not even a '#' or 'top' inside them.
        {"select * from T where topic like '%#1#%' and name='top 5'",
         "select * from T where topic like '%#1#%' and name='top 5'"},
        {"insert into L ( topic,datum,updatetime ) values( 'a, b', '2003-1-1', '2004/5/1 10:20:30' "
         ")",
         "insert into L ( topic,datum,updatetime ) values( 'a, b', '2003-01-01 00:00:00', "
         "'2004-05-01 10:20:30' )"},
        {"insert into L ( datum ) values( '2003-2-31' )", nullptr},
        {"Update L set datum='2003-5-12',topic='x' where oldid='1'",
         "Update L set datum='2003-05-12 00:00:00',topic='x' where oldid='1'"},
        {"update T set updatetime='2004-5-1 1:2:3' where updatetime is null",
         "update T set updatetime='2004-05-01 01:02:03' where updatetime is null"},
        {"select * from T where name='unterminated", nullptr},
    };
    for (const auto& c : cases) {
        std::string out, error;
        const bool ok = CJetSql::Translate(c.jet, out, error);
        EXPECT_EQ(ok, c.sqlite != nullptr) << c.jet << " -> " << out;
        if (c.sqlite) {
            EXPECT_EQ(out, c.sqlite);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

// The statements the program sends run on the database and mean what Jet means.
TEST(JetSql, StatementsRunOnTheDatabase) {
    CMessageRecorder boxes;
    TestDb fixture;
    CDbConnection db;
    fixture.Connect(db);
    ASSERT_TRUE(db.Execute("insert into dornlaws ( topic,datum,body ) values( 'Contract Law', "
                           "'2003-1-1', 'x' )"));
    ASSERT_TRUE(db.Execute("insert into dornlaws ( topic,datum,body ) values( '合同法''s rule', "
                           "'2004/5/1 10:20:30', 'y' )"));
    ASSERT_TRUE(db.Execute("insert into dornlawas ( lawid,treeid ) values( 1,33554432 )"));
    ASSERT_TRUE(db.Execute("insert into dornlawas ( lawid,treeid ) values( 1,33685504 )"));
    // An impossible date is refused like the database refusing it, and nothing lands.
    EXPECT_FALSE(db.Execute("insert into dornlaws ( topic,datum ) values( 'bad', '2003-2-31' )"));
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].caption, kAppMessageCaption);

    CDbRecordset rs;
    auto column = [&](const std::string& sql, const char* field) {
        std::vector<std::string> values;
        EXPECT_TRUE(rs.Open(&db, sql)) << sql << ": " << db.GetLastError();
        while (!rs.IsEOF()) {
            std::string v;
            rs.GetString(v, field, -1);
            values.push_back(v);
            rs.MoveNext();
        }
        return values;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(column("select datum from dornlaws order by lawid", "datum"),
              (V{"2003-01-01 00:00:00", "2004-05-01 10:20:30"}));
    EXPECT_EQ(column("select top 1 topic from dornlaws order by datum DESC", "topic"),
              V{"合同法's rule"});
    EXPECT_EQ(column("select topic from dornlaws where topic like '%contract%'", "topic"),
              V{"Contract Law"});
    EXPECT_EQ(column("select topic from dornlaws where topic like '%合_法%'", "topic"),
              V{"合同法's rule"});
    EXPECT_EQ(column("select topic from dornlaws where datum>=#2004-1-1#", "topic"),
              V{"合同法's rule"});
    // The category listing: a parenthesised join, aliases without AS, distinct, ORDER BY alias.
    EXPECT_EQ(column("select distinct v.lawid as lawid,l.topic as topic,l.datum as datum,"
                     "l.wenhao as wenhao,l.bumen as bumen from (dornlawas v left join dornlaws l "
                     "on v.lawid=l.lawid) where v.treeid>=33554432 and v.treeid<67108864 order by "
                     "datum DESC",
                     "topic"),
              V{"Contract Law"});
    EXPECT_FALSE(rs.Open(&db, "select * from dornlaws where datum<#2003-2-31#"));
}

TEST(JetSql, OneStatementPerCall) {
    CMessageRecorder boxes;
    TestDb fixture;
    CDbConnection db;
    fixture.Connect(db);
    EXPECT_FALSE(db.Execute("insert into dornlaws ( topic ) values( 'a' ); delete from dornlaws"));
    CDbRecordset rs;
    EXPECT_FALSE(rs.Open(&db, "select * from dornlaws; delete from dornlaws"));
    EXPECT_FALSE(rs.Open(&db, "delete from dornlaws"));
    ASSERT_TRUE(rs.Open(&db, "select count(*) as n from dornlaws"));
    int n = -1;
    rs.GetInt(n, "n");
    EXPECT_EQ(n, 0);
}
