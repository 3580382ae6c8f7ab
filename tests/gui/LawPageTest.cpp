#include "TestDatabase.h"

#include "app/AppConstants.h"
#include "app/EditionConfig.h"
#include "app/MessageService.h"
#include "data/DbConnection.h"
#include "display/LawPage.h"
#include "tests/core/PageDamage.h"

#include <gtest/gtest.h>

namespace {

const char* const kFullWidthBlank = "\xE3\x80\x80";

std::string Converted(std::string body) {
    CLawPage::ConvertBody(body);
    return body;
}

} // namespace

TEST(LawPage, BodyConversions) {
    const struct {
        const char* body;
        std::string expected;
    } cases[] = {
        {"甲\n乙", "甲<br>乙"},
        {"甲\r\n乙", "甲\r<br>乙"},
        {"a\bb", "a<br>b"},
        {"a  b", std::string("a") + kFullWidthBlank + "b"},
        {"a   b", std::string("a") + kFullWidthBlank + " b"},
        {"a    b", std::string("a") + kFullWidthBlank + kFullWidthBlank + "b"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Converted(c.body), c.expected) << c.body;
}

TEST(LawPage, HighlightsBlueThenRedOnlyInTheBody) {
    CLawFields law;
    law.m_strTopic = "合同法";
    law.m_strBumen = "合同部门";
    law.m_strWenhao = "合同1号";
    law.m_strDatum = "2001-02-03";
    law.m_strBody = "合同一\n合同二";
    const std::string page =
        CLawPage::Render(law, "[{{标题}}|{{文号}}|{{部门}}|{{时间}}|{{内容}}]", {"合同"}, {"合同"});
    // The search word wrapped blue, the red mark inside it, twice; the other fields unmarked.
    const std::string marked = "<font color=#0033FF><font color=#FF1500>合同</font></font>";
    EXPECT_EQ(page, "[合同法|合同1号|合同部门|2001-02-03|" + marked + "一<br>" + marked + "二]");
}

TEST(LawPage, HighlightingRunsOverEarlierMarkup) {
    CLawFields law;
    law.m_strBody = "x\ny";
    // "br" is wrapped inside the converted line break; a find word matching the blue
    // markup is wrapped there too.
    EXPECT_EQ(CLawPage::Render(law, "{{内容}}", {"br"}, {}), "x<<font color=#0033FF>br</font>>y");
    EXPECT_EQ(CLawPage::Render(law, "{{内容}}", {"x"}, {"0033"}),
              "<font color=#<font color=#FF1500>0033</font>FF>x</font><br>y");
    // Empty words replace nothing.
    EXPECT_EQ(CLawPage::Render(law, "{{内容}}", {""}, {""}), "x<br>y");
}

TEST(LawPage, TemplatePlaceholders) {
    CLawFields law;
    law.m_strTopic = "T{{内容}}";
    law.m_strBody = "B";
    law.m_strDatum = "2004-05-06";
    // Placeholders are filled one after another over the whole page: the body placeholder
    // in the title is filled too; a placeholder twice is filled twice; a missing one leaves
    // its field out.
    EXPECT_EQ(CLawPage::Render(law, "{{标题}} {{时间}}{{时间}}", {}, {}),
              "TB 2004-05-062004-05-06");
    law.m_strTopic = "<b>&amp;</b>";
    EXPECT_EQ(CLawPage::Render(law, "{{标题}}", {}, {}), "<b>&amp;</b>");

    // A title stuffed with the body placeholder cannot multiply a long body without bound:
    // past the budget only the template's own placeholder gets the body.
    law.m_strBody = std::string(1 << 20, 'x');
    std::string stuffed;
    for (int i = 0; i < 200; ++i)
        stuffed += "{{内容}}";
    law.m_strTopic = stuffed;
    const std::string page = CLawPage::Render(law, "<{{标题}}|{{内容}}>", {}, {});
    EXPECT_EQ(page, "<" + stuffed + "|" + law.m_strBody + ">");
}

TEST(LawPage, EditionTemplates) {
    CLawFields law;
    law.m_strTopic = "T";
    law.m_strWenhao = "W";
    law.m_strBumen = "D";
    law.m_strDatum = "2001-01-01";
    law.m_strBody = "B";
    const std::string zh = CLawPage::Render(law, kChinesePageTemplate, {}, {});
    EXPECT_NE(zh.find("<td><b>T</b></td>"), std::string::npos);
    EXPECT_NE(zh.find("<td height='12'>文号：W  &nbsp;&nbsp;&nbsp;    发布日期：2001-01-01</td>"),
              std::string::npos);
    EXPECT_NE(zh.find("<td>B</td>"), std::string::npos);
    const std::string en = CLawPage::Render(law, kEnglishPageTemplate, {}, {});
    EXPECT_NE(en.find("<td height='12'> Promulgated date: 2001-01-01  &nbsp;&nbsp;&nbsp;  W </td>"),
              std::string::npos);
}

TEST(LawPage, LoadsTheLawFromTheDatabase) {
    CMessageRecorder recorder;
    CTestDatabase db;
    const int id = db.AddLaw(0, "标题", "2003-04-05 10:20:30", "文号", "部门", "正文\n第二行");
    CDbConnection conn;
    ASSERT_EQ(conn.Connect(kConnectionString, 0), 1);
    CLawFields law;
    ASSERT_TRUE(CLawPage::Load(conn, "dornlaws", id, law));
    EXPECT_EQ(law.m_strTopic, "标题");
    EXPECT_EQ(law.m_strDatum, "2003-04-05"); // the date part only
    EXPECT_EQ(law.m_strWenhao, "文号");
    EXPECT_EQ(law.m_strBumen, "部门");
    EXPECT_EQ(law.m_strBody, "正文\n第二行");
    EXPECT_FALSE(CLawPage::Load(conn, "dornlaws", id + 1, law));
    EXPECT_FALSE(CLawPage::Load(conn, "no_such_table", id, law));
    EXPECT_TRUE(recorder.Messages().empty());
}

TEST(LawPage, LawOnADamagedPageIsReportedNotTakenForAMissingOne) {
    CMessageRecorder recorder;
    CTestDatabase db;
    const int id = db.AddLaw(0, "标题", "2003-04-05 10:20:30", "文号", "部门", "正文");
    DamageLeafPages(db.Dir() + "/db1.mdb", "dornlaws", 0.0);
    CDbConnection conn;
    ASSERT_EQ(conn.Connect(kConnectionString, 0), 1);
    CLawFields law;
    EXPECT_FALSE(CLawPage::Load(conn, "dornlaws", id, law));
    const auto boxes = recorder.Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "读取失败");
    EXPECT_NE(boxes[0].text.find("malformed"), std::string::npos) << boxes[0].text;
}

