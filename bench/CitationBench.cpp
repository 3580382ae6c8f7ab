// citation-bench: what the citations between the laws cost.
//   citation-bench DB [--repeat N]
// - the longest law's page laid out with its citation links against the same page without
//   them (target ≤ 1.2×);
// - the cited-by list of the most cited laws (target ≤ 50 ms at 1,000,000 laws);
// - building the whole citation table, on a copy of DB, against the time it took to import.
// Prints one line per figure; the medians of N runs (default 5).

#include "data/CitationTable.h"
#include "data/SearchIndex.h"
#include "display/CitationLinks.h"
#include "display/LawPage.h"
#include "display/ViewHtml.h"
#include "ground/EditionConfig.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

double Median(int repeat, const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string Text(sqlite3_stmt* stmt, int i) {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, i));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt, i))) : std::string();
}

void PageLayout(sqlite3* db, int repeat) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT lawid,topic,substr(datum,1,10),body FROM dornlaws ORDER BY "
                       "length(body) DESC LIMIT 1",
                       -1, &stmt, nullptr);
    if (sqlite3_step(stmt) != SQLITE_ROW) {
        sqlite3_finalize(stmt);
        return;
    }
    const int lawid = sqlite3_column_int(stmt, 0);
    CLawFields law;
    law.m_strTopic = Text(stmt, 1);
    law.m_strDatum = Text(stmt, 2);
    law.m_strBody = Text(stmt, 3);
    sqlite3_finalize(stmt);
    auto layout = [&](bool links) {
        CLawFields page = law;
        if (links)
            page.m_strBody = CCitationLinks::Insert(law.m_strBody, lawid, law.m_strDatum, db,
                                                    "dornlaws", "本法规库未收录此法规");
        const std::string html =
            CViewHtml::Prepare(CLawPage::Render(page, theEditionConfig.GetPageTemplate(), {}, {}));
        QTextDocument doc;
        doc.setTextWidth(800);
        doc.setHtml(QString::fromStdString(html));
        doc.documentLayout()->documentSize();
    };
    size_t linked = 0, missing = 0;
    CCitationLinks::Insert(law.m_strBody, lawid, law.m_strDatum, db, "dornlaws", "", &linked,
                           &missing);
    const double without = Median(repeat, [&] { layout(false); });
    const double with = Median(repeat, [&] { layout(true); });
    std::printf("page of %s (%zu bytes, %zu links, %zu marked missing): %.1f ms with links, "
                "%.1f ms without: %.2f× (target ≤ 1.2×)\n",
                law.m_strTopic.c_str(), law.m_strBody.size(), linked, missing, with, without,
                with / without);
}

void CitedBy(sqlite3* db, int repeat) {
    long long laws = 0;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM dornlaws", -1, &stmt, nullptr);
    if (sqlite3_step(stmt) == SQLITE_ROW)
        laws = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    // The laws whose titles are cited most often.
    std::vector<int> most;
    sqlite3_prepare_v2(db,
                       "SELECT k.lawid FROM dornlaws_citekeys k JOIN dornlaws_cites c ON "
                       "c.title=k.key GROUP BY k.lawid ORDER BY count(*) DESC LIMIT 5",
                       -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        most.push_back(sqlite3_column_int(stmt, 0));
    sqlite3_finalize(stmt);
    for (int lawid : most) {
        std::vector<CCitingRow> rows;
        long long total = 0;
        // As the window asks: the newest 500 and the count.
        const double ms = Median(
            repeat, [&] { CCitationTable::CitedBy(db, "dornlaws", lawid, rows, 500, &total); });
        std::printf("cited-by of law %d (%lld citations, %zu read) among %lld laws: %.2f ms "
                    "(target ≤ 50 ms at 1,000,000 laws)\n",
                    lawid, total, rows.size(), laws, ms);
    }
}

void Build(const std::string& file) {
    const std::string copy = file + ".citation-bench";
    std::error_code ec;
    std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        std::fprintf(stderr, "cannot copy %s: %s\n", file.c_str(), ec.message().c_str());
        return;
    }
    sqlite3* db = nullptr;
    sqlite3_open(copy.c_str(), &db);
    std::string error;
    long long done = 0, total = 0;
    QElapsedTimer timer;
    timer.start();
    CCitationTable::Drop(db, "dornlaws", error);
    CCitationTable::Create(db, "dornlaws", error);
    while (CCitationTable::BuildStep(db, "dornlaws", 5000, done, total, error) == 1) {
    }
    std::printf("citation table of %lld laws built in %.2f s\n", total,
                static_cast<double>(timer.elapsed()) / 1000.0);
    sqlite3_close(db);
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(copy + suffix, ec);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: citation-bench DB [--repeat N]\n", stderr);
        return 2;
    }
    int repeat = 5;
    for (int i = 2; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--repeat")
            repeat = std::max(1, std::atoi(argv[i + 1]));
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    CSearchIndex::RegisterEverywhere();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    if (CCitationTable::BuiltUpTo(db, "dornlaws") != CCitationTable::kComplete) {
        std::fprintf(stderr, "%s has no complete citation table\n", argv[1]);
        sqlite3_close(db);
        return 1;
    }
    PageLayout(db, repeat);
    CitedBy(db, repeat);
    sqlite3_close(db);
    Build(argv[1]);
    return 0;
}
