#include "app/AccessibleNames.h"

#include "app/MainFrame.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "display/gui/ShowLawView.h"

#include <QLabel>
#include <QListView>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>

namespace {

void Name(QWidget* widget, const QString& name, const QString& description = {}) {
    if (!widget)
        return;
    widget->setAccessibleName(name);
    if (!description.isEmpty())
        widget->setAccessibleDescription(description);
}

} // namespace

void CAccessibleNames::Apply(CMainFrame* frame) {
    Name(frame, QStringLiteral("Tolvarin"), tr("法规库阅读器"));
    if (CLeftView* left = frame->GetLeftView()) {
        Name(left, tr("目录"), tr("法规分类目录"));
        Name(left->GetCaption(), tr("目录"));
        Name(left->GetTree(0), tr("中文法规目录"),
             tr("选中一个分类，右侧列出其下的法规；方向键移动，F6 转到下一窗格"));
        Name(left->GetTree(1), tr("英文法规目录"),
             tr("选中一个分类，右侧列出其下的法规；方向键移动，F6 转到下一窗格"));
    }
    if (CTolvarinView* list = frame->GetListView()) {
        Name(list, tr("法规列表"));
        const QString description =
            tr("所选分类或查询的法规：标题、日期、文号、部门；选中一行即在下方显示该法规");
        Name(list->GetTable(), tr("法规列表"), description);
        Name(list->GetIconView(), tr("法规列表"), description);
    }
    if (CShowLawView* law = frame->GetLawView())
        Name(law, tr("法规正文"),
             tr("所显示法规的全文；Alt+左方向键后退，Alt+右方向键前进，Ctrl+D 收藏"));
    for (QToolBar* bar : frame->findChildren<QToolBar*>())
        Name(bar, bar->windowTitle());
    Name(frame->statusBar(), tr("状态栏"));
    if (auto* outer = frame->findChild<QSplitter*>(QStringLiteral("OuterSplitter")))
        Name(outer, tr("目录与法规"));
    if (auto* inner = frame->findChild<QSplitter*>(QStringLiteral("InnerSplitter")))
        Name(inner, tr("法规列表与正文"));

    // Tab goes from the tree to the list to the page, as F6 does.
    if (frame->GetLeftView() && frame->GetListView() && frame->GetLawView()) {
        QWidget::setTabOrder(frame->GetLeftView()->GetTree(0), frame->GetLeftView()->GetTree(1));
        QWidget::setTabOrder(frame->GetLeftView()->GetTree(1), frame->GetListView()->GetTable());
        QWidget::setTabOrder(frame->GetListView()->GetTable(), frame->GetListView()->GetIconView());
        QWidget::setTabOrder(frame->GetListView()->GetIconView(), frame->GetLawView());
    }
}
