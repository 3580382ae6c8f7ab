// What the reader remembers between laws and between runs: history, favourites, recent laws,
// and finding remembered laws again in the collection.
#include "TestDatabase.h"

#include "data/DbConnection.h"
#include "ground/AppConstants.h"
#include "reader/Favourites.h"
#include "reader/LawHistory.h"
#include "reader/LawLookup.h"
#include "reader/RecentLaws.h"

#include <gtest/gtest.h>

namespace {

CLawRef Law(int edition, int lawid, const std::string& oldid = {}, const std::string& title = {}) {
    CLawRef law;
    law.m_nEdition = edition;
    law.m_nLawId = lawid;
    law.m_strOldId = oldid;
    law.m_strTitle = title;
    return law;
}

} // namespace

TEST(LawHistoryTest, BackAndForwardKeepScrollPositionsPerEdition) {
    CLawHistory history;
    EXPECT_EQ(history.Back(0, 0), nullptr);
    history.Visit(0, 11, 0);
    history.Visit(0, 12, 300); // 11 was left at 300
    history.Visit(0, 12, 40);  // the same law again: no new entry
    history.Visit(0, 13, 500); // 12 left at 500
    history.Visit(1, 91, 0);   // the other edition has its own track
    EXPECT_FALSE(history.CanGoBack(1));

    const CLawHistory::Entry* entry = history.Back(0, 77); // 13 left at 77
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_nLawId, 12);
    EXPECT_EQ(entry->m_nScroll, 500);
    entry = history.Back(0, 0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_nLawId, 11);
    EXPECT_EQ(entry->m_nScroll, 300);
    EXPECT_FALSE(history.CanGoBack(0));
    EXPECT_EQ(history.Back(0, 0), nullptr);
    entry = history.Forward(0, 5);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_nLawId, 12);
    EXPECT_TRUE(history.CanGoForward(0));

    // A new law from the middle drops what lay ahead.
    history.Visit(0, 14, 0);
    EXPECT_FALSE(history.CanGoForward(0));
    const std::vector<CLawHistory::Entry>& entries = history.Entries(0);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].m_nLawId, 11);
    EXPECT_EQ(entries[1].m_nLawId, 12);
    EXPECT_EQ(entries[2].m_nLawId, 14);
    EXPECT_EQ(history.Current(1)->m_nLawId, 91);

    // A jump within the law shown is an entry of its own; Back returns to the place left.
    history.Jump(0, 14, 120);
    history.Jump(0, 14, 800);
    ASSERT_EQ(history.Entries(0).size(), 5u);
    entry = history.Back(0, 900);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_nLawId, 14);
    EXPECT_EQ(entry->m_nScroll, 800);
    EXPECT_EQ(history.Back(0, 800)->m_nScroll, 120);
    EXPECT_EQ(history.Forward(0, 120)->m_nScroll, 800);
    // Jumping to another law is a visit.
    history.Jump(0, 15, 10);
    EXPECT_EQ(history.Current(0)->m_nLawId, 15);
    EXPECT_EQ(history.Entries(0).size(), 5u);

    // No law, and a bounded track.
    history.Visit(0, 0, 0);
    EXPECT_EQ(history.Current(0)->m_nLawId, 15);
    for (int i = 0; i < 1000; ++i)
        history.Visit(0, 1000 + i, 0);
    EXPECT_EQ(history.Entries(0).size(), CLawHistory::kMaxEntries);
    EXPECT_EQ(history.Current(0)->m_nLawId, 1999);
}

