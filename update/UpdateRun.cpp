#include "update/UpdateRun.h"

#include "data/Schema.h"
#include "data/SearchIndex.h"
#include "ground/EditionConfig.h"
#include "ground/GbkCodec.h"
#include "ground/MessageService.h"
#include "ground/SyncEvent.h"
#include "update/FetchReply.h"
#include "update/InternetOnline.h"
#include "update/InternetSession.h"
#include "update/LawUpdater.h"
#include "update/LinkUpdater.h"
#include "update/TreeUpdater.h"
#include "update/UpdateRequest.h"
#include "update/UpdateRunHost.h"

#include <chrono>
#include <memory>
#include <type_traits>

CUpdateRun::CUpdateRun(std::atomic<int>& downloading, std::atomic<int>& updateFailed,
                       std::atomic<int>& stopRequested, CSyncEvent& stopEvent)
    : m_bDownloading(downloading), m_bUpdateFailed(updateFailed), m_bStopRequested(stopRequested),
      m_stopEvent(stopEvent) {}

CUpdateRun::~CUpdateRun() {
    Wait();
}

bool CUpdateRun::Start(CUpdateRunHost& host, const CUpdateSettings& settings) {
    if (m_bDownloading.load())
        return false;
    // The workers of an earlier run have cleared the flag as their last step.
    Wait();
    m_pHost = &host;
    m_settings = settings;
    m_bDownloading = 1;
    m_bUpdateFailed = 0;
    m_bStopRequested = 0;
    m_stopEvent.Reset();
    m_replaced.clear();
    SetInternetOnline();
    // Each handle is stored before the next worker starts: the next one waits on it.
    m_hTreeThread = std::thread(&CUpdateRun::Worker, this, Stage::Tree);
    m_hLawThread = std::thread(&CUpdateRun::Worker, this, Stage::Law);
    m_hLinkThread = std::thread(&CUpdateRun::Worker, this, Stage::Link);
    return true;
}

void CUpdateRun::Stop() {
    if (m_bDownloading.load())
        m_stopEvent.Set();
    m_bStopRequested = 1;
}

void CUpdateRun::Wait() {
    // The law worker joins the category worker and the link worker the law worker.
    if (m_hLinkThread.joinable())
        m_hLinkThread.join();
    if (m_hLawThread.joinable())
        m_hLawThread.join();
    if (m_hTreeThread.joinable())
        m_hTreeThread.join();
}

template <class TUpdater>
void CUpdateRun::RunStage(Stage stage, TUpdater& updater, std::string& error, bool& goOn) {
    CInternetSession session;
    CGbkCodec codec(m_settings.m_strCharset);
    CUpdateRequest request(&codec);
    const int message = stage == Stage::Tree  ? UpdateMsg::kTreeProgress
                        : stage == Stage::Law ? UpdateMsg::kLawProgress
                                              : UpdateMsg::kLinkProgress;
    SetInternetOnline();
    for (int edition = 0; edition < 2 && goOn && error.empty(); ++edition) {
        theUpdateEditionConfig.SetEdition(edition);
        updater.SetNotifyWindow(m_pHost);
        updater.SetStopEvent(&m_stopEvent);
        updater.SetLockWait(std::chrono::seconds(m_settings.m_nLockWaitSeconds));
        updater.BeginEdition();
        if (updater.IsBroken())
            break;
        request.Empty();
        std::string page = m_settings.ServerBase();
        if (stage == Stage::Tree)
            page += theUpdateEditionConfig.GetTreeUrl();
        else if (stage == Stage::Law)
            page += theUpdateEditionConfig.GetLawUrl();
        else
            page += theUpdateEditionConfig.GetLinkUrl();
        request.SetPage(page);
        request.AddParam("updatetime", updater.GetNewestStamp());
        if constexpr (std::is_same_v<TUpdater, CTreeUpdater>)
            request.AddParam("id", updater.GetNewestOldId());
        else if constexpr (std::is_same_v<TUpdater, CLawUpdater>)
            request.AddParam("lawid", updater.GetNewestOldId());
        updater.SetNotifyWindow(m_pHost);
        m_pHost->StageEdition(message, edition);
        FetchReply(session, request, updater, &m_stopEvent, &codec, error, goOn);
        updater.EndEdition();
    }
    // A record that could not be written, or a batch that could not be committed: the stage
    // fails, and the next run brings what is missing.
    if (updater.IsBroken()) {
        goOn = false;
        if (error.empty())
            error = updater.FailureText();
    }
    session.Close();
}

