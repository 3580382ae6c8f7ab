// The online update as the document starts it (command 32777).
#include "app/CollectionController.h"
#include "app/FrameUpdateHost.h"
#include "app/MainFrame.h"
#include "app/ReadOnlyNotice.h"
#include "app/TolvarinDoc.h"
#include "ground/MessageService.h"
#include "update/UpdateRun.h"
#include "update/UpdateSettings.h"

#include <QObject>
#include <QSettings>

#include <memory>

namespace {

const char* const kRunObjectName = "tolvarinUpdateRun";

// The run of a frame lives as long as the frame. The frame refuses to close while a run is
// in progress; once it has closed, the last worker's few remaining steps are waited for.
class CUpdateRunHolder : public QObject {
public:
    explicit CUpdateRunHolder(CMainFrame* frame)
        : QObject(frame), m_host(frame, frame->m_pStopEvent),
          m_run(frame->m_bDownloading, frame->m_bUpdateFailed, frame->m_bStopRequested,
                *frame->m_pStopEvent) {
        setObjectName(QString::fromLatin1(kRunObjectName));
        connect(frame, &CMainFrame::frameClosed, this, [this] { m_run.Wait(); });
    }
    CFrameUpdateHost m_host;
    CUpdateRun m_run;
};

} // namespace

CUpdateSettings CTolvarinDoc::ReadUpdateSettings() {
    CUpdateSettings settings;
    QSettings profile;
    settings.m_strServer =
        profile
            .value(QStringLiteral("Update/Server"), QString::fromUtf8(settings.m_strServer.c_str()))
            .toString()
            .toStdString();
    settings.m_strCharset = profile
                                .value(QStringLiteral("Update/Charset"),
                                       QString::fromUtf8(settings.m_strCharset.c_str()))
                                .toString()
                                .toStdString();
    settings.ApplyEnvironment();
    return settings;
}

void CTolvarinDoc::OnSmartUpdate() {
    CMainFrame* frame = GetFrame();
    if (!frame || frame->m_bDownloading.load())
        return;
    // Without a collection the run fills a new, empty one.
    if (frame->GetCollections() && !frame->GetCollections()->EnsureCollectionForUpdate())
        return;
    if (m_db.IsReadOnly()) {
        ShowMessage(CReadOnlyNotice::Reason().toStdString(),
                    QCoreApplication::translate("CMainFrame", "智能更新").toStdString(),
                    MsgIcon::Information);
        return;
    }
    auto* holder = static_cast<CUpdateRunHolder*>(frame->findChild<QObject*>(
        QString::fromLatin1(kRunObjectName), Qt::FindDirectChildrenOnly));
    if (!holder)
        holder = new CUpdateRunHolder(frame);
    holder->m_run.Start(holder->m_host, ReadUpdateSettings());
    frame->UpdateCommandStates();
}
