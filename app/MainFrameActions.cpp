// The frame's commands as actions: menu, toolbars, accelerators, status prompts, states.
#include "app/CollectionController.h"
#include "app/CollectionInfoDlg.h"
#include "app/HelpCommands.h"
#include "app/InterfaceLanguage.h"
#include "app/MainFrame.h"
#include "app/ReadOnlyNotice.h"
#include "app/TolvarinDoc.h"
#include "browse/gui/TolvarinView.h"
#include "data/CollectionFile.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "reader/gui/Reader.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace {

// The program's own small image, else the desktop theme's, else the style's.
QIcon SmallIcon(const char* file, const char* theme, QStyle::StandardPixmap fallback) {
    const QIcon own(QStringLiteral(":/images/small/") + QString::fromLatin1(file));
    if (!own.pixmap(QSize(16, 15)).isNull())
        return own;
    return QIcon::fromTheme(QString::fromLatin1(theme),
                            QApplication::style()->standardIcon(fallback));
}

QIcon LargeIcon(const char* file) {
    return QIcon(QStringLiteral(":/images/toolbar/") + QString::fromLatin1(file));
}

} // namespace

QAction* CMainFrame::AddAction(int id, const QString& text, const QString& prompt,
                               const QString& tip) {
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setObjectName(QStringLiteral("ID_%1").arg(id));
    if (!prompt.isEmpty())
        action->setStatusTip(prompt);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::Action(int id) const {
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

bool CMainFrame::ExecuteCommand(int id) {
    UpdateCommandStates();
    QAction* action = Action(id);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    UpdateCommandStates();
    return true;
}

void CMainFrame::CreateActions() {
    // File.
    AddAction(ID_FILE_NEW, tr("新建"))->setEnabled(false);
    QAction* open = AddAction(ID_FILE_OPEN, tr("打开法规库(&O)...\tCtrl+O"),
                              tr("打开一个法规库文件"), tr("打开法规库"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, m_pCollections, &CCollectionController::OnFileOpen);
    AddAction(ID_FILE_SAVE, tr("保存"))->setEnabled(false);
    QAction* print =
        AddAction(ID_FILE_PRINT, tr("打印...\tCtrl+P"), tr("打印当前法规"), tr("打印"));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(print, &QAction::triggered, this, &CMainFrame::OnFilePrint);
    connect(AddAction(ID_FILE_PRINT_SETUP, tr("打印设置"), tr("打印设置"), tr("打印设置")),
            &QAction::triggered, this, &CMainFrame::OnFilePrintSetup);
    QAction* exit = AddAction(ID_APP_EXIT, tr("退出(&x)"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    // Edit: what the panes give a meaning to.
    AddAction(ID_EDIT_CUT, tr("剪切"))->setEnabled(false);
    QAction* copy = AddAction(ID_EDIT_COPY, tr("复制"));
    connect(copy, &QAction::triggered, this, &CMainFrame::OnEditCopy);
    AddAction(ID_EDIT_PASTE, tr("粘贴"))->setEnabled(false);

    // Search.
    connect(AddAction(ID_TITLE_SEARCH, tr("标题查询"), tr("标题查询"), tr("标题查询")),
            &QAction::triggered, this, &CMainFrame::OnTitleSearch);
    connect(AddAction(ID_ADVANCED_SEARCH, tr("高级查询"), tr("高级查询"), tr("高级查询")),
            &QAction::triggered, this, &CMainFrame::OnAdvancedSearch);
    connect(AddAction(ID_FIND_IN_TEXT, tr("正文查找"), tr("正文查找"), tr("正文查找")),
            &QAction::triggered, this, &CMainFrame::OnFindInText);

    // View: bars.
    QAction* toolbar =
        AddAction(ID_VIEW_TOOLBAR, tr("工具栏(&T)"), tr("显示或隐藏工具栏"), tr("工具栏"));
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    QAction* statusBarAction =
        AddAction(ID_VIEW_STATUS_BAR, tr("状态栏(&S)"), tr("显示或隐藏状态栏"), tr("状态栏"));
    statusBarAction->setCheckable(true);
    statusBarAction->setChecked(true);

    // View styles of the law list.
    m_pStyleGroup = new QActionGroup(this);
    m_pStyleGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    const struct {
        int id;
        const char* text;
        const char* file;
        const char* theme;
        QStyle::StandardPixmap fallback;
    } styles[] = {
        {ID_VIEW_LARGEICON, QT_TR_NOOP("大图标"), "large-icons.png", "view-list-icons",
         QStyle::SP_FileDialogContentsView},
        {ID_VIEW_SMALLICON, QT_TR_NOOP("小图标"), "small-icons.png", "view-list-compact",
         QStyle::SP_FileDialogInfoView},
        {ID_VIEW_LIST, QT_TR_NOOP("列表"), "list.png", "view-list-text",
         QStyle::SP_FileDialogListView},
        {ID_VIEW_DETAILS, QT_TR_NOOP("详细资料"), "details.png", "view-list-details",
         QStyle::SP_FileDialogDetailedView},
    };
    for (const auto& style : styles) {
        QAction* action = AddAction(style.id, tr(style.text));
        action->setToolTip(tr(style.text));
        action->setIcon(SmallIcon(style.file, style.theme, style.fallback));
        action->setCheckable(true);
        m_pStyleGroup->addAction(action);
        const int id = style.id;
        connect(action, &QAction::triggered, this, [this, id] { OnViewStyle(id); });
    }
    Action(ID_VIEW_DETAILS)->setChecked(true);
    connect(AddAction(ID_VIEW_LINEUP, tr("排列图标")), &QAction::triggered, this,
            [this] { OnViewStyle(ID_VIEW_LINEUP); });
    AddAction(ID_VIEW_BYNAME, tr("按名称排序"));

    // Online update.
    connect(AddAction(ID_SMART_UPDATE, tr("智能更新"), tr("智能更新"), tr("智能更新")),
            &QAction::triggered, this, [this] {
                if (m_pDoc)
                    m_pDoc->OnSmartUpdate();
            });
    QAction* stop = AddAction(ID_UPDATE_STOP, tr("停止"));
    stop->setToolTip(tr("停止"));
    connect(stop, &QAction::triggered, this, &CMainFrame::OnUpdateStop);

    // Editions.
    QAction* zh = AddAction(ID_EDITION_ZH, tr("中文法规"));
    QAction* en = AddAction(ID_EDITION_EN, tr("英文法规"));
    for (QAction* action : {zh, en}) {
        action->setCheckable(true);
        action->setToolTip(action->text());
    }
    connect(zh, &QAction::triggered, this, [this] { OnEdition(0); });
    connect(en, &QAction::triggered, this, [this] { OnEdition(1); });

    // Help.
    connect(AddAction(ID_APP_ABOUT, tr("关于 Tolvarin(&A)...")), &QAction::triggered, this,
            [this] { OnAppAbout(this); });
    Action(ID_APP_ABOUT)->setToolTip(tr("关于"));
    connect(AddAction(ID_HELP_CONTENTS, tr("使用帮助")), &QAction::triggered, this,
            [this] { OnHelpContents(this); });
    Action(ID_HELP_CONTENTS)->setToolTip(tr("帮助"));
    Action(ID_HELP_CONTENTS)->setShortcut(QKeySequence::HelpContents);
    connect(AddAction(ID_VISIT_WEBSITE, tr("访问 Tolvarin 网站")), &QAction::triggered, this,
            [this] { OnVisitWebSite(this); });
    connect(AddAction(ID_SEND_SUGGESTION, tr("投诉及建议")), &QAction::triggered, this,
            [this] { OnSendSuggestion(this); });

    // Panes.
    QAction* next = AddAction(ID_NEXT_PANE, tr("下一窗格"));
    next->setShortcut(QKeySequence(Qt::Key_F6));
    connect(next, &QAction::triggered, this, [this] { OnNextPane(true); });
    QAction* previous = AddAction(ID_PREV_PANE, tr("上一窗格"));
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(previous, &QAction::triggered, this, [this] { OnNextPane(false); });
    for (QAction* action : {next, previous, print, open, Action(ID_HELP_CONTENTS)}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    m_pReader->CreateActions();
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(tr("文件(&F)"));
    file->addAction(Action(ID_FILE_OPEN));
    file->addSeparator();
    file->addAction(Action(ID_FILE_PRINT));
    file->addAction(Action(ID_FILE_PRINT_SETUP));
    file->addSeparator();
    QAction* recentEnd = file->addSeparator();
    m_pCollections->FillRecentMenu(file, recentEnd);
    file->addAction(Action(ID_APP_EXIT));

    QMenu* search = menuBar()->addMenu(tr("查询(&S)"));
    search->addAction(Action(ID_TITLE_SEARCH));
    search->addAction(Action(ID_ADVANCED_SEARCH));
    search->addAction(Action(ID_FIND_IN_TEXT));

    QMenu* view = menuBar()->addMenu(tr("视图(&V)"));
    view->addAction(Action(ID_VIEW_TOOLBAR));
    view->addAction(Action(ID_VIEW_STATUS_BAR));
    // What the toolbars hold is reachable from the keyboard through the menu too.
    view->addSeparator();
    for (int id :
         {ID_VIEW_LARGEICON, ID_VIEW_SMALLICON, ID_VIEW_LIST, ID_VIEW_DETAILS, ID_VIEW_LINEUP})
        view->addAction(Action(id));
    view->addSeparator();
    view->addAction(Action(ID_EDITION_ZH));
    view->addAction(Action(ID_EDITION_EN));
    view->addSeparator();
    CInterfaceLanguage::AddMenu(view, this);

    QMenu* update = menuBar()->addMenu(tr("网络升级"));
    update->addAction(Action(ID_SMART_UPDATE));
    update->addAction(Action(ID_UPDATE_STOP));

    QMenu* help = menuBar()->addMenu(tr("帮助(&H)"));
    help->addAction(Action(ID_APP_ABOUT));
    help->addAction(Action(ID_HELP_CONTENTS));
    QAction* info = help->addAction(tr("法规库信息(&I)..."));
    info->setObjectName(QStringLiteral("CollectionInfoAction"));
    info->setStatusTip(tr("法规库文件、各版法规数、上次更新和全文索引的状态"));
    connect(info, &QAction::triggered, this, [this] {
        CCollectionInfoDlg dialog(m_pDoc ? m_pDoc->m_db.GetConnectionHandle() : nullptr,
                                  QString::fromStdString(GetCollectionFile()), this);
        dialog.exec();
    });
    help->addAction(Action(ID_VISIT_WEBSITE));
    help->addAction(Action(ID_SEND_SUGGESTION));

    m_pReader->AddMenus(menuBar(), update);
    for (QMenu* menu : {file, search, view, update, help})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
}

bool CMainFrame::CreateToolBars() {
    m_pSmallToolBar = new QToolBar(tr("标准"), this);
    m_pSmallToolBar->setObjectName(QStringLiteral("ToolBar%1").arg(AFX_IDW_TOOLBAR_SMALL));
    m_pSmallToolBar->setIconSize(QSize(16, 15));
    Action(ID_FILE_NEW)->setIcon(SmallIcon("new.png", "document-new", QStyle::SP_FileIcon));
    Action(ID_FILE_OPEN)
        ->setIcon(SmallIcon("open.png", "document-open", QStyle::SP_DialogOpenButton));
    Action(ID_FILE_SAVE)
        ->setIcon(SmallIcon("save.png", "document-save", QStyle::SP_DialogSaveButton));
    Action(ID_EDIT_CUT)->setIcon(SmallIcon("cut.png", "edit-cut", QStyle::SP_TrashIcon));
    Action(ID_EDIT_COPY)->setIcon(SmallIcon("copy.png", "edit-copy", QStyle::SP_FileLinkIcon));
    Action(ID_EDIT_PASTE)
        ->setIcon(SmallIcon("paste.png", "edit-paste", QStyle::SP_DialogApplyButton));
    Action(ID_FILE_PRINT)
        ->setIcon(SmallIcon("print.png", "document-print", QStyle::SP_ComputerIcon));
    Action(ID_APP_ABOUT)
        ->setIcon(SmallIcon("about.png", "help-about", QStyle::SP_MessageBoxInformation));
    for (int id : std::initializer_list<int>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0,
                                             ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
                                             ID_FILE_PRINT, 0, ID_VIEW_LARGEICON, ID_VIEW_SMALLICON,
                                             ID_VIEW_LIST, ID_VIEW_DETAILS, 0, ID_APP_ABOUT}) {
        if (id == 0)
            m_pSmallToolBar->addSeparator();
        else
            m_pSmallToolBar->addAction(Action(id));
    }
    addToolBar(Qt::TopToolBarArea, m_pSmallToolBar);
    addToolBarBreak(Qt::TopToolBarArea);

    m_pLargeToolBar = new QToolBar(tr("工具栏"), this);
    m_pLargeToolBar->setObjectName(QStringLiteral("ToolBar%1").arg(AFX_IDW_TOOLBAR_LARGE));
    m_pLargeToolBar->setIconSize(QSize(42, 35));
    m_pLargeToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const struct {
        int id;
        const char* text;
        const char* icon;
    } buttons[] = {
        {ID_TITLE_SEARCH, QT_TR_NOOP("标题查询"), "title-search.png"},
        {ID_ADVANCED_SEARCH, QT_TR_NOOP("高级查询"), "advanced-search.png"},
        {ID_EDITION_ZH, QT_TR_NOOP("中文法规"), "edition-zh.png"},
        {ID_EDITION_EN, QT_TR_NOOP("英文法规"), "edition-en.png"},
        {ID_SMART_UPDATE, QT_TR_NOOP("智能升级"), "update.png"},
        {ID_UPDATE_STOP, QT_TR_NOOP("停止"), "stop.png"},
        {ID_HELP_CONTENTS, QT_TR_NOOP("帮助"), "help.png"},
    };
    for (const auto& button : buttons) {
        QAction* action = Action(button.id);
        action->setIcon(LargeIcon(button.icon));
        // The button's text; the menu keeps the action's own text.
        action->setIconText(tr(button.text));
        m_pLargeToolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_pLargeToolBar);
    addToolBar(Qt::TopToolBarArea, m_pReader->CreateToolBar());

    QAction* toggle = Action(ID_VIEW_TOOLBAR);
    connect(toggle, &QAction::toggled, m_pLargeToolBar, &QToolBar::setVisible);
    connect(m_pLargeToolBar, &QToolBar::visibilityChanged, toggle,
            [this, toggle](bool) { toggle->setChecked(!m_pLargeToolBar->isHidden()); });
    return true;
}

bool CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar%1").arg(AFX_IDW_STATUS_BAR));
    m_pReady = new QLabel(QStringLiteral("Ready"), bar);
    bar->addWidget(m_pReady, 1);
    QAction* toggle = Action(ID_VIEW_STATUS_BAR);
    connect(toggle, &QAction::toggled, bar, &QStatusBar::setVisible);
    return true;
}

QString CMainFrame::GetStatusText() const {
    const QString message = statusBar()->currentMessage();
    return message.isEmpty() ? m_pReady->text() : message;
}

void CMainFrame::UpdateCommandStates() {
    const bool downloading = m_bDownloading.load() != 0;
    Action(ID_SMART_UPDATE)->setEnabled(!downloading);
    CReadOnlyNotice::Apply(*this);
    Action(ID_UPDATE_STOP)->setEnabled(downloading && m_bStopRequested.load() == 0);
    Action(ID_FILE_OPEN)->setEnabled(!downloading && !m_pCollections->IsBusy());

    const int edition = theEditionConfig.GetEdition();
    Action(ID_EDITION_ZH)->setChecked(edition == 0);
    Action(ID_EDITION_EN)->setChecked(edition == 1);

    const bool haveList = m_pListView != nullptr;
    for (int id : std::initializer_list<int>{ID_VIEW_LARGEICON, ID_VIEW_SMALLICON, ID_VIEW_LIST,
                                             ID_VIEW_DETAILS, ID_VIEW_BYNAME})
        Action(id)->setEnabled(haveList);
    if (haveList) {
        const CTolvarinView::Style style = m_pListView->GetStyle();
        Action(ID_VIEW_LARGEICON)->setChecked(style == CTolvarinView::Style::LargeIcon);
        Action(ID_VIEW_SMALLICON)->setChecked(style == CTolvarinView::Style::SmallIcon);
        Action(ID_VIEW_LIST)->setChecked(style == CTolvarinView::Style::List);
        Action(ID_VIEW_DETAILS)->setChecked(style == CTolvarinView::Style::Report);
        Action(ID_VIEW_LINEUP)
            ->setEnabled(style == CTolvarinView::Style::LargeIcon ||
                         style == CTolvarinView::Style::SmallIcon);
    } else {
        Action(ID_VIEW_LINEUP)->setEnabled(false);
    }

    Action(ID_VIEW_TOOLBAR)->setChecked(m_pLargeToolBar && !m_pLargeToolBar->isHidden());
    Action(ID_VIEW_STATUS_BAR)->setChecked(!statusBar()->isHidden());

    const bool lawSelection = m_pLawView && m_pLawView->textCursor().hasSelection();
    const bool listSelection = haveList && m_pListView->HasSelection();
    Action(ID_EDIT_COPY)->setEnabled(lawSelection || listSelection);
    if (m_pReader)
        m_pReader->UpdateCommandStates();
}
