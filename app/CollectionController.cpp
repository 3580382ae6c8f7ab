#include "app/CollectionController.h"

#include "app/MainFrame.h"
#include "app/TolvarinDoc.h"
#include "app/WelcomePage.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "data/CollectionFile.h"
#include "data/Schema.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "search/gui/SearchBox.h"
#include "search/gui/SearchIndexBuilder.h"
#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusImporter.h"
#include "update/UpdateSettings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Makes `file` from the shipped laws: written beside it under another name and renamed
// when complete, so that a failed or interrupted run leaves no half collection behind.
bool MakeCollection(const std::string& corpus, const std::string& file, std::string& error) {
    std::error_code ec;
    fs::create_directories(fs::path(file).parent_path(), ec);
    if (ec) {
        error = "无法建立文件夹 " + fs::path(file).parent_path().string() + "：" + ec.message();
        return false;
    }
    const std::string part = file + ".part";
    {
        if (!CSchema::CreateDatabase(part, true, error)) {
            error = part + "：" + error;
            return false;
        }
        CCollectionWriter writer;
        if (!writer.Open(part, error) || !writer.BeginEdition("", error) ||
            CCorpusImporter::Import(corpus, writer, error) < 0 || !writer.EndEdition(error)) {
            fs::remove(part, ec);
            return false;
        }
    }
    for (const char* side : {"-wal", "-shm"})
        fs::remove(part + side, ec);
    fs::rename(part, file, ec);
    if (ec) {
        error = "无法写入 " + file + "：" + ec.message();
        fs::remove(part, ec);
        return false;
    }
    return true;
}

} // namespace

CCollectionController::CCollectionController(CMainFrame* frame) : QObject(frame), m_pFrame(frame) {}

CCollectionController::~CCollectionController() {
    if (m_maker.joinable())
        m_maker.join();
}

std::string CCollectionController::GetCurrentFile() const {
    return GetCollectionFile();
}

CWelcomePage* CCollectionController::GetWelcomePage() const {
    return m_pWelcome;
}

void CCollectionController::Start(const CCollectionLocator::Result& found) {
    m_found = found;
    if (found.m_strFile.empty()) {
        ShowWelcome(found);
    } else {
        m_recent.Add(Q(found.m_strFile));
        UpdateRecentActions();
    }
}

void CCollectionController::ShowWelcome(const CCollectionLocator::Result& found) {
    CShowLawView* law = m_pFrame->GetLawView();
    auto* splitter = law ? qobject_cast<QSplitter*>(law->parentWidget()) : nullptr;
    if (!splitter)
        return;
    if (!m_pWelcome) {
        m_pWelcome = new CWelcomePage(splitter);
        splitter->insertWidget(splitter->indexOf(law) + 1, m_pWelcome);
        connect(m_pWelcome, &CWelcomePage::openRequested, this, &CCollectionController::OnFileOpen);
        connect(m_pWelcome, &CWelcomePage::makeRequested, this,
                &CCollectionController::MakeFromShippedLaws);
        connect(m_pWelcome, &CWelcomePage::updateRequested, m_pFrame,
                [this] { m_pFrame->ExecuteCommand(ID_SMART_UPDATE); });
    }
    CWelcomePage::Content content;
    for (const std::string& path : found.m_arrLooked)
        content.m_arrLooked.push_back(Q(path));
    content.m_strRejected = Q(found.m_strRejected);
    content.m_strReason = Q(found.m_strReason);
    content.m_strUserFile = Q(CCollectionLocator::UserCollectionFile());
    content.m_strShippedLaws = Q(CCollectionLocator::ShippedCorpus());
    content.m_strServer = Q(CTolvarinDoc::ReadUpdateSettings().m_strServer);
    m_pWelcome->SetContent(content);
    // The page takes the whole right side: an empty list above it has nothing to say.
    law->hide();
    if (CTolvarinView* list = m_pFrame->GetListView())
        list->hide();
    m_pWelcome->show();
}

