#include "ground/EditionConfig.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/LawUpdater.h"
#include "update/LinkUpdater.h"
#include "update/TreeUpdater.h"

#include <gtest/gtest.h>

namespace {

constexpr int kTop = 0x2000000;
constexpr int kLevel2 = 0x80000;

class CProgressLog : public CUpdateProgressSink {
public:
    void PostProgress(int message, int total, int count) override {
        m_log += (m_log.empty() ? "" : " ") + std::to_string(message) + ":" +
                 std::to_string(total) + "/" + std::to_string(count);
    }
    std::string m_log;
};

void Feed(CUpdaterBase& updater, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        updater.FeedLine(line);
}

// The lines of one category record in the opening style.
std::vector<std::string> Category(const std::string& id, const std::string& name,
                                  const std::string& parid, const std::string& xh) {
    return {"<tree>",        "<id>",         id,
            "</id>",         "<name>",       name,
            "</name>",       "<parid>",      parid,
            "</parid>",      "<xh>",         xh,
            "</xh>",         "<updatetime>", "2004-05-01 10:20:30",
            "</updatetime>", "</tree>"};
}

class MergeTest : public ::testing::Test {
protected:
    void SetUp() override { theUpdateEditionConfig.SetEdition(0); }
    std::string Db() const { return m_dir.File("db1.mdb"); }
    // Merges one category reply of the current edition.
    void MergeCategories(const std::vector<std::vector<std::string>>& records,
                         const std::string& stamp = "2004-05-01 10:20:30") {
        CTreeUpdater updater;
        updater.BeginEdition();
        updater.SetNotifyWindow(&m_progress);
        updater.SetHeaderCount(std::to_string(records.size()));
        updater.SetHeaderStamp(stamp);
        for (const auto& record : records)
            Feed(updater, record);
        updater.FinishReply();
        updater.EndEdition();
    }

    CScratchDir m_dir;
    CMessageRecorder m_messages;
    CProgressLog m_progress;
};

} // namespace

TEST_F(MergeTest, CategoriesGetTheFirstFreeIdUnderTheirParent) {
    MergeCategories({Category("12", "X", "0", "5")});
    EXPECT_EQ(Query(Db(), "select id,parid,oldid,name,xh,childs,updatetime from dorntree"),
              (Rows{{std::to_string(kTop), "0", "12", "X", "5", "0", "2004-05-01 10:20:30"}}));
    EXPECT_EQ(m_progress.m_log, "104:1/1");

    // Children at node + 1 step and node + 3 steps: the next one takes node + 2 steps.
    Exec(Db(), "insert into dorntree(id,parid,name,oldid,updatetime) values (" +
                   std::to_string(kTop + kLevel2) + "," + std::to_string(kTop) +
                   ",'a','20','2004-05-01 10:20:30'),(" + std::to_string(kTop + 3 * kLevel2) + "," +
                   std::to_string(kTop) +
                   ",'c','21','2004-05-01 10:20:30');"
                   "update dorntree set childs=2 where id=" +
                   std::to_string(kTop));
    MergeCategories({Category("22", "b", "12", "1"), Category("23", "Y", "", "x")});
    EXPECT_EQ(Query(Db(), "select id,parid,name,xh from dorntree where oldid in ('22','23') "
                          "order by id"),
              (Rows{{std::to_string(kTop + 2 * kLevel2), std::to_string(kTop), "b", "1"},
                    {std::to_string(2 * kTop), "0", "Y", "0"}}));
    EXPECT_EQ(Query(Db(), "select childs from dorntree where id=" + std::to_string(kTop)),
              (Rows{{"3"}}));
}

TEST_F(MergeTest, AKnownCategoryChangesOnlyItsTextsAndStamp) {
    MergeCategories(
        {Category("1", "A", "0", "1"), Category("2", "B", "1", "1"), Category("3", "C", "0", "1")});
    const Rows before = Query(Db(), "select id,parid,childs from dorntree order by id");
    // Sent again with a new name, a new ordering number and (ignored) a new parent.
    MergeCategories({Category("2", "B2", "3", "9")}, "2005-01-01 00:00:00");
    EXPECT_EQ(Query(Db(), "select id,parid,childs from dorntree order by id"), before);
    EXPECT_EQ(Query(Db(), "select name,xh,updatetime from dorntree where oldid='2'"),
              (Rows{{"B2", "9", "2005-01-01 00:00:00"}}));
    // The categories of the first reply keep their stamp.
    EXPECT_EQ(Query(Db(), "select updatetime from dorntree where oldid='1'"),
              (Rows{{"2004-05-01 10:20:30"}}));
}