TEST(FavouritesTest, KeepsOneEntryPerLawAndSurvivesItsStoredForm) {
    CFavourites favourites;
    EXPECT_TRUE(favourites.Add(Law(0, 5, "S-5", "合同法"), "第52条"));
    EXPECT_TRUE(favourites.Add(Law(1, 5, "S-5", "Contract Law")));     // other edition
    EXPECT_FALSE(favourites.Add(Law(0, 77, "S-5", "合同法（修订）"))); // same server id
    EXPECT_EQ(favourites.Items()[0].m_law.m_strTitle, "合同法（修订）");
    EXPECT_TRUE(favourites.Add(Law(0, 6, "", "it's \"quoted\"\n")));
    EXPECT_FALSE(favourites.Add(Law(0, 0)));
    EXPECT_EQ(favourites.Find(Law(0, 6)), 2);

    CFavourites copy;
    ASSERT_TRUE(copy.FromJson(favourites.ToJson()));
    ASSERT_EQ(copy.Items().size(), 3u);
    EXPECT_EQ(copy.Items()[0].m_strNote, "第52条");
    EXPECT_EQ(copy.Items()[0].m_law.m_strOldId, "S-5");
    EXPECT_EQ(copy.Items()[1].m_law.m_nEdition, 1);
    EXPECT_EQ(copy.Items()[2].m_law.m_strTitle, "it's \"quoted\"\n");

    // Titles that are not UTF-8 are still stored, not lost with the whole list.
    favourites.Add(Law(0, 8, "", "\xff\xfe bad"));
    ASSERT_TRUE(copy.FromJson(favourites.ToJson()));
    EXPECT_EQ(copy.Items().size(), 4u);

    EXPECT_TRUE(favourites.Remove(Law(1, 999, "S-5")));
    EXPECT_EQ(favourites.Find(Law(1, 5, "S-5")), -1);
    EXPECT_EQ(favourites.Find(Law(0, 5, "S-5")), 0);
}