void CCollectionController::HideWelcome() {
    if (!m_pWelcome)
        return;
    m_pWelcome->hide();
    m_pWelcome->deleteLater();
    m_pWelcome = nullptr;
    if (CShowLawView* law = m_pFrame->GetLawView())
        law->show();
    if (CTolvarinView* list = m_pFrame->GetListView())
        list->show();
}

void CCollectionController::OnFileOpen() {
    if (m_bMaking || m_pFrame->m_bDownloading.load())
        return;
    QString start = Q(GetCurrentFile());
    start = start.isEmpty() ? QDir::currentPath() : QFileInfo(start).absolutePath();
    const QString file = QFileDialog::getOpenFileName(
        m_pFrame, tr("打开法规库"), start, tr("法规库 (*.mdb *.db *.sqlite);;所有文件 (*)"));
    if (!file.isEmpty())
        OpenCollection(file);
}

bool CCollectionController::OpenCollection(const QString& path) {
    if (m_bMaking || m_pFrame->m_bDownloading.load())
        return false;
    const std::string file = CCollectionLocator::Absolute(path.toStdString());
    std::string reason;
    if (!CCollectionLocator::IsCollection(file, reason)) {
        std::error_code ec;
        if (!fs::exists(file, ec)) {
            reason = "文件不存在";
            m_recent.Remove(Q(file));
            UpdateRecentActions();
        }
        ShowMessage("无法打开法规库 " + file + "：" + reason, "打开法规库", MsgIcon::Warning);
        return false;
    }
    Switch(file);
    m_recent.Add(Q(file));
    UpdateRecentActions();
    HideWelcome();
    m_pFrame->statusBar()->showMessage(tr("已打开法规库 ") + Q(file), 10000);
    emit collectionOpened(Q(file));
    return true;
}