TEST_F(MergeTest, AFullParentDropsNewChildrenButStillUpdatesKnownOnes) {
    std::string sql = "begin;";
    for (int k = 1; k <= 62; ++k)
        sql += "insert into dorntree(id,parid,name,oldid,updatetime) values (" +
               std::to_string(k * kTop) + ",0,'n" + std::to_string(k) + "','" + std::to_string(k) +
               "','2004-01-01 00:00:00');";
    Exec(Db(), sql + "commit;");
    MergeCategories({Category("99", "new", "0", "1"), Category("7", "renamed", "0", "4")});
    EXPECT_EQ(Query(Db(), "select count(*) from dorntree"), (Rows{{"62"}}));
    EXPECT_EQ(Query(Db(), "select name,xh from dorntree where oldid='7'"),
              (Rows{{"renamed", "4"}}));
    EXPECT_EQ(m_progress.m_log, "104:2/1 104:2/2"); // every record reports, written or not
}

TEST_F(MergeTest, CategoryRecordGrammarAndStampRules) {
    // The second name line replaces the first; an unknown element is ignored; a record
    // without an id is written with a NULL server id; an empty header stamp leaves the rows
    // without a stamp.
    CTreeUpdater updater;
    updater.BeginEdition();
    updater.SetHeaderStamp("");
    Feed(updater, {"<tree>", "<name>", "first", "second", "</name>", "<other>", "<xh>", "3",
                   "</xh>", "</tree>"});
    updater.FinishReply();
    updater.EndEdition();
    EXPECT_EQ(Query(Db(), "select name,xh,oldid,updatetime from dorntree"),
              (Rows{{"second", "3", "<null>", "<null>"}}));
    // The next reply that ends normally stamps it.
    MergeCategories({}, "2006-06-06 06:06:06");
    EXPECT_EQ(Query(Db(), "select updatetime from dorntree"), (Rows{{"2006-06-06 06:06:06"}}));
}

TEST_F(MergeTest, ServerTextsWithQuotesNeverReachSqlUnquoted) {
    MergeCategories({Category("1", "Parent", "0", "1")});
    // A parent id that would match every row if pasted between quotes.
    MergeCategories({Category("2'x", "O'Brien's", "1' or '1'='1", "1")});
    EXPECT_EQ(Query(Db(), "select parid,name,oldid from dorntree where oldid='2''x'"),
              (Rows{{"0", "O'Brien's", "2'x"}}));
    // Sent again: found through its quoted server id and updated, not inserted twice.
    MergeCategories({Category("2'x", "O'Brien", "1", "1")});
    EXPECT_EQ(Query(Db(), "select count(*),max(name) from dorntree where oldid='2''x'"),
              (Rows{{"1", "O'Brien"}}));
    // A header stamp with a quote: refused as a date, nothing else is touched.
    MergeCategories({Category("3", "Z", "0", "1")}, "2004-05-01 10:20:30' or 'a'='a");
    EXPECT_EQ(Query(Db(), "select count(*) from dorntree where updatetime is null"), (Rows{{"1"}}));
    EXPECT_EQ(Query(Db(), "select count(*) from dorntree"), (Rows{{"3"}}));
    EXPECT_FALSE(m_messages.Messages().empty());
}

namespace {

std::vector<std::string> Law(const std::string& lawid, const std::vector<std::string>& topic,
                             const std::vector<std::string>& body,
                             const std::string& stamp = "2004-05-01 10:20:30") {
    std::vector<std::string> lines = {"<tree>", "<lawid>", lawid, "</lawid>", "<topic>"};
    lines.insert(lines.end(), topic.begin(), topic.end());
    lines.insert(lines.end(), {"</topic>", "<bumen>", "B", "</bumen>", "<wenhao>", "</wenhao>",
                               "<datum>", "2003-01-01", "</datum>", "<body>"});
    lines.insert(lines.end(), body.begin(), body.end());
    lines.insert(lines.end(), {"</body>", "<hangye>", "H", "</hangye>", "<updatetime>", stamp,
                               "</updatetime>", "</tree>"});
    return lines;
}

} // namespace

