#include "update/ReplyReader.h"
#include "ground/SyncEvent.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpdateRequest.h"
#include "update/UpdaterBase.h"

#include "ground/GbkCodec.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

// Records what the reader hands to an updater.
class CRecordingUpdater : public CUpdaterBase {
public:
    explicit CRecordingUpdater(bool headerStamp)
        : CUpdaterBase(NoDatabase{}), m_bHeaderStamp(headerStamp) {}
    bool HasHeaderStamp() const override { return m_bHeaderStamp; }
    void SetHeaderCount(const std::string& line) override {
        CUpdaterBase::SetHeaderCount(line);
        Log("count:" + std::to_string(GetTotal()));
    }
    void SetHeaderStamp(const std::string& line) override { Log("stamp:" + line); }
    void FeedLine(const std::string& line) override {
        Log("line:" + line);
        if (m_onLine)
            m_onLine();
    }
    void FinishReply() override { Log("finish"); }

    std::string m_strLog;
    std::function<void()> m_onLine;

private:
    void Log(const std::string& entry) {
        if (!m_strLog.empty())
            m_strLog += '|';
        m_strLog += entry;
    }
    bool m_bHeaderStamp;
};

struct ReplyCase {
    const char* name;
    std::string reply;
    bool headerStamp;
    const char* log;
    const char* error;
    bool goOn;
};

struct Outcome {
    std::string log, error;
    bool goOn;
};

Outcome Read(const ReplyCase& c, bool byteByByte) {
    CRecordingUpdater updater(c.headerStamp);
    CGbkCodec codec("GBK");
    CReplyReader reader(updater, nullptr, &codec);
    if (byteByByte) {
        for (const char byte : c.reply)
            if (!reader.Feed(&byte, 1))
                break;
    } else {
        reader.Feed(c.reply.data(), c.reply.size());
    }
    reader.EndOfData();
    return {updater.m_strLog, reader.Error(), reader.GoOn()};
}

} // namespace

TEST(ReplyReader, ReadsTheHeaderErrorAndRecordGrammar) {
    const ReplyCase cases[] = {
        {"lf", "<header>\n3\n</header>\n<tree>\n</tree>\n", false,
         "count:3|line:<tree>|line:</tree>|finish", "", true},
        {"crlf", "<header>\r\n3\r\n</header>\r\n<tree>\r\n</tree>\r\n", false,
         "count:3|line:<tree>|line:</tree>|finish", "", true},
        {"cr anywhere, last line without lf", "<hea\rder>\n2\n</header>\nab\rc", false,
         "count:2|line:abc|finish", "", true},
        {"category header with stamp, no records", "<header>\n3\n2004-05-01 10:20:30\n</header>\n",
         true, "count:3|stamp:2004-05-01 10:20:30|finish", "", true},
        {"empty lines are lines", "<header>\n1\n</header>\n\n\nx\n", false,
         "count:1|line:|line:|line:x|finish", "", true},
        {"count with sign and junk", "<header>\n  -12abc\n</header>\n", false, "count:-12|finish",
         "", true},
        {"count without digits", "<header>\nabc\n</header>\n", false, "count:0|finish", "", true},
        {"wire text decoded", Gbk("<header>\n1\n</header>\n法规 第一条\n"), false,
         "count:1|line:法规 第一条|finish", "", true},
        {"nul bytes dropped", std::string("<header>\n1\n</header>\na\0b\n", 24), false,
         "count:1|line:ab|finish", "", true},
        {"empty reply", "", false, "", "下载失败！", false},
        {"html page", "<html><body>Not Found</body></html>\n", false, "", "下载失败！", false},
        {"header with a leading space", " <header>\n1\n</header>\n", false, "", "下载失败！",
         false},
        {"server error text", Gbk("<error>\n服务器维护中\n<tree>\n"), false, "", "服务器维护中",
         false},
        {"error as the last line", "<error>\n", false, "", "", false},
        {"bad header trailer", "<header>\n3\n</headers>\n<tree>\n</tree>\n", false, "count:3",
         "格式错误!", false},
        {"category header without stamp line", "<header>\n3\n</header>\n<tree>\n", true,
         "count:3|stamp:</header>", "格式错误!", false},
        {"reply ends inside the header", "<header>\n3\n", false, "count:3", "格式错误!", false},
    };
    for (const ReplyCase& c : cases) {
        for (const bool byteByByte : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (byteByByte ? " (byte by byte)" : ""));
            const Outcome outcome = Read(c, byteByByte);
            EXPECT_EQ(outcome.log, c.log);
            EXPECT_EQ(outcome.error, c.error);
            EXPECT_EQ(outcome.goOn, c.goOn);
        }
    }
}

