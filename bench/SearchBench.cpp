// Times the searches on a law database: the title search, the advanced search with a date
// range and the body search for a short and a longer word, each read to its last row as the
// law list reads it. The body search's laws are checked against one statement over the whole
// table, so a fast run is also a correct one.
//
//   cmake --build build --target search-bench
//   build/tools/admin/tolvarin-admin import ../shared/corpus/laws-zh.jsonl corpus.mdb
//   build/tools/admin/tolvarin-admin generate --laws 200000 --corpus ../shared/corpus/laws-zh.jsonl
//   big.mdb build/bench/search-bench corpus.mdb [--repeat N] [--category ID]
//   build/bench/search-bench big.mdb --repeat 3
//
// Exits 1 when a body search's laws differ from the single statement's.

#include "data/DbConnection.h"
#include "data/DbRecordset.h"
#include "data/SqlSelect.h"
#include "ground/MessageService.h"
#include "ground/TextUtil.h"
#include "search/BodySearch.h"
#include "search/SearchComposer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Reads a statement's rows the way the law list fills itself; the number of rows, -1 when
// the statement fails.
long ReadAll(CDbConnection& db, const std::string& sql, std::set<int>* ids = nullptr) {
    CDbRecordset rs;
    if (!rs.Open(&db, sql))
        return -1;
    long n = 0;
    std::string topic, datum, wenhao, bumen;
    while (!rs.IsEOF()) {
        int lawid = 0;
        rs.GetString(topic, "topic", -1);
        rs.GetString(datum, "datum", 10);
        rs.GetString(wenhao, "wenhao", -1);
        rs.GetString(bumen, "bumen", -1);
        rs.GetInt(lawid, "lawid");
        if (ids)
            ids->insert(lawid);
        ++n;
        rs.MoveNext();
    }
    return n;
}

struct Result {
    double firstMs = 0;
    double medianMs = 0;
    double maxMs = 0;
    long rows = 0;
};

Result Time(int repeat, const std::function<long()>& run) {
    std::vector<double> times;
    Result r;
    for (int i = 0; i < repeat; ++i) {
        const auto start = Clock::now();
        r.rows = run();
        times.push_back(Ms(Clock::now() - start));
    }
    r.firstMs = times.front();
    std::sort(times.begin(), times.end());
    r.medianMs = times[times.size() / 2];
    r.maxMs = times.back();
    return r;
}

void Print(const char* what, const Result& r) {
    std::printf("%-46s %8ld rows  first %9.1f ms  median %9.1f ms  max %9.1f ms\n", what, r.rows,
                r.firstMs, r.medianMs, r.maxMs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: search-bench DB [--repeat N] [--category ID]\n");
        return 2;
    }
    int repeat = 5;
    int category = 0;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--repeat")
            repeat = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--category")
            category = std::atoi(argv[i + 1]);
    }
    CDbConnection db;
    const std::string connection = std::string("Data Source=") + argv[1];
    if (!db.Connect(connection.c_str(), 0))
        return 1;
    CSearchComposer all("dornlawas", "dornlaws", 0);
    CSearchComposer inCategory("dornlawas", "dornlaws", category);

    Print("title search 合同, all categories", Time(repeat, [&] {
              CSqlSelect b;
              all.ComposeTitleSearch(b, "合同", 1);
              return ReadAll(db, b.Build());
          }));
    Print("title search 管理 办法, all categories", Time(repeat, [&] {
              CSqlSelect b;
              all.ComposeTitleSearch(b, "管理 办法", 1);
              return ReadAll(db, b.Build());
          }));
    if (category != 0)
        Print("title search 规定, current category", Time(repeat, [&] {
                  CSqlSelect b;
                  inCategory.ComposeTitleSearch(b, "规定", 0);
                  return ReadAll(db, b.Build());
              }));
    CAdvancedSearchValues range;
    range.m_nFromYear = 2000;
    range.m_nToYear = 2010;
    range.m_nToMonth = 6;
    range.m_nScope = 1;
    Print("advanced: dates 2000-1-1 to 2010-6-1", Time(repeat, [&] {
              CSqlSelect b;
              all.ComposeAdvancedSearch(b, range);
              return ReadAll(db, b.Build());
          }));
    CAdvancedSearchValues titled = range;
    titled.m_strTitle = "规定";
    titled.m_strBumen = "国务院";
    Print("advanced: 规定, 国务院, dates", Time(repeat, [&] {
              CSqlSelect b;
              all.ComposeAdvancedSearch(b, titled);
              return ReadAll(db, b.Build());
          }));

    int failures = 0;
    for (const char* word : {"合同", "劳动合同", "人民法院 赔偿"}) {
        CBodySearch search(db, "dornlaws", connection);
        std::vector<CLawRow> rows;
        const Result r = Time(repeat, [&] {
            CSqlSelect b;
            CAdvancedSearchValues values;
            values.m_nScope = 1;
            all.ComposeAdvancedSearch(b, values);
            rows = search.Run(b, SplitWords(word));
            return static_cast<long>(rows.size());
        });
        Print((std::string("body search ") + word + ", all categories").c_str(), r);

        // The same laws as one statement over the whole table.
        CSqlSelect reference;
        CAdvancedSearchValues values;
        values.m_nScope = 1;
        all.ComposeAdvancedSearch(reference, values);
        for (const std::string& w : SplitWords(word))
            reference.AddCondition(" and ", "law.body", " like ", CSearchComposer::LikeValue(w));
        std::set<int> expected, found;
        ReadAll(db, reference.Build(), &expected);
        for (const CLawRow& row : rows)
            found.insert(row.m_nLawId);
        const bool same = expected == found && found.size() == rows.size();
        std::printf("%-46s %s (%zu laws, %d windows)\n",
                    "  same laws as one statement:", same ? "yes" : "NO", expected.size(),
                    search.GetWindowCount());
        failures += same ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
