// Replies made piece by piece: law texts of any length keep the line rules and every
// character across the pieces, and a collection that fails part-way breaks the reply off.
#include "tools/publish/ReplyStream.h"
#include "ground/GbkCodec.h"
#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string LawReply(const std::string& db, const std::string& updatetime) {
    CPublisherOptions options;
    options.m_strDatabase = db;
    CPublisher publisher(options);
    CGbkCodec codec("GBK");
    return codec.ToUtf8(publisher.Reply(kLawPage, updatetime, ""));
}

// The text between "<body>\n" and "</body>" of the only law of a reply.
std::string BodyOf(const std::string& reply) {
    const size_t start = reply.find("<body>\n");
    const size_t end = reply.find("</body>\n");
    if (start == std::string::npos || end == std::string::npos)
        return "<missing>";
    return reply.substr(start + 7, end - start - 7);
}

// A reader whose law cursor fails after the first law.
class CFailingReader : public CCollectionReader {
public:
    bool Open(std::string&) override { return true; }
    bool ReadTrees(const std::string&, std::vector<CPublishedTree>&) override { return true; }
    bool CountLaws(const std::string&, const std::string&, long long, int,
                   long long& count) override {
        count = 2;
        return true;
    }
    bool StartLaws(const std::string&, const std::string&, long long, int) override { return true; }
    int NextLaw(CPublishedLaw& law) override {
        law.m_nLawId = ++m_nLaws;
        return m_nLaws == 1 ? 1 : -1;
    }
    bool ReadBody(std::string& piece, size_t) override {
        piece = m_bBodyRead ? "" : "正文";
        m_bBodyRead = true;
        return true;
    }
    bool CountLinks(const std::string&, const std::string&, long long&) override { return false; }
    bool StartLinks(const std::string&, const std::string&) override { return false; }
    int NextLink(CPublishedLink&) override { return -1; }

private:
    int m_nLaws = 0;
    bool m_bBodyRead = false;
};

} // namespace

TEST(ReplyStreamTest, LawTextsKeepTheirLinesAndCharactersAcrossPieces) {
    CScratchDir dir;
    const std::string db = dir.File("publisher.db");
    CreateCollection(db);
    // Three-byte characters at every offset against the 64 KB pieces: 65,536 is no multiple
    // of the line lengths below.
    std::string longText, longExpected;
    for (int i = 0; i < 30000; ++i) {
        const std::string n = std::to_string(i);
        longText += "第" + n + "条 a>b&c\r\n";
        longExpected += "第" + n + "条 a&rt;b&amp;c\n";
    }
    longExpected += "\n";
    struct {
        std::string body;
        std::string expected;
    } const cases[] = {
        {"", ""},
        {"\n", "\n\n"},
        {"一\r\n二", "一\n二\n"},
        {"</p>\n&rt;", "</p&rt;\n&amp;rt;\n"},
        {longText, longExpected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 40));
        Exec(db, "delete from dornlaws");
        Exec(
            db, "insert into dornlaws(lawid,topic,body,oldid,updatetime) values(1,'t',"
                "cast(x'" +
                    [&] {
                        static const char* hex = "0123456789ABCDEF";
                        std::string h;
                        for (const unsigned char b : c.body) {
                            h += hex[b >> 4];
                            h += hex[b & 15];
                        }
                        return h;
                    }() +
                    "' as text),'1','2004-05-01 10:20:30')");
        const std::string reply = LawReply(db, "");
        EXPECT_EQ(BodyOf(reply), c.expected);
        EXPECT_EQ(reply.find("\xEF\xBF\xBD"), std::string::npos) << "a character was cut";
    }
}

TEST(ReplyStreamTest, AReadFailurePartWayBreaksTheReplyOff) {
    CReplyStream stream(std::make_unique<CFailingReader>(), EReplyKind::Law, 0, "GBK", 0);
    std::string error;
    ASSERT_TRUE(stream.Prepare("", "", error)) << error;
    std::string reply;
    char buffer[256];
    long n;
    while ((n = stream.Read(buffer, sizeof buffer)) > 0)
        reply.append(buffer, static_cast<size_t>(n));
    EXPECT_EQ(n, -1);
    EXPECT_EQ(reply.rfind("<header>\n2\n</header>\n", 0), 0u) << reply;
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), -1) << "a broken reply stays broken";
}