void CCollectionController::Switch(const std::string& file) {
    // No connection may stay on the old file: the list's worker is stopped and its
    // connection closed, the document's closed; the next use connects to the new file.
    StopListQuery();
    for (int i = 0; i < 600 && !WaitForListQueriesIdle(std::chrono::milliseconds(50)); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    CloseListQueryConnection();
    if (CTolvarinDoc* doc = m_pFrame->GetDocument())
        doc->m_db.Close();
    SetCollectionFile(file);

    // Both editions start over at their roots.
    const int edition = theEditionConfig.GetEdition();
    for (int e : {0, 1}) {
        theEditionConfig.SetEdition(e);
        theEditionConfig.SetCurTreeId(0);
        theEditionConfig.SetCurLawId(0);
        theEditionConfig.GetSearchWords().clear();
        theEditionConfig.GetFindWords().clear();
        if (CLeftView* tree = m_pFrame->GetLeftView()) {
            tree->ShowTree(e);
            tree->FillTree();
        }
    }
    theEditionConfig.SetEdition(edition);
    if (CLeftView* tree = m_pFrame->GetLeftView())
        tree->ShowTree(edition);
    if (CShowLawView* law = m_pFrame->GetLawView())
        law->SetBodyHtml(std::string());
    if (CTolvarinView* list = m_pFrame->GetListView())
        list->ShowCategory(0);
    // The new file's search index is checked, and made or completed, as at start-up.
    if (auto* box =
            qobject_cast<CSearchBox*>(m_pFrame->menuBar()->cornerWidget(Qt::TopRightCorner));
        box && box->GetIndexBuilder())
        box->GetIndexBuilder()->Restart();
}

void CCollectionController::FillRecentMenu(QMenu* menu, QAction* before) {
    for (int i = 0; i < CRecentFileList::kSize; ++i) {
        auto* action = new QAction(menu);
        action->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        connect(action, &QAction::triggered, this, [this, i] {
            if (i < m_recent.Files().size())
                OpenCollection(m_recent.Files()[i]);
        });
        menu->insertAction(before, action);
        m_recentActions.push_back(action);
    }
    UpdateRecentActions();
}

void CCollectionController::UpdateRecentActions() {
    const QStringList& files = m_recent.Files();
    for (int i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        const bool used = i < files.size();
        action->setVisible(used);
        if (used) {
            // "&1 /home/…/db1.mdb" as the framework lists them; an '&' of the path shown as such.
            QString shown = files[i];
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            action->setStatusTip(tr("打开法规库 ") + files[i]);
        }
    }
}

void CCollectionController::MakeFromShippedLaws() {
    if (m_bMaking || m_pFrame->m_bDownloading.load())
        return;
    const std::string corpus = CCollectionLocator::ShippedCorpus();
    const std::string file = CCollectionLocator::UserCollectionFile();
    if (corpus.empty() || file.empty()) {
        ShowMessage("没有找到随附的法规文件 laws-zh.jsonl.xz。", "建立法规库", MsgIcon::Warning);
        return;
    }
    std::error_code ec;
    if (fs::exists(file, ec)) {
        std::string reason;
        if (CCollectionLocator::IsCollection(file, reason)) {
            OpenCollection(Q(file));
            return;
        }
        // Whatever is there stays untouched.
        ShowMessage("无法建立法规库：" + file + " 已经存在，但不是法规库（" + reason +
                        "）。请先移走或改名这个文件。",
                    "建立法规库", MsgIcon::Warning);
        return;
    }
    if (m_maker.joinable())
        m_maker.join();
    m_bMaking = true;
    if (m_pWelcome) {
        CWelcomePage::Content content = m_pWelcome->GetContent();
        content.m_strBusy = tr("正在用随附的法规建立法规库 %1，请稍候……").arg(Q(file));
        m_pWelcome->SetContent(content);
    }
    m_pFrame->statusBar()->showMessage(tr("正在建立法规库 ") + Q(file) + QStringLiteral(" ..."));
    QPointer<CCollectionController> self(this);
    m_maker = std::thread([self, corpus, file] {
        std::string error;
        const bool ok = MakeCollection(corpus, file, error);
        QMetaObject::invokeMethod(
            qApp,
            [self, ok, error] {
                if (self)
                    self->OnMakeFinished(ok, Q(error));
            },
            Qt::QueuedConnection);
    });
}

void CCollectionController::OnMakeFinished(bool ok, const QString& error) {
    m_bMaking = false;
    if (m_pWelcome) {
        CWelcomePage::Content content = m_pWelcome->GetContent();
        content.m_strBusy.clear();
        m_pWelcome->SetContent(content);
    }
    if (!ok) {
        m_pFrame->statusBar()->clearMessage();
        ShowMessage("建立法规库失败：" + error.toStdString(), "建立法规库", MsgIcon::Warning);
        return;
    }
    OpenCollection(Q(CCollectionLocator::UserCollectionFile()));
}

bool CCollectionController::EnsureCollectionForUpdate() {
    if (HasCollection())
        return true;
    if (m_bMaking)
        return false;
    // The file that was found but holds no collection is the user's to deal with: no new
    // collection is made behind it.
    if (!m_found.m_strRejected.empty()) {
        ShowMessage("无法更新：" + m_found.m_strRejected + " 不是法规库（" + m_found.m_strReason +
                        "）。请打开另一个法规库，或移走这个文件后再更新。",
                    "智能更新", MsgIcon::Warning);
        return false;
    }
    const std::string file = CCollectionLocator::UserCollectionFile();
    std::error_code ec;
    std::string error;
    if (file.empty()) {
        ShowMessage("无法建立法规库：没有用户数据文件夹（HOME 未设置）。", "智能更新",
                    MsgIcon::Warning);
        return false;
    }
    if (!fs::exists(file, ec)) {
        fs::create_directories(fs::path(file).parent_path(), ec);
        if (!CSchema::CreateDatabase(file, false, error)) {
            ShowMessage("无法建立法规库 " + file + "：" + error, "智能更新", MsgIcon::Warning);
            return false;
        }
    }
    return OpenCollection(Q(file));
}
