#include "app/LawPageCommands.h"

#include "app/MainFrame.h"
#include "display/gui/CitedByButton.h"
#include "display/gui/FindBar.h"
#include "display/gui/LawOutline.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "reader/gui/Reader.h"
#include "search/gui/SearchBox.h"
#include "search/gui/SearchIndexBuilder.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

CLawPageCommands::CLawPageCommands(CMainFrame* frame) : QObject(frame), m_pFrame(frame) {
    CShowLawView* view = frame->GetLawView();

    // The menus are found by a command of theirs, in either interface language.
    QMenu* file = Menu(ID_FILE_PRINT);
    QMenu* search = Menu(ID_FIND_IN_TEXT);
    QMenu* viewMenu = Menu(ID_VIEW_TOOLBAR);
    QAction* beforeExit = nullptr;
    if (file && file->actions().size() >= 2)
        beforeExit = file->actions().at(file->actions().size() - 2);

    QAction* preview = Add(tr("打印预览..."), {}, nullptr);
    QAction* pdf = Add(tr("另存为 PDF..."), {}, nullptr);
    if (file) {
        file->insertAction(beforeExit, preview);
        file->insertAction(beforeExit, pdf);
    }
    connect(preview, &QAction::triggered, this, [view] { view->OnPrintPreview(); });
    connect(pdf, &QAction::triggered, this, [view] { view->OnExportPdf(); });

    // Ctrl+F opens the find bar under the page; "正文查找" keeps its dialog on the menu.
    connect(Add(tr("在本页查找..."), QKeySequence::Find, search), &QAction::triggered, this,
            [view] { view->GetFindBar()->Open(); });
    connect(Add(tr("查找下一个"), QKeySequence(Qt::Key_F3), search), &QAction::triggered, this,
            [this] { OnFindNext(false); });
    connect(Add(tr("查找上一个"), QKeySequence(Qt::SHIFT | Qt::Key_F3), search),
            &QAction::triggered, this, [this] { OnFindNext(true); });

    if (viewMenu)
        viewMenu->addSeparator();
    QAction* zoomIn = Add(tr("放大"), QKeySequence::ZoomIn, viewMenu);
    zoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(zoomIn, &QAction::triggered, this, [view] { view->ZoomBy(1); });
    QAction* zoomOut = Add(tr("缩小"), QKeySequence(Qt::CTRL | Qt::Key_Minus), viewMenu);
    connect(zoomOut, &QAction::triggered, this, [view] { view->ZoomBy(-1); });
    connect(Add(tr("原始大小"), QKeySequence(Qt::CTRL | Qt::Key_0), viewMenu), &QAction::triggered,
            this, [view] { view->ZoomReset(); });

    auto* bar = new QToolBar(tr("条文"), frame);
    bar->setObjectName(QStringLiteral("LawOutlineBar"));
    auto* box = new QWidget(bar);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(tr(" 条文："), box);
    m_pOutline = new CLawOutline(view, box);
    m_pOutline->setEnabled(false);
    label->setBuddy(m_pOutline);
    layout->addWidget(label);
    layout->addWidget(m_pOutline);
    // Beside the outline, the laws that cite the law shown; a citation chosen there or in
    // the page opens its law at the article.
    m_pCitedBy = new CCitedByButton(view, frame->GetDocument(), box);
    layout->addWidget(m_pCitedBy);
    connect(view, &CShowLawView::openLawAt, this,
            [frame](int lawid, int article, const QString& text) {
                if (CReader* reader = frame->GetReader())
                    reader->OpenLawAt(lawid, article, text);
            });
    if (auto* searchBox =
            qobject_cast<CSearchBox*>(frame->menuBar()->cornerWidget(Qt::TopRightCorner));
        searchBox && searchBox->GetIndexBuilder())
        connect(searchBox->GetIndexBuilder(), &CSearchIndexBuilder::citationsCompleted, m_pCitedBy,
                [this] { m_pCitedBy->Refresh(true); });
    // Ctrl+G goes to the box from anywhere in the window.
    QAction* go = bar->addWidget(box);
    go->setText(tr("转到条文"));
    go->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    go->setShortcutContext(Qt::WindowShortcut);
    connect(go, &QAction::triggered, this, [this] {
        m_pOutline->setFocus(Qt::ShortcutFocusReason);
        m_pOutline->lineEdit()->selectAll();
    });
    bar->addAction(zoomIn);
    bar->addAction(zoomOut);
    frame->addToolBar(Qt::TopToolBarArea, bar);
}

QMenu* CLawPageCommands::Menu(int commandId) const {
    QAction* command = m_pFrame->Action(commandId);
    for (QAction* action : m_pFrame->menuBar()->actions())
        if (action->menu() && command && action->menu()->actions().contains(command))
            return action->menu();
    return nullptr;
}

QAction* CLawPageCommands::Add(const QString& text, const QKeySequence& keys, QMenu* menu) {
    auto* action = new QAction(text, m_pFrame);
    if (!keys.isEmpty())
        action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    m_pFrame->addAction(action);
    if (menu)
        menu->addAction(action);
    return action;
}

QString CLawPageCommands::FindStatusText(int count) {
    return count > 0 ? tr("找到 %1 处").arg(count) : tr("未找到");
}

void CLawPageCommands::OnFindNext(bool backward) {
    CShowLawView* view = m_pFrame->GetLawView();
    CFindBar* bar = view->GetFindBar();
    if (!bar->isHidden() && !bar->GetEdit()->text().isEmpty()) {
        // The find bar's text goes first while the bar is open.
        bar->FindNext(backward);
        return;
    }
    if (!view->FindNext(backward)) {
        // Nothing marked yet: the find bar asks for the text, as F3 does in a browser.
        bar->Open();
        return;
    }
    m_pFrame->statusBar()->showMessage(FindStatusText(view->GetFindCount()));
}
