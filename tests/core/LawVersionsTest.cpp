#include "data/LawVersions.h"

#include "TestDb.h"

#include <gtest/gtest.h>

namespace {

void AddLaw(CDbConnection& db, const std::string& topic, const std::string& datum) {
    const std::string sql = "insert into dornlaws (topic, datum, body) values ('" + topic + "', '" +
                            datum + "', 'text')";
    ASSERT_EQ(db.Execute(sql.c_str()), 1) << db.GetLastError();
}

std::vector<int> Ids(const std::vector<CLawVersion>& versions) {
    std::vector<int> ids;
    for (const CLawVersion& v : versions)
        ids.push_back(v.m_nLawId);
    return ids;
}

} // namespace

TEST(LawVersions, NormaliseTitleSetsBlanksAndBracketFormsAside) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"关于适用《中华人民共和国刑法》的解释", "关于适用〈中华人民共和国刑法〉的解释", true},
        {"关于适用《刑法》的解释", "关于适用 《刑法》 的解释", true},
        {"关于适用《刑法》的解释", "关于适用\u3000《刑法》的解释", true},
        {"规定(一)", "规定（一）", true},
        {"规定[2020]", "规定〔2020〕", true},
        {"规定（一）", "规定（二）", false},
        {"关于适用《刑法》的解释", "关于适用《刑法》的解释（二）", false},
        {"合同法", "合 同 法", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CLawVersions::NormaliseTitle(c.a) == CLawVersions::NormaliseTitle(c.b), c.same)
            << c.a << " / " << c.b;
    EXPECT_EQ(CLawVersions::SharedPrefix("关于适用《刑法》的解释"), "关于适用");
    EXPECT_EQ(CLawVersions::SharedPrefix("刑法"), "刑法");
}

TEST(LawVersions, FindsEveryFormOfTheTitleNewestFirstAndNothingElse) {
    TestDb file;
    CDbConnection db;
    file.Connect(db);
    AddLaw(db, "最高人民法院关于适用《中华人民共和国刑事诉讼法》的解释",
           "2012-12-20 00:00:00"); // 1
    AddLaw(db, "最高人民法院关于适用〈中华人民共和国刑事诉讼法〉的解释",
           "2021-01-26 00:00:00"); // 2
    AddLaw(db, "最高人民法院关于适用 《中华人民共和国刑事诉讼法》的解释",
           "1998-06-29 00:00:00"); // 3
    AddLaw(db, "最高人民法院关于适用《中华人民共和国民事诉讼法》的解释",
           "2015-01-30 00:00:00"); // 4
    AddLaw(db, "最高人民法院关于适用《中华人民共和国刑事诉讼法》的解释（二）",
           "2022-01-01 00:00:00");                           // 5
    AddLaw(db, "中华人民共和国刑法", "1997-03-14 00:00:00"); // 6
    AddLaw(db, "中华人民共和国刑法", "1979-07-06 00:00:00"); // 7

    const std::vector<CLawVersion> v = CLawVersions::OfLaw(db, "dornlaws", 1);
    EXPECT_EQ(Ids(v), (std::vector<int>{2, 1, 3}));
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].m_strDatum, "2021-01-26");
    EXPECT_FALSE(CLawVersions::IsHistorical(v, 2));
    EXPECT_TRUE(CLawVersions::IsHistorical(v, 1));
    EXPECT_TRUE(CLawVersions::IsHistorical(v, 3));
    EXPECT_FALSE(CLawVersions::IsHistorical(v, 4));

    EXPECT_EQ(Ids(CLawVersions::OfLaw(db, "dornlaws", 6)), (std::vector<int>{6, 7}));
    // A law of one version has no version list; a law that does not exist neither.
    EXPECT_TRUE(CLawVersions::OfLaw(db, "dornlaws", 4).empty());
    EXPECT_TRUE(CLawVersions::OfLaw(db, "dornlaws", 5).empty());
    EXPECT_TRUE(CLawVersions::OfLaw(db, "dornlaws", 99).empty());
    // A title that begins with a bracket has no shared beginning: every title is read.
    AddLaw(db, "（试行）办法", "2001-01-01");
    AddLaw(db, "(试行)办法", "2002-01-01");
    EXPECT_EQ(Ids(CLawVersions::Find(db, "dornlaws", "（试行）办法")), (std::vector<int>{9, 8}));
}