namespace {

bool ValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80         ? 1
                         : (c >> 5) == 6  ? 2
                         : (c >> 4) == 14 ? 3
                         : (c >> 3) == 30 ? 4
                                          : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

} // namespace

// Random bodies, fields and words built from the pieces that interact (line breaks, blanks,
// markup, placeholders, multibyte characters, pieces of characters' encodings): the page is
// always valid UTF-8, and without words the body part is the plain conversion.
TEST(LawPage, RandomInputsKeepCharactersWhole) {
    const char* const pieces[] = {"\n",           "\b",      " ",    "  ", "\r",       "合",
                                  "同",           "<br>",    "b",    "r",  "{{内容}}", "{{标题}}",
                                  "\xE3\x80\x80", "#0033FF", "font", "<"};
    unsigned state = 12345;
    auto next = [&](unsigned bound) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % bound;
    };
    auto text = [&](unsigned maxPieces) {
        std::string s;
        for (unsigned n = next(maxPieces + 1); n > 0; --n)
            s += pieces[next(std::size(pieces))];
        return s;
    };
    for (int i = 0; i < 3000; ++i) {
        CLawFields law;
        law.m_strTopic = text(4);
        law.m_strBody = text(20);
        std::vector<std::string> search, find;
        for (unsigned n = next(3); n > 0; --n)
            search.push_back(text(2));
        for (unsigned n = next(3); n > 0; --n)
            find.push_back(text(2));
        // A word made of the middle byte of a character never matches inside it.
        search.push_back("\x80");
        const std::string page = CLawPage::Render(law, "<{{标题}}|{{内容}}>", search, find);
        ASSERT_TRUE(ValidUtf8(page)) << i;
        std::string plain = law.m_strBody;
        CLawPage::ConvertBody(plain);
        EXPECT_TRUE(ValidUtf8(plain));
        if (law.m_strTopic.find("{{") == std::string::npos) {
            EXPECT_EQ(CLawPage::Render(law, "{{内容}}", {}, {}), plain);
        }
    }
}
