#include "data/SqlInsert.h"
#include "data/SqlSelect.h"
#include "data/SqlUpdate.h"

#include <gtest/gtest.h>

TEST(QuoteText, DoublesQuotesAndTurnsEmptyIntoNull) {
    const struct {
        const char* value;
        const char* literal;
    } cases[] = {
        {"O'Brien", "'O''Brien'"}, {"'", "''''"},         {"", "NULL"},
        {nullptr, "NULL"},         {"100%_x", "'100%_x'"}, {"合同", "'合同'"},
        {"a\\b\"c;--", "'a\\b\"c;--'"},
    };
    for (const auto& c : cases) {
        std::string out = "x=";
        QuoteText(out, c.value);
        EXPECT_EQ(out, std::string("x=") + c.literal) << (c.value ? c.value : "(null)");
    }
}

TEST(SqlSelect, TitleSearchStatementIsExact) {
    CSqlSelect sel;
    sel.SetTable("dornlawas v");
    sel.Join("dornlaws law", "v.lawid=law.lawid");
    sel.SetDistinct(" distinct ");
    for (const char* c : {"law.lawid as lawid", "law.topic as topic", "law.datum as datum",
                          "law.wenhao as wenhao", "law.bumen as bumen"})
        sel.AddColumn(c);
    sel.AddCondition(nullptr, "v.treeid", ">=", 33554432);
    sel.AddCondition(" and ", "v.treeid", "<", 67108864);
    sel.AddCondition(" and ", "law.topic", " like ", "%合同%");
    sel.SetOrderBy("datum DESC");
    EXPECT_EQ(sel.Build(),
              "select  distinct law.lawid as lawid,law.topic as topic,law.datum as datum,"
              "law.wenhao as wenhao,law.bumen as bumen from (dornlawas v left join dornlaws law on "
              "v.lawid=law.lawid) where v.treeid>=33554432 and v.treeid<67108864 and law.topic "
              "like '%合同%' order by datum DESC");
}

TEST(SqlSelect, ConjunctionOnlyBetweenConditionsAndBuildAgainKeepsOnePrefix) {
    CSqlSelect sel;
    sel.Join("T", "unused"); // the first join just sets the table
    sel.AddColumn("a");
    EXPECT_EQ(sel.Build(), "select a from T");
    sel.AddCondition(" and ", "a", "=", "x");
    sel.AddDelimitedCondition(" and ", "law.datum", ">=", "2003-1-1", "#");
    EXPECT_EQ(sel.Build(), "select a from T where a='x' and law.datum>=#2003-1-1#");

    CSqlSelect body;
    body.SetTable("L");
    body.SetDistinct(" distinct ");
    body.AddColumn("lawid");
    body.Prepare();
    body.SetWhere("v.lawid>0 and v.lawid<=100");
    EXPECT_EQ(body.BuildAgain(), "select  distinct lawid from L where v.lawid>0 and v.lawid<=100");
    EXPECT_EQ(body.BuildAgain(), "select  distinct lawid from L where v.lawid>0 and v.lawid<=100");

    CSqlSelect nested;
    nested.SetTable("a v");
    nested.Join("b l", "v.x=l.x");
    nested.Join("c m", "l.y=m.y");
    nested.AddColumn("*");
    EXPECT_EQ(nested.Build(), "select * from ((a v left join b l on v.x=l.x) left join c m on l.y=m.y)");
}

TEST(SqlWrite, InsertAndUpdateShapes) {
    CSqlInsert ins;
    ins.SetTable("dorntree");
    ins.AddValue("id", 33554432);
    ins.AddValue("parid", 0);
    ins.AddValue("oldid", "1203");
    ins.AddValue("name", "税收");
    ins.AddValue("xh", 3);
    ins.AddValue("updatetime", "");
    EXPECT_EQ(ins.Build(), "insert into dorntree ( id,parid,oldid,name,xh,updatetime ) values( "
                           "33554432,0,'1203','税收',3,NULL )");

    CSqlInsert one;
    one.SetTable("T");
    one.AddValue("a", "x");
    EXPECT_EQ(one.Build(), "insert into T ( a ) values( 'x' )");

    CSqlUpdate upd;
    upd.SetTable("dornlaws");
    upd.AddValue("topic", "O'Brien");
    upd.AddValue("wenhao", "");
    upd.AddCondition(nullptr, "oldid", "=", "77");
    EXPECT_EQ(upd.Build(), "Update dornlaws set topic='O''Brien',wenhao=NULL where oldid='77'");
}
