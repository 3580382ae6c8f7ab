// The main window's operations against their peers, in the same run: start-up to a usable
// window with both trees filled against plain SQLite reading the same rows, the root listing
// as the list shows it, peak memory with every law listed, and ShowLaw of the longest law
// against QTextDocument::setHtml of the same page. Prints table rows like perf-bench:
//
//   perf-gui-bench DIR [--law-dir DIR2] [--repeat N] [--tolvarin PROGRAM]
//
// DIR and DIR2 hold a db1.mdb; the longest law of DIR2 (default DIR) is shown and, with the
// program given, exported by `tolvarin --export-pdf` (its time and peak memory). A page of
// 10 MB shows how long the window is held and how long the whole takes from the worker.
#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "app/TolvarinDoc.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "data/DbRecordset.h"
#include "display/LawPage.h"
#include "display/gui/FindBar.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double Ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

int theRepeat = 5;

long PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

template <class Pred> void Spin(Pred done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// Median of `theRepeat` timed runs after one warm-up run.
double Time(const std::function<void()>& run) {
    run();
    std::vector<double> times;
    for (int i = 0; i < theRepeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(Ms(timer));
    }
    return Median(times);
}

void Row(const std::string& operation, double ours, const std::string& peer, double peerMs,
         const std::string& goal, int met) {
    char oursText[32], peerText[32], ratio[32];
    std::snprintf(oursText, sizeof oursText, ours < 0 ? "failed" : "%.1f", ours);
    std::snprintf(peerText, sizeof peerText, peerMs < 0 ? "—" : "%.1f", peerMs);
    if (ours >= 0 && peerMs > 0)
        std::snprintf(ratio, sizeof ratio, "%.2f", ours / peerMs);
    else
        std::snprintf(ratio, sizeof ratio, "—");
    std::printf("| %s | %s | — | %s | %s | — | %s | %s | %s |\n", operation.c_str(), oursText,
                peer.c_str(), peerText, ratio, goal.c_str(),
                met < 0 ? "—" : (met ? "yes" : "**no**"));
    std::fflush(stdout);
}

// Plain SQLite reading what start-up shows: both category trees, level by level, and the
// first 30 laws of the root listing.
void ReadStartRows(sqlite3* db) {
    for (const char* table : {"en_dorntree", "dorntree"}) {
        std::vector<int> parents{0};
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(
            db, (std::string("select * from ") + table + " where parid=? order by xh DESC").c_str(),
            -1, &stmt, nullptr);
        while (!parents.empty()) {
            const int parent = parents.back();
            parents.pop_back();
            sqlite3_bind_int(stmt, 1, parent);
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                (void)sqlite3_column_text(stmt, 2);
                if (sqlite3_column_int(stmt, 4) > 0)
                    parents.push_back(sqlite3_column_int(stmt, 0));
            }
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "select distinct lawid, topic, datum, wenhao, bumen from dornlaws order "
                       "by datum DESC",
                       -1, &stmt, nullptr);
    for (int n = 0; n < 30 && sqlite3_step(stmt) == SQLITE_ROW; ++n)
        for (int c = 0; c < 5; ++c)
            (void)sqlite3_column_text(stmt, c);
    sqlite3_finalize(stmt);
}

void StartUp(const std::string& dir) {
    std::filesystem::current_path(dir);
    std::vector<double> usable, firstRows, allRows, peer;
    long rows = 0;
    for (int i = 0; i <= theRepeat; ++i) {
        QElapsedTimer start;
        start.start();
        CTolvarinApp app;
        if (!app.InitInstance({QStringLiteral("tolvarin"), QStringLiteral("--nosplash")})) {
            Row("start-up", -1, "plain SQLite, same rows", -1, "≤ 1 s", 0);
            return;
        }
        const double created = Ms(start);
        CTolvarinView* list = app.GetMainFrame()->GetListView();
        Spin([&] { return list->GetRowCount() >= 30 || !list->IsListing(); });
        const double first = Ms(start);
        Spin([&] { return !list->IsListing(); });
        const double all = Ms(start);
        rows = list->GetRowCount();
        app.ExitInstance(0);
        QElapsedTimer plain;
        plain.start();
        sqlite3* db = nullptr;
        if (sqlite3_open_v2("db1.mdb", &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
            ReadStartRows(db);
        sqlite3_close(db);
        const double plainMs = Ms(plain);
        if (i == 0)
            continue; // warm-up
        usable.push_back(created);
        firstRows.push_back(first);
        allRows.push_back(all);
        peer.push_back(plainMs);
    }
    const double ours = Median(usable);
    Row("start-up: window with both trees filled", ours, "plain SQLite, same rows", Median(peer),
        "≤ 1 s", ours <= 1000);
    const double first = Median(firstRows);
    Row("start-up: first 30 laws listed", first, "—", -1, "≤ 1 s", first <= 1000);
    Row("start-up: all " + std::to_string(rows) + " laws listed", Median(allRows), "—", -1, "—",
        -1);
}

void RootListing(const std::string& dir) {
    std::filesystem::current_path(dir);
    CTolvarinApp app;
    if (!app.InitInstance({QStringLiteral("tolvarin"), QStringLiteral("--nosplash")}))
        return;
    CTolvarinView* list = app.GetMainFrame()->GetListView();
    Spin([&] { return !list->IsListing(); });
    std::vector<double> first, all;
    for (int i = 0; i <= theRepeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        list->ShowCategory(0);
        Spin([&] { return list->GetRowCount() >= 30 || !list->IsListing(); });
        const double f = Ms(timer);
        Spin([&] { return !list->IsListing(); });
        if (i == 0)
            continue;
        first.push_back(f);
        all.push_back(Ms(timer));
    }
    const double f = Median(first);
    Row("law list, root: first 30 rows shown", f, "—", -1, "≤ 100 ms", f <= 100);
    Row("law list, root: all " + std::to_string(list->GetRowCount()) + " rows shown", Median(all),
        "—", -1, "(see the CLI ratio above)", -1);
    const long peak = PeakRssMb();
    Row("peak memory with every law listed (MB)", static_cast<double>(peak), "—", -1, "≤ 300 MB",
        peak <= 300);
    app.ExitInstance(0);
}

void ShowLongestLaw(const std::string& dir) {
    std::filesystem::current_path(dir);
    CTolvarinDoc doc;
    if (!doc.ConnectDatabase())
        return;
    theEditionConfig.SetEdition(0);
    CDbRecordset rs;
    int lawid = 0;
    int length = 0;
    if (rs.Open(&doc.m_db, "select lawid, length(body) as n from dornlaws order by n DESC") &&
        !rs.IsEOF()) {
        rs.GetInt(lawid, "lawid");
        rs.GetInt(length, "n");
    }
    rs.Close();
    if (lawid == 0)
        return;
    CShowLawView view(&doc);
    view.resize(800, 500);
    view.show();
    view.OnInitialUpdate();
    Spin([&] { return view.HasDocument(); });
    const double ours = Time([&] {
        view.ShowLaw(lawid);
        view.document()->documentLayout()->documentSize();
    });
    // The same page given to a bare document of the same width.
    CLawFields law;
    CLawPage::Load(doc.m_db, "dornlaws", lawid, law);
    const QString page =
        "<html><head><title></title></head><body>" +
        QString::fromStdString(CLawPage::Render(law, theEditionConfig.GetPageTemplate(), {}, {})) +
        "</body></html>";
    QTextDocument bare;
    bare.setDefaultFont(view.document()->defaultFont());
    bare.setTextWidth(view.viewport()->width());
    bare.setDocumentMargin(view.document()->documentMargin());
    const double peer = Time([&] {
        bare.setHtml(page);
        bare.documentLayout()->documentSize();
    });
    Row("ShowLaw, longest law (" + std::to_string(length) + " characters)", ours,
        "QTextDocument::setHtml", peer, "≤ 1.5×", ours <= 1.5 * peer);
}

// The find bar on the longest law: one keystroke's search (all occurrences counted, the marks
// set, the first selected) for a common word and a one-character text, against a plain
// QTextDocument::find walk over the same page. A keystroke should stay well under a frame
// budget of 100 ms.
void FindBarOnLongestLaw(const std::string& dir) {
    std::filesystem::current_path(dir);
    CTolvarinDoc doc;
    if (!doc.ConnectDatabase())
        return;
    theEditionConfig.SetEdition(0);
    CDbRecordset rs;
    int lawid = 0;
    int length = 0;
    if (rs.Open(&doc.m_db, "select lawid, length(body) as n from dornlaws order by n DESC") &&
        !rs.IsEOF()) {
        rs.GetInt(lawid, "lawid");
        rs.GetInt(length, "n");
    }
    rs.Close();
    if (lawid == 0)
        return;
    CShowLawView view(&doc);
    view.resize(800, 500);
    view.show();
    view.OnInitialUpdate();
    Spin([&] { return view.HasDocument(); });
    view.ShowLaw(lawid);
    Spin([&] { return !view.IsLoading(); });
    CFindBar* bar = view.GetFindBar();
    bar->Open();
    for (const char* word : {"合同", "的"}) {
        const QString text = QString::fromUtf8(word);
        const double ours = Time([&] {
            bar->GetEdit()->setText(QString());
            bar->SearchNow();
            bar->GetEdit()->setText(text);
            bar->SearchNow();
            QApplication::processEvents();
        });
        const double peer = Time([&] {
            int count = 0;
            for (QTextCursor at = view.document()->find(text); !at.isNull();
                 at = view.document()->find(text, at))
                ++count;
        });
        Row("find bar, \"" + std::string(word) + "\" in the longest law (" +
                std::to_string(length) + " characters, " + std::to_string(bar->GetCount()) +
                " found)",
            ours, "QTextDocument::find walk", peer, "≤ 100 ms", ours <= 100);
    }
    bar->Close();
}

// Runs `program --export-pdf FILE --law LAWID` in `dir`; wall time and peak memory (MB) of
// the child, or a negative time when it failed.
std::pair<double, long> ExportOnce(const std::string& program, const std::string& dir, int lawid,
                                   const std::string& file) {
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        const std::string id = std::to_string(lawid);
        execl(program.c_str(), program.c_str(), "--export-pdf", file.c_str(), "--law", id.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {-1, 0};
    return {Ms(timer), usage.ru_maxrss / 1024};
}

void ExportLongestLaw(const std::string& dir, const std::string& program) {
    CTolvarinDoc doc;
    std::filesystem::current_path(dir);
    if (!doc.ConnectDatabase())
        return;
    CDbRecordset rs;
    int lawid = 0;
    int length = 0;
    if (rs.Open(&doc.m_db, "select lawid, length(body) as n from dornlaws order by n DESC") &&
        !rs.IsEOF()) {
        rs.GetInt(lawid, "lawid");
        rs.GetInt(length, "n");
    }
    rs.Close();
    if (lawid == 0)
        return;
    const std::string file =
        (std::filesystem::temp_directory_path() / "tolvarin-bench-export.pdf").string();
    std::vector<double> times;
    long peak = 0;
    for (int i = 0; i <= theRepeat; ++i) {
        const auto [ms, mb] = ExportOnce(program, dir, lawid, file);
        if (ms < 0) {
            times = {-1};
            break;
        }
        if (i > 0)
            times.push_back(ms);
        peak = std::max(peak, mb);
    }
    std::filesystem::remove(file);
    const double ours = Median(times);
    Row("tolvarin --export-pdf, longest law (" + std::to_string(length) + " characters)", ours, "—",
        -1, "≤ 5 s", ours >= 0 && ours <= 5000);
    Row("tolvarin --export-pdf, longest law: peak memory (MB)", static_cast<double>(peak), "—", -1,
        "≤ 300 MB", ours >= 0 && peak <= 300);
}

// A page of about 10 MB: how long SetBodyHtml holds the window, how long until the whole
// page is shown, and the peak memory afterwards.
void ShowHugePage() {
    CShowLawView view(nullptr);
    view.resize(800, 500);
    view.show();
    view.OnInitialUpdate();
    Spin([&] { return view.HasDocument(); });
    std::string page;
    while (page.size() < (10u << 20))
        page += "第一条　为了规范某某事项的办理，保障当事人的合法权益，制定本规定。<br>";
    QElapsedTimer timer;
    timer.start();
    view.SetBodyHtml(page);
    const double held = Ms(timer);
    double longestStall = 0;
    while (view.IsLoading()) {
        QElapsedTimer step;
        step.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longestStall = std::max(longestStall, Ms(step));
    }
    view.document()->documentLayout()->documentSize();
    const double whole = Ms(timer);
    Row("page of 10 MB: window held by SetBodyHtml (ms)", held, "—", -1, "≤ 500 ms", held <= 500);
    Row("page of 10 MB: longest event-loop stall while parsed (ms)", longestStall, "—", -1,
        "≤ 500 ms", longestStall <= 500);
    Row("page of 10 MB: whole page shown (ms)", whole, "—", -1, "—", 1);
    Row("page of 10 MB: peak memory of the bench so far (MB)", static_cast<double>(PeakRssMb()),
        "—", -1, "≤ 1,000 MB", PeakRssMb() <= 1000);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: perf-gui-bench DIR [--law-dir DIR2] [--repeat N] [--tolvarin PROGRAM]\n");
        return 2;
    }
    const std::string dir = std::filesystem::absolute(argv[1]).string();
    std::string lawDir = dir;
    std::string program;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--law-dir"))
            lawDir = std::filesystem::absolute(argv[i + 1]).string();
        else if (!std::strcmp(argv[i], "--repeat"))
            theRepeat = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--tolvarin"))
            program = std::filesystem::absolute(argv[i + 1]).string();
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    CMessageRecorder messages;
    StartUp(dir);
    RootListing(dir);
    ShowLongestLaw(lawDir);
    FindBarOnLongestLaw(lawDir);
    if (!program.empty())
        ExportLongestLaw(lawDir, program);
    ShowHugePage();
    if (!messages.Messages().empty())
        std::fprintf(stderr, "perf-gui-bench: %zu message boxes\n", messages.Messages().size());
    return 0;
}
