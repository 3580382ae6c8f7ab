// The direct scan of a corpus line reads what the general JSON parser reads, or leaves the
// line to it.
#include "tools/admin/CorpusLine.h"
#include "tools/admin/CorpusStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Reading {
    bool ok = false;
    std::vector<std::string> path;
    CCollectionWriter::Law law;

    bool operator==(const Reading& o) const {
        return ok == o.ok && path == o.path && law.topic == o.law.topic &&
               law.wenhao == o.law.wenhao && law.bumen == o.law.bumen && law.datum == o.law.datum &&
               law.body == o.law.body;
    }
};

std::ostream& operator<<(std::ostream& out, const Reading& r) {
    out << (r.ok ? "ok" : "refused") << " [";
    for (const std::string& p : r.path)
        out << p << "/";
    return out << "] " << r.law.topic << " | " << r.law.wenhao << " | " << r.law.bumen << " | "
               << r.law.datum << " | " << r.law.body;
}

Reading General(const std::string& line) {
    Reading r;
    r.ok = CCorpusLine::ReadGeneral(line, r.path, r.law);
    return r;
}

Reading Full(const std::string& line) {
    Reading r;
    r.ok = CCorpusLine::Read(line, r.path, r.law);
    return r;
}

TEST(CorpusLine, ReadsWhatTheJsonParserReads) {
    struct Case {
        std::string line;
        bool plain; // read by the direct scan
    };
    const Case cases[] = {
        {R"({"category":["部门规章","公安部"],"title":"T","date":"2003-05-12","department":"D","number":"N","body":"a\nb"})",
         true},
        {R"(  { "title" : "引号\"与\\反斜杠\/" , "body":"\t\b\f\r" }  )", true},
        {R"({"category":[],"title":""})", true},
        {R"({"category":["", "A"],"title":"x"})", true},
        {R"({"title":"first","title":"second"})", true},
        {R"({"category":["A"],"category":"B"})", true},
        {R"({"extra":"ignored","body":"é中𠀀"})", true},
        {R"({})", true},
        {R"({"title":"\u4e2d\u6587"})", false},
        {R"({"title":5,"body":"b"})", false},
        {R"({"title":null})", false},
        {R"({"category":["A",1],"title":"t"})", false},
        {R"({"title":["a"]})", false},
        {R"({"nested":{"a":"b"},"title":"t"})", false},
        {R"({"title":"t"} trailing)", false},
        {R"(["not","an","object"])", false},
        {R"({"title":"unterminated)", false},
        {R"({"title":"t",})", false},
        {"{\"title\":\"bad \xe4\xb8\"}", false},
        {"{\"title\":\"overlong \xc0\xaf\"}", false},
        {"{\"title\":\"surrogate \xed\xa0\x80\"}", false},
        {"{\"title\":\"tab\tinside\"}", false},
        {R"({"title":"bad escape \x"})", false},
    };
    for (const Case& c : cases) {
        Reading plain;
        plain.ok = CCorpusLine::ReadPlain(c.line, plain.path, plain.law);
        EXPECT_EQ(plain.ok, c.plain) << c.line;
        if (plain.ok) {
            EXPECT_EQ(plain, General(c.line)) << c.line;
        }
        EXPECT_EQ(Full(c.line), General(c.line)) << c.line;
    }
}

TEST(CorpusLine, EveryCorpusLineReadsAsTheJsonParserReadsIt) {
    const char* corpus = std::getenv("TOLVARIN_CORPUS");
    ASSERT_TRUE(corpus && std::ifstream(corpus)) << "no corpus at TOLVARIN_CORPUS";
    CCorpusStream in(corpus);
    std::string line;
    int plain = 0, lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        Reading fast;
        fast.ok = CCorpusLine::ReadPlain(line, fast.path, fast.law);
        plain += fast.ok ? 1 : 0;
        EXPECT_EQ(Full(line), General(line)) << lines;
        if (fast.ok) {
            EXPECT_EQ(fast, General(line)) << lines;
        }
    }
    EXPECT_FALSE(in.bad()) << in.Error();
    EXPECT_EQ(lines, 1557);
    EXPECT_EQ(plain, lines); // the corpus is all plain lines
}

} // namespace