std::string CUpdateRun::ReplacedWarning(const std::vector<std::string>& records) {
    // The first ones by name; a reply with more than a few is rare (most such replies are
    // refused as a whole).
    constexpr size_t kNamed = 20;
    std::string text = "注意：有 " + std::to_string(records.size()) +
                       " 条记录含有无效字节，已替换为 “\xEF\xBF\xBD” 后保存：";
    for (size_t i = 0; i < records.size() && i < kNamed; ++i) {
        if (i > 0)
            text += "；";
        text += records[i];
    }
    if (records.size() > kNamed)
        text += "……另有 " + std::to_string(records.size() - kNamed) + " 条";
    text += "。";
    return text;
}

void CUpdateRun::ReportReplaced() {
    std::vector<std::string> replaced;
    {
        std::lock_guard lock(m_replacedLock);
        replaced = m_replaced;
    }
    if (!replaced.empty())
        m_pHost->RunWarning(ReplacedWarning(replaced));
}

void CUpdateRun::Worker(Stage stage) {
    std::string error;
    bool goOn = true;
    // The stage gate: the law worker waits for the category worker, the link worker for the
    // law worker; after a failed or given-up stage the run ends there.
    if (stage != Stage::Tree) {
        std::thread& previous = stage == Stage::Law ? m_hTreeThread : m_hLawThread;
        if (previous.joinable())
            previous.join();
        if (m_bUpdateFailed.load()) {
            m_bDownloading = 0;
            if (stage == Stage::Link) {
                ReportReplaced();
                m_pHost->RunEnded(false);
            }
            return;
        }
    }
    {
        std::unique_ptr<CUpdaterBase> updater;
        if (stage == Stage::Tree)
            updater = std::make_unique<CTreeUpdater>();
        else if (stage == Stage::Law)
            updater = std::make_unique<CLawUpdater>();
        else
            updater = std::make_unique<CLinkUpdater>();
        // Without its database (the box has been shown) the stage cannot merge anything.
        if (!updater->Connection().IsOpen())
            goOn = false;
        // A file without the collection's tables would fail every record of every stage:
        // refused once, before the run asks or downloads anything.
        std::string missing;
        if (goOn && stage == Stage::Tree &&
            !CSchema::CheckCollection(updater->Connection(), missing)) {
            goOn = false;
            error = CSchema::NoCollectionText(missing) + "无法更新。";
        }
        // Triggers of a full-text index made by an earlier version call its tokenizer in
        // every write of a law, and fail every one of them once that index is damaged: the
        // index is derived data, made again by the program, and never stops an update.
        if (goOn && stage == Stage::Law) {
            std::string ignored;
            for (const char* table : {"dornlaws", "en_dornlaws"})
                CSearchIndex::DropOldTriggers(updater->Connection().GetConnectionHandle(), table,
                                              ignored);
        }
        if (goOn && stage == Stage::Tree && !m_pHost->ConfirmUpdate()) {
            m_bUpdateFailed = 1;
            return;
        }
        if (goOn) {
            if (stage == Stage::Tree)
                RunStage(stage, static_cast<CTreeUpdater&>(*updater), error, goOn);
            else if (stage == Stage::Law)
                RunStage(stage, static_cast<CLawUpdater&>(*updater), error, goOn);
            else
                RunStage(stage, static_cast<CLinkUpdater&>(*updater), error, goOn);
        }
        {
            std::lock_guard lock(m_replacedLock);
            const auto& replaced = updater->ReplacedRecords();
            m_replaced.insert(m_replaced.end(), replaced.begin(), replaced.end());
        }
        // The next edition was still tried after a broken-off reply, but the stage has not
        // brought all it was sent: the later stages wait for the next run, which brings the
        // rest of this one first, and a run with a broken-off link reply is no success.
        if (updater->WasReplyBrokenOff()) {
            if (stage != Stage::Link)
                m_bUpdateFailed = 1;
            goOn = false;
        }
        if (!goOn || !error.empty()) {
            if (stage != Stage::Link)
                m_bUpdateFailed = 1;
            if (!error.empty())
                AppMessageBox(error);
        }
    }
    if (stage == Stage::Link) {
        const bool success = goOn && error.empty();
        m_bDownloading = 0;
        ReportReplaced();
        if (success)
            m_pHost->UpdateFinished();
        m_pHost->RunEnded(success);
    }
}