TEST(FavouritesTest, RefusesFilesThatAreNoListAndKeepsItsOwn) {
    CFavourites favourites;
    favourites.Add(Law(0, 1, "", "kept"));
    const char* bad[] = {
        "",
        "not json",
        "[]",
        "{\"format\":\"other\",\"items\":[]}",
        "{\"format\":\"tolvarin-favourites\"}",
        "{\"format\":\"tolvarin-favourites\",\"items\":[{\"edition\":2,\"lawid\":1}]}",
        "{\"format\":\"tolvarin-favourites\",\"items\":[{\"edition\":0,\"lawid\":-4}]}",
        "{\"format\":\"tolvarin-favourites\",\"items\":[{\"edition\":0,\"lawid\":0}]}",
        "{\"format\":\"tolvarin-favourites\",\"items\":[{\"edition\":0,\"lawid\":1,\"title\":7}]}",
        "{\"format\":\"tolvarin-favourites\",\"items\":[{\"edition\":0,\"lawid\":99999999999}]}",
        "{\"format\":\"tolvarin-favourites\",\"items\":[{\"edition\":0,\"lawid\":1}",
    };
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(favourites.FromJson(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        ASSERT_EQ(favourites.Items().size(), 1u) << text;
        EXPECT_EQ(favourites.Items()[0].m_law.m_strTitle, "kept");
    }

    CFavourites imported;
    ASSERT_TRUE(imported.FromJson("{\"format\":\"tolvarin-favourites\",\"version\":1,\"items\":["
                                  "{\"edition\":0,\"lawid\":1},"
                                  "{\"edition\":0,\"lawid\":0,\"oldid\":\"X9\",\"note\":\"n\"}]}"));
    EXPECT_EQ(favourites.Merge(imported), 1);
    ASSERT_EQ(favourites.Items().size(), 2u);
    EXPECT_EQ(favourites.Items()[1].m_law.m_strOldId, "X9");
    EXPECT_EQ(favourites.Items()[1].m_strNote, "n");
}

TEST(RecentLawsTest, NewestFirstEachLawOnceAtMostTwenty) {
    CRecentLaws recent;
    for (int lawid = 1; lawid <= 25; ++lawid)
        recent.Add(Law(0, lawid));
    recent.Add(Law(0, 10));
    recent.Add(Law(1, 10)); // the English law 10 is another law
    ASSERT_EQ(recent.Items().size(), CRecentLaws::kMaxItems);
    EXPECT_EQ(recent.Items()[0].m_nEdition, 1);
    EXPECT_EQ(recent.Items()[1].m_nLawId, 10);
    EXPECT_EQ(recent.Items()[2].m_nLawId, 25);
    EXPECT_EQ(recent.Items().back().m_nLawId, 7);

    CRecentLaws copy;
    ASSERT_TRUE(copy.FromJson(recent.ToJson()));
    ASSERT_EQ(copy.Items().size(), recent.Items().size());
    for (size_t i = 0; i < copy.Items().size(); ++i)
        EXPECT_TRUE(copy.Items()[i].SameLaw(recent.Items()[i]));
    EXPECT_FALSE(copy.FromJson("{broken"));
    ASSERT_TRUE(copy.FromJson("[{\"edition\":0,\"lawid\":3},{\"edition\":9},\"x\","
                              "{\"edition\":0,\"lawid\":3}]"));
    ASSERT_EQ(copy.Items().size(), 1u);
}

TEST(LawLookupTest, FindsLawsByIdTitleAndServerId) {
    CTestDatabase db;
    const int contract = db.AddLaw(0, "中华人民共和国合同法", "1999-03-15 00:00:00");
    const int newer = db.AddLaw(0, "合同法实施条例", "2005-01-01 00:00:00");
    const int quoted = db.AddLaw(0, "O'Brien's 法", "2001-01-01 00:00:00");
    // Two versions of one title, and a newer title that merely holds "民法典".
    const int codeOld = db.AddLaw(0, "中华人民共和国民法典", "2020-05-28 00:00:00");
    const int code = db.AddLaw(0, "中华人民共和国民法典", "2021-01-01 00:00:00");
    db.AddLaw(0, "最高人民法院关于适用《中华人民共和国民法典》婚姻家庭编的解释（一）",
              "2022-12-29 00:00:00");
    db.Exec("update dornlaws set oldid='S-" + std::to_string(contract) +
            "' where lawid=" + std::to_string(contract));
    CDbConnection connection;
    ASSERT_EQ(connection.Connect(kConnectionString, 0), 1);
    CLawLookup lookup(connection, "dornlaws");

    const struct {
        const char* text;
        int lawid;
    } cases[] = {
        {"", 0},
        {"中华人民共和国合同法", contract}, // exact title
        {"合同法", contract},               // the national law before titles holding the words
        {"实施条例", newer},                // part of titles: the newest
        {"民法典", code},                   // the newest version of the national law
        {"中华人民共和国民法典", code},     // the newest version of the exact title
        {"O'Brien's 法", quoted},           // quotes reach SQL quoted
        {"没有这部法", 0},
        {"999", 0},
        {"1x", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lookup.FindByTitleOrId(c.text), c.lawid) << c.text;
    EXPECT_EQ(lookup.FindByTitleOrId(std::to_string(quoted)), quoted);
    EXPECT_EQ(lookup.FindByTitleOrId(std::to_string(codeOld)), codeOld);

    CLawRef law;
    ASSERT_TRUE(lookup.Describe(contract, law));
    EXPECT_EQ(law.m_strTitle, "中华人民共和国合同法");
    EXPECT_EQ(law.m_strOldId, "S-" + std::to_string(contract));
    EXPECT_FALSE(lookup.Describe(999, law));

    // After the collection was built again the law has another lawid, the same server id.
    CLawRef remembered = law;
    db.Exec("update dornlaws set lawid=500 where lawid=" + std::to_string(contract));
    EXPECT_EQ(lookup.Resolve(remembered), 500);
    // A law that has gone is not mistaken for whatever now has its lawid.
    db.Exec("update dornlaws set oldid='OTHER' where lawid=500");
    db.Exec("update dornlaws set lawid=" + std::to_string(contract) +
            ", oldid='S-x' where lawid=" + std::to_string(newer));
    EXPECT_EQ(lookup.Resolve(remembered), 0);
    EXPECT_EQ(lookup.Resolve(Law(0, quoted)), quoted);
}

TEST(FavouritesTest, AnArticleIsAFavouriteOfItsOwnAndOldListsStillLoad) {
    CFavourites list;
    const CLawRef law = Law(0, 7);
    ASSERT_TRUE(list.Add(law));
    ASSERT_TRUE(list.Add(law, "note", "第二百三十二条"));
    EXPECT_FALSE(list.Add(law, {}, "第二百三十二条"));
    EXPECT_FALSE(list.Add(law, {}, std::string(CFavourites::kMaxArticleBytes + 1, 'x')));
    EXPECT_EQ(list.Find(law), 0);
    EXPECT_EQ(list.Find(law, "第二百三十二条"), 1);
    EXPECT_EQ(list.Find(law, "第一条"), -1);

    // Stored and read again; a list of whole laws is written as before articles existed.
    CFavourites copy;
    ASSERT_TRUE(copy.FromJson(list.ToJson()));
    ASSERT_EQ(copy.Items().size(), 2u);
    EXPECT_EQ(copy.Items()[1].m_strArticle, "第二百三十二条");
    EXPECT_EQ(copy.Items()[1].m_strNote, "note");
    CFavourites whole;
    whole.Add(law);
    EXPECT_EQ(whole.ToJson().find("article"), std::string::npos);

    // A list written before articles could be favourites loads as it was.
    CFavourites old;
    ASSERT_TRUE(old.FromJson(R"({"format":"tolvarin-favourites","version":1,"items":[)"
                             R"({"edition":0,"lawid":7,"oldid":"","title":"刑法","note":"n"}]})"));
    ASSERT_EQ(old.Items().size(), 1u);
    EXPECT_EQ(old.Items()[0].m_strArticle, "");
    // An article that is no text is refused with the list, which stays as it was.
    EXPECT_FALSE(old.FromJson(R"({"format":"tolvarin-favourites","version":1,"items":[)"
                              R"({"edition":0,"lawid":7,"article":5}]})"));
    EXPECT_EQ(old.Items().size(), 1u);
    // Merged by law and article.
    EXPECT_EQ(old.Merge(copy), 1);
}

// Nested brackets cost a node each when parsed: a list deeper than a favourites list can be,
// or larger than one needs, is refused before it is parsed, and the list in hand stays.
TEST(FavouritesTest, RefusesTextsTooDeepOrTooLargeBeforeParsingThem) {
    const std::string head = "{\"format\":\"tolvarin-favourites\",\"version\":1,\"items\":[]";
    const struct {
        const char* what;
        std::string text;
        const char* error;
    } cases[] = {
        {"16 MB of brackets", std::string(16u << 20, '['), "文件太大"},
        {"deep junk under an unknown key",
         head + ",\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}", "嵌套超过"},
        {"a note longer than any list holds",
         "{\"format\":\"tolvarin-favourites\",\"items\":[{\"edition\":0,\"lawid\":1,\"note\":\"" +
             std::string(CFavourites::kMaxTextBytes, 'n') + "\"}]}",
         "文件太大"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFavourites favourites;
        favourites.Add(Law(0, 1, "", "kept"));
        std::string error;
        EXPECT_FALSE(favourites.FromJson(c.text, &error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        ASSERT_EQ(favourites.Items().size(), 1u);
        EXPECT_EQ(favourites.Items()[0].m_law.m_strTitle, "kept");
    }
    // Brackets inside texts are no nesting.
    CFavourites favourites;
    EXPECT_TRUE(favourites.FromJson(head.substr(0, head.size() - 1) +
                                    "{\"edition\":0,\"lawid\":1,\"note\":\"" +
                                    std::string(1000, '[') + "\\\"[{\"}]}"));
    ASSERT_EQ(favourites.Items().size(), 1u);
    EXPECT_EQ(favourites.Items()[0].m_strNote, std::string(1000, '[') + "\"[{");
}
