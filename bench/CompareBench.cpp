// The comparison of two versions of a law ("对照"), from the reading of both laws to the
// window shown with its table laid out, and its parts: the alignment with the character diff
// (dtl) and the HTML. Prints the median of N runs:
//
//   compare-bench DB [--title TITLE] [--repeat N]
//
// DB is a collection; TITLE (default 最高人民法院关于适用《中华人民共和国刑事诉讼法》的解释)
// names a law with two or more versions: the newest is compared with the one before it.
#include "data/DbConnection.h"
#include "data/LawVersions.h"
#include "display/LawPage.h"
#include "display/VersionCompare.h"
#include "display/gui/VersionCompareDlg.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextBrowser>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

double Ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: compare-bench DB [--title TITLE] [--repeat N]\n");
        return 2;
    }
    std::string title = "最高人民法院关于适用《中华人民共和国刑事诉讼法》的解释";
    int repeat = 5;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--title") == 0)
            title = argv[i + 1];
        else if (std::strcmp(argv[i], "--repeat") == 0)
            repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CDbConnection db;
    const std::string connection = std::string("Data Source=") + argv[1];
    if (db.Connect(connection.c_str(), 0) != 1) {
        std::fprintf(stderr, "compare-bench: cannot open %s\n", argv[1]);
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    const std::vector<CLawVersion> versions = CLawVersions::Find(db, "dornlaws", title);
    const double findMs = Ms(timer);
    if (versions.size() < 2) {
        std::fprintf(stderr, "compare-bench: %s has no two versions\n", title.c_str());
        return 1;
    }
    const int newer = versions[0].m_nLawId;
    const int older = versions[1].m_nLawId;
    CLawFields a, b;
    CLawPage::Load(db, "dornlaws", older, a);
    CLawPage::Load(db, "dornlaws", newer, b);
    std::printf("%s: %s (%zu bytes) against %s (%zu bytes); versions found in %.2f ms\n",
                title.c_str(), a.m_strDatum.c_str(), a.m_strBody.size(), b.m_strDatum.c_str(),
                b.m_strBody.size(), findMs);

    std::vector<double> compare, html, window, complete;
    size_t rows = 0;
    for (int run = 0; run < repeat; ++run) {
        timer.restart();
        const std::vector<CCompareRow> result = CVersionCompare::Compare(a.m_strBody, b.m_strBody);
        compare.push_back(Ms(timer));
        rows = result.size();
        timer.restart();
        const std::string page = CVersionCompare::Html(result, "a", "b");
        html.push_back(Ms(timer));

        // The whole command: both laws read, compared, the window shown and laid out.
        timer.restart();
        CVersionCompareDlg dialog(db, "dornlaws", older, newer);
        dialog.show();
        QCoreApplication::processEvents();
        dialog.Browser()->document()->documentLayout()->documentSize();
        window.push_back(Ms(timer));
        while (!dialog.IsComplete())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        dialog.Browser()->document()->documentLayout()->documentSize();
        complete.push_back(Ms(timer));
    }
    std::printf("%-46s %10s\n", "operation (median of runs)", "ms");
    std::printf("%-46s %10.1f\n", "align and diff (dtl)", Median(compare));
    std::printf("%-46s %10.1f\n", "HTML of the table", Median(html));
    std::printf("%-46s %10.1f\n", "window shown, first rows laid out (goal 1000)", Median(window));
    std::printf("%-46s %10.1f\n", "every row added and laid out", Median(complete));
    std::printf("rows %zu\n", rows);
    return 0;
}
