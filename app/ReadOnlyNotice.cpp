#include "app/ReadOnlyNotice.h"

#include "app/MainFrame.h"
#include "app/TolvarinDoc.h"
#include "ground/CommandIds.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

namespace {

const char* const kMarkName = "readOnlyMark";

} // namespace

QString CReadOnlyNotice::Reason() {
    return tr("数据库 db1.mdb 位于只读位置（只读介质，或没有写入权限），只能浏览和搜索；"
              "智能更新需要写入数据库，已停用。请把 db1.mdb 复制到可写的位置后再更新。");
}

void CReadOnlyNotice::Apply(CMainFrame& frame) {
    CTolvarinDoc* doc = frame.GetDocument();
    if (!doc || !doc->m_db.IsReadOnly())
        return;
    const QString reason = Reason();
    if (QAction* update = frame.Action(ID_SMART_UPDATE)) {
        update->setEnabled(false);
        if (update->statusTip() != reason) {
            update->setStatusTip(reason);
            update->setToolTip(reason);
        }
    }
    if (!frame.statusBar()->findChild<QLabel*>(QString::fromLatin1(kMarkName))) {
        auto* mark = new QLabel(tr("只读：智能更新已停用"), frame.statusBar());
        mark->setObjectName(QString::fromLatin1(kMarkName));
        mark->setToolTip(reason);
        frame.statusBar()->addPermanentWidget(mark);
    }
}
