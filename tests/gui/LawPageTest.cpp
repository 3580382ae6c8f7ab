#include "TestDatabase.h"

#include "data/DbConnection.h"
#include "display/LawPage.h"
#include "ground/AppConstants.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
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

// Marks go into the text only: never into markup (the converted line breaks, the law's own
// tags and references, earlier marks), never twice over the same colour, and red wins over
// blue by lying inside it.
TEST(LawPage, HighlightingRunsOverEarlierMarkup) {
    const std::string blue = "<font color=#0033FF>";
    const std::string red = "<font color=#FF1500>";
    const std::string end = "</font>";
    const struct {
        const char* body;
        std::vector<std::string> search;
        std::vector<std::string> find;
        std::string expected;
    } cases[] = {
        // The letters of a converted line break are markup.
        {"x\ny", {"br"}, {}, "x<br>y"},
        // A find word that occurs in the blue markup marks nothing there.
        {"x\ny", {"x"}, {"0033"}, blue + "x" + end + "<br>y"},
        // "Article 1" on an English law: the "1" of "#FF1500" is not a match.
        {"Article 1\nArticle 2",
         {},
         {"Article", "1"},
         red + "Article" + end + " " + red + "1" + end + "<br>" + red + "Article" + end + " 2"},
        // Blue 调解, then find 3: the "33" of "#0033FF" stays markup.
        {"调解", {"调解"}, {"3"}, blue + "调解" + end},
        // 日 and 15: neither runs into the other's markup; adjacent marks join.
        {"15日", {}, {"日", "15"}, red + "15日" + end},
        // An occurrence inside an earlier mark of the same colour is not marked again.
        {"合同", {"合同", "同"}, {}, blue + "合同" + end},
        // Red over part of a blue mark: the red part lies inside the blue, the rest after it.
        {"合同法", {"合同"}, {"同法"}, blue + "合" + red + "同" + end + end + red + "法" + end},
        // The law's own tags, comments and references are markup too.
        {"<b>合同</b>", {"b"}, {}, "<b>合同</b>"},
        {"<a href=\"x>y\">合同</a>", {"y"}, {}, "<a href=\"x>y\">合同</a>"},
        {"a&amp;b<!-- amp -->", {"amp"}, {}, "a&amp;b<!-- amp -->"},
        // A '<' that starts no tag is text and can be found.
        {"x<5", {}, {"<5"}, "x" + red + "<5" + end},
        {"a < b", {"a < b"}, {}, blue + "a < b" + end},
        // Empty words replace nothing.
        {"x\ny", {""}, {""}, "x<br>y"},
        // Search words are matched as `like` found them (ASCII letters in either case),
        // the text keeps its own case; find words are matched as typed.
        {"Tax law, TAX rules",
         {"tax"},
         {},
         blue + "Tax" + end + " law, " + blue + "TAX" + end + " rules"},
        {"Tax tax", {}, {"tax"}, "Tax " + red + "tax" + end},
        {"<B>Ab</B>", {"b"}, {}, "<B>A" + blue + "b" + end + "</B>"},
    };
    for (const auto& c : cases) {
        CLawFields law;
        law.m_strBody = c.body;
        EXPECT_EQ(CLawPage::Render(law, "{{内容}}", c.search, c.find), c.expected) << c.body;
    }
}

TEST(LawPage, ManyWordsKeepThePageSmall) {
    // Fifty words that would each match inside the markup of the others: the page is the
    // page of the one word that occurs, not a growth by the markup's own letters.
    CLawFields law;
    for (int i = 0; i < 150; ++i)
        law.m_strBody += "o o\n";
    std::vector<std::string> words(44, "o");
    for (const char* w : {"font", "color", "=", "#", "0033FF", "<"})
        words.emplace_back(w);
    const std::string one = CLawPage::Render(law, "{{内容}}", {"o"}, {});
    EXPECT_EQ(CLawPage::Render(law, "{{内容}}", words, words),
              CLawPage::Render(law, "{{内容}}", {"o"}, {"o"}));
    EXPECT_LT(one.size(), 30 * law.m_strBody.size());
    size_t count = 0;
    CLawPage::Render(law, "{{内容}}", {}, {"o", "o o"}, &count);
    EXPECT_EQ(count, 300u); // occurrences marked, each once
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
    // The engine reports damage: the box says the file may be damaged, and what to do.
    EXPECT_NE(boxes[0].text.find("可能已经损坏"), std::string::npos) << boxes[0].text;
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
