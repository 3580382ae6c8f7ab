#include "search/gui/SearchIndexBuilder.h"

#include "data/CollectionFile.h"
#include "data/DbConnection.h"
#include "data/SearchIndex.h"

#include <QMetaObject>
#include <QPointer>
#include <QStatusBar>

namespace {

constexpr int kLawsPerStep = 500;

} // namespace

CSearchIndexBuilder::CSearchIndexBuilder(QStatusBar* statusBar, QObject* parent)
    : QObject(parent), m_pStatusBar(statusBar) {}

CSearchIndexBuilder::~CSearchIndexBuilder() {
    m_bStop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void CSearchIndexBuilder::Start() {
    if (m_bRunning.load())
        return;
    if (m_thread.joinable())
        m_thread.join();
    m_bStop = false;
    m_bRunning = true;
    m_thread = std::thread([this] { Run(); });
}

void CSearchIndexBuilder::Report(long long done, long long total) {
    QMetaObject::invokeMethod(
        this,
        [this, done, total] {
            if (!m_pStatusBar)
                return;
            if (done < total)
                m_pStatusBar->showMessage(
                    tr("正在建立全文索引：%1 / %2 部法规").arg(done).arg(total));
            else
                m_pStatusBar->showMessage(tr("全文索引已建立"), 5000);
        },
        Qt::QueuedConnection);
}

void CSearchIndexBuilder::Run() {
    // A collection that cannot be indexed is searched as before.
    CDbConnection db;
    // Without a collection there is nothing to index (and nothing to complain about).
    const std::string connection = GetConnectionString();
    if (!connection.empty() && db.Connect(connection.c_str(), 0)) {
        sqlite3* handle = db.GetConnectionHandle();
        for (const char* table : {"dornlaws", "en_dornlaws"}) {
            if (m_bStop.load())
                break;
            std::string error;
            // An index that cannot be used (made by an earlier version, damaged, declared
            // with a foreign tokenizer, its log or triggers gone) is made again; searches go
            // without it meanwhile. A file that cannot be written keeps it.
            if (CSearchIndex::IsOutdated(handle, table) &&
                !CSearchIndex::Drop(handle, table, error))
                break;
            if (CSearchIndex::BuiltUpTo(handle, table) < 0 &&
                !CSearchIndex::Create(handle, table, error))
                break;
            long long done = 0, total = 0;
            // A complete index takes in the log of the laws written since (by any program).
            if (CSearchIndex::BuiltUpTo(handle, table) == CSearchIndex::kComplete) {
                CSearchIndex::BuildStep(handle, table, kLawsPerStep, done, total, error);
                continue;
            }
            int rc = 0;
            while (!m_bStop.load() && (rc = CSearchIndex::BuildStep(handle, table, kLawsPerStep,
                                                                    done, total, error)) == 1)
                Report(done, total);
            if (m_bStop.load() || rc < 0)
                break;
            Report(total, total);
            QMetaObject::invokeMethod(
                this, [this] { emit indexCompleted(); }, Qt::QueuedConnection);
        }
    }
    m_bRunning = false;
}
