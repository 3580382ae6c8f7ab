// Our like must answer exactly what the engine's own like answers: compared value by value
// on two in-memory connections, one plain and one with our function registered.
#include "TestDb.h"

#include "data/DbRecordset.h"
#include "data/LikeFunction.h"
#include "data/LikeMatcher.h"
#include "tools/admin/CorpusStream.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

class Engines {
public:
    Engines() {
        sqlite3_open(":memory:", &m_plain);
        sqlite3_open(":memory:", &m_ours);
        EXPECT_EQ(CLikeFunction::Register(m_ours), 1);
    }
    ~Engines() {
        sqlite3_close(m_plain);
        sqlite3_close(m_ours);
    }
    Engines(const Engines&) = delete;
    Engines& operator=(const Engines&) = delete;

    // "text like pattern" on one connection: 1, 0, -1 for NULL, -2 for an error.
    static int Ask(sqlite3* db, const char* sql, const std::string* text,
                   const std::string* pattern) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            return -3;
        auto bind = [&](int index, const std::string* value) {
            if (value)
                sqlite3_bind_text(stmt, index, value->data(), static_cast<int>(value->size()),
                                  SQLITE_TRANSIENT);
        };
        bind(1, text);
        bind(2, pattern);
        int result = -2;
        if (sqlite3_step(stmt) == SQLITE_ROW)
            result = sqlite3_column_type(stmt, 0) == SQLITE_NULL ? -1 : sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        return result;
    }
    int Plain(const std::string* text, const std::string* pattern, const char* sql = kSql) {
        return Ask(m_plain, sql, text, pattern);
    }
    int Ours(const std::string* text, const std::string* pattern, const char* sql = kSql) {
        return Ask(m_ours, sql, text, pattern);
    }

    static constexpr const char* kSql = "select ?1 like ?2";
    sqlite3* m_plain = nullptr;
    sqlite3* m_ours = nullptr;
};

TEST(LikeFunction, AnswersAsTheEnginesLike) {
    Engines engines;
    const std::vector<std::string> patterns = {
        "",       "%",          "%%",        "_",         "__",
        "%_",     "_%",         "a",         "%a",        "a%",
        "%a%",    "%A%",        "a_c",       "%b_d%",     "%中文%",
        "中%",    "%文",        "%中_%",     "_文%",      "%合同%当事人%",
        "%%合同", "%Contract%", "%CONTRACT", "contract%", "%c%t%",
        "%\xe5%", "100%",       "%_%_%",     "%ä%",       "%Ä%",
        "%z%z%",  "%a%%a%",     "%d",
    };
    const std::vector<std::string> texts = {
        "",
        "a",
        "A",
        "abc",
        "ABC",
        "abcd",
        "xaBcDx",
        "中文",
        "中",
        "中国文字",
        "合同当事人",
        "合同的当事人",
        "当事人合同",
        "Contract 合同",
        "the contract.",
        "100%",
        "ä",
        "Ä",
        "aa",
        "zz",
        "中a文",
        "a\xe5\x90",
        "tab\there",
        "line\nfeed",
    };
    for (const std::string& p : patterns)
        for (const std::string& t : texts)
            EXPECT_EQ(engines.Ours(&t, &p), engines.Plain(&t, &p))
                << "'" << t << "' like '" << p << "'";

    // NULL on either side, a blob, numbers, the ESCAPE form.
    const std::string text = "abc";
    EXPECT_EQ(engines.Ours(nullptr, &text), -1);
    EXPECT_EQ(engines.Ours(&text, nullptr), -1);
    const char* blob =
        "select x'616263' like '%b%', 123 like '%2%', 'a_c' like 'a\\_c' escape '\\'";
    for (int column = 0; column < 3; ++column) {
        auto ask = [&](sqlite3* db) {
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(db, blob, -1, &stmt, nullptr);
            sqlite3_step(stmt);
            const int value = sqlite3_column_int(stmt, column);
            sqlite3_finalize(stmt);
            return value;
        };
        EXPECT_EQ(ask(engines.m_ours), ask(engines.m_plain)) << column;
    }
}

TEST(LikeFunction, AgreesOnRandomPatternsAndTexts) {
    Engines engines;
    // Characters that make like interesting: letters of both cases, wildcards, multibyte,
    // and broken UTF-8 (a lone lead byte, a lone continuation byte).
    const std::vector<std::string> alphabet = {"a",  "A", "b", "B", "%",  "_",    "中",
                                               "文", "é", "É", " ", "\n", "\xe5", "\x90"};
    std::mt19937 random(12345);
    auto make = [&](int maxLength, bool wildcards) {
        std::string s;
        const int length = static_cast<int>(random() % static_cast<unsigned>(maxLength + 1));
        for (int i = 0; i < length; ++i) {
            const std::string& c = alphabet[random() % alphabet.size()];
            if (!wildcards && (c == "%" || c == "_"))
                continue;
            s += c;
        }
        return s;
    };
    int differences = 0;
    for (int i = 0; i < 20000 && differences < 10; ++i) {
        const std::string pattern = make(6, true);
        const std::string text = make(12, i % 2 == 0);
        const int ours = engines.Ours(&text, &pattern);
        const int plain = engines.Plain(&text, &pattern);
        if (ours != plain) {
            ++differences;
            ADD_FAILURE() << "'" << text << "' like '" << pattern << "': " << ours << " vs "
                          << plain;
        }
    }
}

