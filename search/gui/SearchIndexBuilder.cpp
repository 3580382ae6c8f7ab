#include "search/gui/SearchIndexBuilder.h"

#include "data/CitationTable.h"
#include "data/CollectionFile.h"
#include "data/DbConnection.h"
#include "data/SearchIndex.h"

#include <QLabel>
#include <QMetaObject>
#include <QStatusBar>

namespace {

constexpr int kLawsPerStep = 500;

} // namespace

CSearchIndexBuilder::CSearchIndexBuilder(QStatusBar* statusBar, QObject* parent)
    : QObject(parent), m_pStatusBar(statusBar) {
    if (statusBar) {
        m_pNote = new QLabel(statusBar);
        m_pNote->setObjectName(QStringLiteral("SearchIndexNote"));
        statusBar->addPermanentWidget(m_pNote);
        m_pNote->hide();
    }
}

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

void CSearchIndexBuilder::Restart() {
    m_bStop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_bRunning = false;
    Note(QString());
    Start();
}

QString CSearchIndexBuilder::GetNote() const {
    return m_pNote && !m_pNote->isHidden() ? m_pNote->text() : QString();
}

void CSearchIndexBuilder::Note(const QString& text) {
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (m_pNote) {
                m_pNote->setText(text);
                m_pNote->setVisible(!text.isEmpty());
            }
            emit noteChanged(text);
        },
        Qt::QueuedConnection);
}

void CSearchIndexBuilder::Report(long long done, long long total) {
    if (done < total) {
        Note(tr("正在建立全文索引：%1 / %2 部法规（其余法规逐篇查找）").arg(done).arg(total));
        return;
    }
    Note(QString());
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_pStatusBar)
                m_pStatusBar->showMessage(tr("全文索引已建立"), 5000);
        },
        Qt::QueuedConnection);
}

void CSearchIndexBuilder::Run() {
    // A collection that cannot be indexed is searched as before.
    CDbConnection db;
    // Without a collection there is nothing to index (and nothing to complain about).
    const std::string connection = GetConnectionString();
    bool usable = true;
    if (!connection.empty() && db.Connect(connection.c_str(), 0)) {
        sqlite3* handle = db.GetConnectionHandle();
        for (const char* table : {"dornlaws", "en_dornlaws"}) {
            if (m_bStop.load())
                break;
            std::string error;
            // Damage the schema does not show (rows deleted from the index's own tables, a
            // mark moved) sets the index aside: searches go without it from now on.
            std::string damage;
            CSearchIndex::CheckOnOpen(handle, table, damage);
            // An index that cannot be used (damaged, made by an earlier version, declared
            // with a foreign tokenizer, its log or triggers gone) is made again; searches go
            // without it meanwhile. A file that cannot be written keeps it.
            const bool outdated = CSearchIndex::IsOutdated(handle, table);
            if (outdated)
                Note(tr("全文索引已损坏，正在重建；搜索暂不使用索引"));
            if (outdated && !CSearchIndex::Drop(handle, table, error)) {
                usable = false;
                break;
            }
            if (CSearchIndex::BuiltUpTo(handle, table) < 0 &&
                !CSearchIndex::Create(handle, table, error)) {
                usable = false;
                break;
            }
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
            if (m_bStop.load())
                break;
            if (rc < 0) {
                usable = false;
                break;
            }
            Report(total, total);
            QMetaObject::invokeMethod(
                this, [this] { emit indexCompleted(); }, Qt::QueuedConnection);
        }
        BuildCitations(handle);
    }
    if (!usable && !m_bStop.load())
        Note(tr("全文索引暂不可用：搜索逐篇查找法规正文"));
    m_bRunning = false;
    QMetaObject::invokeMethod(
        this, [this] { emit finished(); }, Qt::QueuedConnection);
}

void CSearchIndexBuilder::BuildCitations(sqlite3* handle) {
    // The citations follow the index's log, so they are built only where the log is kept.
    bool complete = false;
    for (const char* table : {"dornlaws", "en_dornlaws"}) {
        if (m_bStop.load() || CSearchIndex::BuiltUpTo(handle, table) < 0)
            continue;
        std::string error;
        if (CCitationTable::IsOutdated(handle, table) &&
            !CCitationTable::Drop(handle, table, error))
            continue;
        if (CCitationTable::BuiltUpTo(handle, table) < 0 &&
            !CCitationTable::Create(handle, table, error))
            continue;
        if (CCitationTable::BuiltUpTo(handle, table) == CCitationTable::kComplete) {
            complete = true;
            continue;
        }
        long long done = 0, total = 0;
        int rc = 0;
        while (!m_bStop.load() && (rc = CCitationTable::BuildStep(handle, table, kLawsPerStep, done,
                                                                  total, error)) == 1)
            ReportCitations(done, total);
        if (rc == 0) {
            ReportCitations(total, total);
            complete = true;
        }
    }
    // The log taken in or the table built: what the window shows of them is read again.
    if (complete)
        QMetaObject::invokeMethod(
            this, [this] { emit citationsCompleted(); }, Qt::QueuedConnection);
}

void CSearchIndexBuilder::ReportCitations(long long done, long long total) {
    // In the same place as the index's progress, so that the index's last word stays.
    Note(done < total ? tr("正在整理法规间的引用：%1 / %2 部法规").arg(done).arg(total)
                      : QString());
}
