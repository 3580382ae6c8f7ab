// Figures of the main window on a large collection: start-up, both trees, listing the root
// (first 30 rows, all rows), peak memory, and showing the longest law of a collection.
//
//   list-bench DIR [--law-dir DIR2] [--repeat N]
//
// DIR holds db1.mdb (for example from "tolvarin-admin generate --laws 200000"); DIR2 holds a
// db1.mdb whose longest law is shown (for example the imported shared corpus).
#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "app/TolvarinDoc.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "data/DbRecordset.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <vector>

namespace {

double Ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

long PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// The resident memory of the process's own (anonymous) pages, without mapped files, in MB.
long AnonRssMb() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "RssAnon: %ld kB", &kb) == 1)
            break;
    std::fclose(status);
    return kb < 0 ? -1 : kb / 1024;
}

template <class Pred> void Spin(Pred done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

int CountItems(QTreeWidget* tree) {
    int count = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        ++count;
    return count;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void ShowLongestLaw(const std::string& dir, int repeat) {
    std::filesystem::current_path(dir);
    CTolvarinDoc doc;
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
    if (lawid == 0) {
        std::printf("no law in %s\n", dir.c_str());
        return;
    }
    CShowLawView view(&doc);
    view.resize(800, 500);
    view.show();
    view.OnInitialUpdate();
    Spin([&] { return view.HasDocument(); });
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
        view.ApplyDocumentSettings();
        QElapsedTimer timer;
        timer.start();
        view.ShowLaw(lawid);
        view.document()->documentLayout()->documentSize(); // laid out
        view.repaint();
        times.push_back(Ms(timer));
    }
    std::printf("ShowLaw, longest law (lawid %d, %d characters): median %.1f ms, best %.1f ms\n",
                lawid, length, Median(times), *std::min_element(times.begin(), times.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: list-bench DIR [--law-dir DIR2] [--repeat N]\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::string lawDir;
    int repeat = 3;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--law-dir"))
            lawDir = argv[i + 1];
        else if (!std::strcmp(argv[i], "--repeat"))
            repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    CMessageRecorder messages;
    std::filesystem::current_path(dir);

    {
        QElapsedTimer start;
        start.start();
        CTolvarinApp app;
        if (!app.InitInstance({QStringLiteral("tolvarin"), QStringLiteral("--nosplash")}))
            return 1;
        const double created = Ms(start);
        CMainFrame* frame = app.GetMainFrame();
        CTolvarinView* list = frame->GetListView();
        Spin([&] { return list->GetRowCount() >= 30; });
        const double usable = Ms(start);
        Spin([&] { return !list->IsListing(); });
        const double startListed = Ms(start);
        std::printf("start-up: window with both trees %.1f ms, first 30 rows %.1f ms, all %d "
                    "rows %.1f ms\n",
                    created, usable, list->GetRowCount(), startListed);

        CLeftView* left = frame->GetLeftView();
        QElapsedTimer trees;
        trees.start();
        for (int edition : {1, 0}) {
            theEditionConfig.SetEdition(edition);
            left->ShowTree(edition);
            left->FillTree();
        }
        std::printf("both trees filled again: %.1f ms (%d + %d items)\n", Ms(trees),
                    CountItems(left->GetTree(0)), CountItems(left->GetTree(1)));

        {
            QElapsedTimer timer;
            timer.start();
            list->ClearRows();
            std::printf("dropping %d rows: %.1f ms\n", 200000, Ms(timer));
        }
        std::vector<double> first, all;
        for (int i = 0; i < repeat; ++i) {
            QElapsedTimer timer;
            timer.start();
            list->ShowCategory(0);
            Spin([&] { return list->GetRowCount() >= 30 || !list->IsListing(); });
            first.push_back(Ms(timer));
            Spin([&] { return !list->IsListing(); });
            all.push_back(Ms(timer));
        }
        std::printf("select root: first 30 rows median %.1f ms (best %.1f), all %d rows median "
                    "%.1f ms (best %.1f)\n",
                    Median(first), *std::min_element(first.begin(), first.end()),
                    list->GetRowCount(), Median(all), *std::min_element(all.begin(), all.end()));
        // The largest top-level category.
        QTreeWidgetItem* root = left->GetTree(0)->topLevelItem(0);
        int biggest = 0;
        int biggestRows = -1;
        double biggestMs = 0;
        for (int i = 0; root && i < root->childCount(); ++i) {
            const int id = root->child(i)->data(0, Qt::UserRole).toInt();
            QElapsedTimer timer;
            timer.start();
            list->ShowCategory(id);
            Spin([&] { return !list->IsListing(); });
            if (list->GetRowCount() > biggestRows) {
                biggestRows = list->GetRowCount();
                biggest = id;
                biggestMs = Ms(timer);
            }
        }
        if (biggest)
            std::printf("largest top-level category (%d rows): listed in %.1f ms\n", biggestRows,
                        biggestMs);
        list->ShowCategory(0);
        Spin([&] { return !list->IsListing(); });
        for (int column : {1, 2}) {
            QElapsedTimer timer;
            timer.start();
            list->SortByColumn(column);
            QCoreApplication::processEvents();
            std::printf("header click on column %d (%d rows): %.1f ms\n", column,
                        list->GetRowCount(), Ms(timer));
        }
        std::printf("peak memory with all rows listed: %ld MB resident at most, %ld MB own pages "
                    "now\n",
                    PeakRssMb(), AnonRssMb());
        app.ExitInstance(0);
    }
    if (!lawDir.empty())
        ShowLongestLaw(lawDir, repeat);
    std::printf("message boxes: %zu\n", messages.Messages().size());
    return 0;
}