TEST(LikeFunction, LongTextsAcrossTheVectorBlocks) {
    // Hits at every offset around the 16- and 32-byte blocks of the fast search, and near
    // misses that share the first and last byte.
    Engines engines;
    for (const std::string word : {"x", "Ab", "合同", "合同当事人", "contRACT", "中_文"}) {
        const std::string pattern = "%" + word + "%";
        for (size_t offset = 0; offset < 70; ++offset) {
            std::string text(offset, '.');
            text += word == "中_文" ? "中a文" : word;
            text += std::string(70 - offset, '-');
            std::string nearMiss = text;
            if (nearMiss.size() > offset + 1)
                nearMiss[offset + (word.size() > 2 ? 1 : 0)] ^= 0x01;
            for (const std::string* t : {&text, &nearMiss})
                EXPECT_EQ(engines.Ours(t, &pattern), engines.Plain(t, &pattern))
                    << word << " at " << offset;
        }
    }
    // A NUL inside a text ends it for the engine.
    const std::string withNul("abc\0def", 7);
    for (const std::string p : {"%def%", "%abc%", "%c", "%f"})
        EXPECT_EQ(engines.Ours(&withNul, &p), engines.Plain(&withNul, &p)) << p;
}

TEST(LikeFunction, EveryConnectionOfOursUsesIt) {
    TestDb file;
    CDbConnection db;
    file.Connect(db);
    ASSERT_EQ(db.Execute("insert into dornlaws (topic, body) values ('T', 'Contract 合同')"), 1);
    CDbRecordset rs;
    ASSERT_EQ(rs.Open(&db, "select count(*) as n from dornlaws where body like '%contract%' and "
                           "body like '%合_%' and body like 'C%'"),
              1);
    int n = 0;
    rs.GetInt(n, "n");
    EXPECT_EQ(n, 1);
    // The two-argument like of this connection is not the engine's built-in one.
    ASSERT_EQ(rs.Open(&db, "select count(*) as n from pragma_function_list where name='like' "
                           "and narg=2 and builtin=0"),
              1);
    rs.GetInt(n, "n");
    EXPECT_EQ(n, 1);
}

// The corpus's law texts, every word of the table searched with both likes.
TEST(LikeFunction, SameLawsAsTheEnginesLikeOverTheCorpus) {
    const char* corpus = std::getenv("TOLVARIN_CORPUS");
    ASSERT_TRUE(corpus && std::ifstream(corpus)) << "no corpus at TOLVARIN_CORPUS";
    Engines engines;
    for (sqlite3* db : {engines.m_plain, engines.m_ours})
        sqlite3_exec(db, "create table t (body text)", nullptr, nullptr, nullptr);
    std::vector<std::string> lines;
    {
        CCorpusStream in(corpus);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        ASSERT_FALSE(in.bad()) << in.Error();
    }
    for (sqlite3* db : {engines.m_plain, engines.m_ours}) {
        sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "insert into t values (?)", -1, &insert, nullptr);
        for (const std::string& line : lines) {
            const std::string body = nlohmann::json::parse(line).value("body", "");
            sqlite3_bind_text(insert, 1, body.data(), static_cast<int>(body.size()),
                              SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    }
    const std::vector<std::string> words = {
        "法",   "第",   "合同", "劳动者", "人民法院", "人民代表大会", "国务院令第",
        "A",    "a",    "PM",   "pm",     "WTO",      "wto",          "Wto",
        "100%", "%",    "_",    "第_条",  "合%同",    "中华_民",      "国务院%规定",
        "1",    "2008", "(",    "一、",
    };
    for (const std::string& word : words) {
        const std::string pattern = "%" + word + "%";
        auto laws = [&](sqlite3* db) {
            std::vector<long long> ids;
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(db, "select rowid from t where body like ?", -1, &stmt, nullptr);
            sqlite3_bind_text(stmt, 1, pattern.data(), static_cast<int>(pattern.size()),
                              SQLITE_TRANSIENT);
            while (sqlite3_step(stmt) == SQLITE_ROW)
                ids.push_back(sqlite3_column_int64(stmt, 0));
            sqlite3_finalize(stmt);
            return ids;
        };
        const std::vector<long long> plain = laws(engines.m_plain);
        EXPECT_EQ(laws(engines.m_ours), plain) << word;
    }
}

} // namespace