TEST_F(MergeTest, LawsAreInsertedOrUpdatedByServerId) {
    CLawUpdater updater;
    updater.BeginEdition();
    EXPECT_EQ(updater.GetNewestStamp(), "");
    EXPECT_EQ(updater.GetNewestOldId(), "");
    updater.SetNotifyWindow(&m_progress);
    updater.SetHeaderCount("4");
    Feed(updater,
         Law("815", {"T", "second topic line"}, {"", "line 1", "", "&rt;p&rt;", "&amp;rt;"}));
    Feed(updater, Law("", {"skipped"}, {"x"}));
    Feed(updater, Law("816", {"O'Reilly &amp; Co&rt;"}, {"a", "</p>", "after the element"}));
    Feed(updater, Law("815", {"T2"}, {"new"}, "2004-05-02 00:00:00"));
    updater.EndEdition();
    EXPECT_EQ(Query(Db(), "select lawid,oldid,topic,bumen,wenhao,datum,body,updatetime from "
                          "dornlaws order by lawid"),
              (Rows{{"1", "815", "T2", "B", "<null>", "2003-01-01 00:00:00", "new",
                     "2004-05-02 00:00:00"},
                    {"2", "816", "O'Reilly & Co>", "B", "<null>", "2003-01-01 00:00:00", "a",
                     "2004-05-01 10:20:30"}}));
    EXPECT_EQ(m_progress.m_log, "105:4/1 105:4/3 105:4/4");

    updater.BeginEdition();
    EXPECT_EQ(updater.GetNewestStamp(), "2004-05-02 00:00:00");
    EXPECT_EQ(updater.GetNewestOldId(), "815");
}

TEST_F(MergeTest, LawBodyLinesAndEntities) {
    CLawUpdater updater;
    updater.BeginEdition();
    Feed(updater, Law("1", {"T"}, {"", "line 1", "", "&rt;p&rt;", "&amp;rt;", "<", "x<y"}));
    // An unknown element and a lone ">" inside the body leave it as it is.
    Feed(updater, {"<tree>", "<lawid>", "2", "</lawid>", "<body>", "a", "<x>", ">", "b", "</body>",
                   "</tree>"});
    updater.EndEdition();
    EXPECT_EQ(Query(Db(), "select body from dornlaws order by lawid"),
              (Rows{{"line 1\n\n>p>\n&rt;\n<\nx<y"}, {"a\nb"}}));
}

TEST_F(MergeTest, LinksTranslateServerIdsOfTheirOwnEditionOnly) {
    // Chinese edition: law 5 and category 9 on the server.
    Exec(Db(), "insert into dornlaws(topic,oldid) values ('zh','5');"
               "insert into dorntree(id,parid,name,oldid) values (33554432,0,'c','9');"
               "insert into dorntree(id,parid,name,oldid) values (67108864,0,'d','9');"
               "insert into dornlaws(topic,oldid) values ('no server id',NULL);"
               "insert into en_dornlaws(topic,oldid) values ('en','6');"
               "insert into en_dorntree(id,parid,name,oldid) values (33554432,0,'c','9');");
    const std::vector<std::string> link5 = {"<tree>",        "<lawid>",      "5",
                                            "</lawid>",      "<treeid>",     "9",
                                            "</treeid>",     "<updatetime>", "2004-05-01 10:20:30",
                                            "</updatetime>", "</tree>"};
    CLinkUpdater updater;
    updater.SetNotifyWindow(&m_progress);
    theUpdateEditionConfig.SetEdition(0);
    updater.BeginEdition();
    EXPECT_EQ(updater.GetNewestStamp(), "");
    updater.SetHeaderCount("4");
    Feed(updater, link5);
    Feed(updater,
         {"<tree>", "<lawid>", "5", "</lawid>", "<treeid>", "404", "</treeid>", "</tree>"});
    Feed(updater, {"<tree>", "<lawid>", "</lawid>", "<treeid>", "9", "</treeid>", "</tree>"});
    auto again = link5;
    again[8] = "2004-06-01 00:00:00";
    Feed(updater, again);
    updater.ReplyEnded();
    updater.EndEdition();
    // The category read last wins; the same link sent twice is one row with the newer stamp.
    EXPECT_EQ(Query(Db(), "select lawid,treeid,updatetime from dornlawas"),
              (Rows{{"1", "67108864", "2004-06-01 00:00:00"}}));
    EXPECT_EQ(m_progress.m_log, "106:4/1 106:4/4");

    // A reply that breaks off keeps the complete stamp groups and drops the last one, which
    // the next request (from the newest stored stamp) brings again.
    updater.BeginEdition();
    auto first = link5, second = link5;
    first[8] = "2004-07-01 00:00:00";
    second[8] = "2004-08-01 00:00:00";
    Feed(updater, first);
    Feed(updater, second);
    updater.EndEdition();
    EXPECT_EQ(updater.GetNewestStamp(), "2004-07-01 00:00:00");

    // English: law 5 exists only in the Chinese tables, so the link is skipped.
    theUpdateEditionConfig.SetEdition(1);
    updater.BeginEdition();
    EXPECT_EQ(updater.LawIds().count("5"), 0u);
    Feed(updater, link5);
    updater.ReplyEnded();
    updater.EndEdition();
    EXPECT_EQ(Query(Db(), "select count(*) from en_dornlawas"), (Rows{{"0"}}));
    theUpdateEditionConfig.SetEdition(0);
}