TEST(ReplyReader, RefusesAnOverlongLineWithAFormatError) {
    CRecordingUpdater updater(false);
    CReplyReader reader(updater, nullptr, nullptr, 16);
    const std::string head = "<header>\n1\n</header>\n" + std::string(16, 'a') + "\n";
    EXPECT_TRUE(reader.Feed(head.data(), head.size()));
    const std::string longLine(4096, 'b');
    EXPECT_FALSE(reader.Feed(longLine.data(), longLine.size()));
    reader.EndOfData();
    EXPECT_EQ(updater.m_strLog, "count:1|line:" + std::string(16, 'a'));
    EXPECT_EQ(reader.Error(), "格式错误!");
    EXPECT_FALSE(reader.GoOn());
}

TEST(ReplyReader, StopsWithinOneLineOfTheStopEvent) {
    CRecordingUpdater updater(false);
    CSyncEvent stop(true);
    updater.m_onLine = [&stop] { stop.Set(); };
    CReplyReader reader(updater, &stop, nullptr);
    const std::string reply = "<header>\n3\n</header>\n<tree>\n</tree>\n<tree>\n";
    EXPECT_FALSE(reader.Feed(reply.data(), reply.size()));
    reader.EndOfData();
    EXPECT_EQ(updater.m_strLog, "count:3|line:<tree>");
    EXPECT_TRUE(reader.Stopped());
    EXPECT_FALSE(reader.GoOn());
    EXPECT_EQ(reader.Error(), "");
}

TEST(ReplyReader, ABrokenOffReplyEndsWithoutFinishReply) {
    CRecordingUpdater updater(true);
    CReplyReader reader(updater, nullptr, nullptr);
    const std::string reply = "<header>\n3\nS\n</header>\n<tree>\n<na";
    reader.Feed(reply.data(), reply.size());
    reader.Abandon();
    EXPECT_EQ(updater.m_strLog, "count:3|stamp:S|line:<tree>");
    EXPECT_TRUE(reader.GoOn());
    EXPECT_EQ(reader.Error(), "");
}

TEST(UpdateRequest, EscapesTheWireBytesOfEachValue) {
    struct {
        const char* value;
        const char* escaped;
    } const cases[] = {
        {"2004-05-01 10:20:30", "2004-05-01%2010:20:30"},
        // Nothing of a value may end it, start a fragment or turn into something else.
        {"a&b=c", "a%26b%3Dc"},
        {"50% +:?#;", "50%25%20%2B:%3F%23%3B"},
        {"x\ty\r\n\x7f", "x%09y%0D%0A%7F"},
        {"<a \"b\">\\[]{}|^`", "%3Ca%20%22b%22%3E%5C%5B%5D%7B%7D%7C%5E%60"},
        {"A-z_0.9~!$'()*,/@", "A-z_0.9~!$'()*,/@"},
        {"法规", "%B7%A8%B9%E6"},
        {"", ""},
    };
    CGbkCodec codec("GBK");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        CUpdateRequest request(&codec);
        request.SetPage("http://h/p.asp");
        request.AddParam("v", c.value);
        EXPECT_EQ(request.GetUrl(), std::string("http://h/p.asp?v=") + c.escaped);
    }
    CUpdateRequest request(&codec);
    request.SetPage("http://h/demolaws/lawtrees.asp");
    request.AddParam("updatetime", "");
    request.AddParam("id", "");
    EXPECT_EQ(request.GetUrl(), "http://h/demolaws/lawtrees.asp?updatetime=&id=");
    request.Empty();
    request.SetPage("x");
    request.AddParam("lawid", "815");
    EXPECT_EQ(request.GetUrl(), "x?lawid=815");
    EXPECT_EQ(CUpdateRequest::EscapeValue("\xB2 %"), "%B2%20%25");
}
