// The publisher's replies, read directly: parameter checks, order and the stamps it hands out.
#include "ground/GbkCodec.h"
#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

namespace {

class PublisherTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateCollection(m_dir.File("publisher.db"));
        FillPublisher(m_dir.File("publisher.db"));
        m_options.m_strDatabase = m_dir.File("publisher.db");
    }
    std::string Reply(const char* page, const std::string& updatetime, const std::string& id,
                      int maxRecords = 0) {
        m_options.m_nMaxRecords = maxRecords;
        CPublisher publisher(m_options);
        CGbkCodec codec("GBK");
        return codec.ToUtf8(publisher.Reply(page, updatetime, id));
    }
    CScratchDir m_dir;
    CPublisherOptions m_options;
};

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace

TEST_F(PublisherTest, MalformedParametersGetAnErrorReply) {
    struct {
        const char* page;
        const char* updatetime;
        const char* id;
    } const cases[] = {
        {kLawPage, "yesterday", ""},
        {kLawPage, "2004-13-45 00:00:00", ""},
        {kLawPage, "", "1a"},
        {kTreePage, "", "-1"},
        {kEnTreePage, "2004-05-01 10:20:30' or '1'='1", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.updatetime) + " / " + c.id);
        const std::string reply = Reply(c.page, c.updatetime, c.id);
        EXPECT_EQ(reply.rfind("<error>\n", 0), 0u) << reply;
        EXPECT_EQ(Count(reply, "\n"), 2u) << reply;
    }
    // A stamp the client did not write canonically is still understood.
    EXPECT_EQ(Reply(kLawPage, "2004-5-1 10:20:30", "3").rfind("<header>\n0\n</header>\n", 0), 0u);
}

TEST_F(PublisherTest, RepliesGoOnFromTheRequestedStampAndId) {
    EXPECT_EQ(Count(Reply(kLawPage, "", ""), "<tree>\n"), 3u);
    // Equal stamps: only the laws after the given id.
    const std::string rest = Reply(kLawPage, "2004-05-01 10:20:30", "1");
    EXPECT_EQ(rest.rfind("<header>\n2\n</header>\n", 0), 0u) << rest;
    EXPECT_EQ(Count(rest, "<lawid>\n1\n"), 0u);
    EXPECT_EQ(Reply(kLinkPage, "2004-05-01 10:20:30", ""), "<header>\n0\n</header>\n");
    // Categories: all newer ones, the header stamp the newest of them.
    EXPECT_EQ(Reply(kTreePage, "", "").rfind("<header>\n5\n2004-05-01 10:20:30\n</header>\n", 0),
              0u);
    EXPECT_EQ(Reply(kTreePage, "2004-05-01 10:20:30", "33554432"),
              "<header>\n0\n2004-05-01 10:20:30\n</header>\n");
    // A limit hands out the laws in (stamp, id) order.
    const std::string first = Reply(kLawPage, "", "", 1);
    EXPECT_EQ(Count(first, "<tree>\n"), 1u);
    EXPECT_NE(first.find("<lawid>\n1\n</lawid>"), std::string::npos);
}

TEST_F(PublisherTest, ParentsComeBeforeChildrenAndTextsSurviveTheGrammar) {
    Exec(m_dir.File("publisher.db"),
         "insert into dorntree(id,parid,name,xh,oldid,updatetime) values"
         "(10,900000000,'子','1','10','2005-01-01 00:00:00'),"
         "(900000000,0,'父\n第二行','1','900000000','2005-01-01 00:00:00');");
    const std::string tree = Reply(kTreePage, "2004-05-01 10:20:30", "");
    EXPECT_LT(tree.find("<id>\n900000000\n"), tree.find("<id>\n10\n")) << tree;
    EXPECT_NE(tree.find("<name>\n父 第二行\n</name>"), std::string::npos) << tree;
    const std::string law = Reply(kLawPage, "", "");
    EXPECT_NE(law.find("第一章 <总则&rt;\n\n"), std::string::npos) << law;
    EXPECT_NE(law.find("\n</p&rt;\n&amp;rt; &amp;amp;\n</body>"), std::string::npos) << law;
    EXPECT_NE(law.find("<topic>\nO'Brien 条例\n</topic>"), std::string::npos);
}
