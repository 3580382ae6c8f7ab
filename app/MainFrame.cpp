#include "app/MainFrame.h"

#include "app/AccessibleNames.h"
#include "app/ArticleCommands.h"
#include "app/CollectionController.h"
#include "app/DialogHelp.h"
#include "app/FrameMessageEvent.h"
#include "app/LawPageCommands.h"
#include "app/TolvarinDoc.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"
#include "ground/FrameMessageTarget.h"
#include "reader/gui/Reader.h"
#include "search/gui/SearchBox.h"
#include "ui/AppIcon.h"
#include "ui/SplashWnd.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace {

// Queues the numbered messages of worker threads to the frame.
class CFramePoster final : public CFrameMessageTarget {
public:
    explicit CFramePoster(QObject* frame) : m_pFrame(frame) {}
    void Post(unsigned message, std::intptr_t wParam, std::intptr_t lParam) override {
        QCoreApplication::postEvent(m_pFrame, new CFrameMessageEvent(message, wParam, lParam));
    }

private:
    QObject* m_pFrame;
};

constexpr int kTreeWidth = 200;
constexpr int kListHeight = 200;

} // namespace

CMainFrame::CMainFrame(CTolvarinDoc* doc, QWidget* parent)
    : QMainWindow(parent), m_pStopEvent(nullptr), m_pDoc(doc),
      m_stopEvent(std::make_unique<CSyncEvent>(true)) {
    m_pStopEvent = m_stopEvent.get();
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(AppIcon());
    if (m_pDoc)
        m_pDoc->SetFrame(this);
}

CMainFrame::~CMainFrame() {
    SetMainWindowTarget(nullptr);
    if (m_pDoc && m_pDoc->GetFrame() == this)
        m_pDoc->SetFrame(nullptr);
}

bool CMainFrame::Create() {
    // The splash screen is shown over the frame here, before the bars and panes are made.
    CSplashWnd::ShowSplashScreen(this);

    m_pTarget = std::make_unique<CFramePoster>(this);
    SetMainWindowTarget(m_pTarget.get());
    ResetListQueryClose();

    m_pReader = new CReader(this);
    m_pCollections = new CCollectionController(this);
    CreateActions();
    CreateMenus();
    if (!CreateToolBars() || !CreateStatusBar() || !CreateClient())
        return false;
    menuBar()->setCornerWidget(new CSearchBox(this, this), Qt::TopRightCorner);
    new CLawPageCommands(this);
    m_pArticleCommands = new CArticleCommands(this);
    new CDialogHelp(this);
    // The 条文 box and the zoom buttons share the first row with the small tool bar, which
    // leaves it mostly free: beside the large tool bar, whose texts are longer in English,
    // they would be pushed into the bar's overflow.
    if (auto* outline = findChild<QToolBar*>(QStringLiteral("LawOutlineBar"))) {
        removeToolBarBreak(m_pLargeToolBar);
        insertToolBar(m_pLargeToolBar, outline);
        insertToolBarBreak(m_pLargeToolBar);
    }

    CAccessibleNames::Apply(this);

    m_pIdleTimer = new QTimer(this);
    m_pIdleTimer->setInterval(200);
    connect(m_pIdleTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandStates);
    m_pIdleTimer->start();
    UpdateCommandStates();
    return true;
}

bool CMainFrame::CreateClient() {
    m_pOuterSplitter = new QSplitter(Qt::Horizontal, this);
    m_pOuterSplitter->setObjectName(QStringLiteral("OuterSplitter"));
    m_pInnerSplitter = new QSplitter(Qt::Vertical, m_pOuterSplitter);
    m_pInnerSplitter->setObjectName(QStringLiteral("InnerSplitter"));

    m_pListView = new CTolvarinView(m_pDoc, this, m_pInnerSplitter);
    m_pLawView = new CShowLawView(m_pDoc, m_pInnerSplitter);
    m_pInnerSplitter->addWidget(m_pListView);
    m_pInnerSplitter->addWidget(m_pLawView);

    m_pLeftView = new CLeftView(m_pDoc, this, m_pOuterSplitter);
    m_pOuterSplitter->insertWidget(0, m_pLeftView);
    m_pLeftView->OnCreate();

    m_pOuterSplitter->setStretchFactor(0, 0);
    m_pOuterSplitter->setStretchFactor(1, 1);
    m_pInnerSplitter->setStretchFactor(0, 0);
    m_pInnerSplitter->setStretchFactor(1, 1);
    m_pOuterSplitter->setSizes({kTreeWidth, 800});
    m_pInnerSplitter->setSizes({kListHeight, 400});
    for (QSplitter* splitter : {m_pOuterSplitter, m_pInnerSplitter}) {
        // Dragging a bar shows a tracking line; the panes follow when it is released.
        splitter->setOpaqueResize(false);
        splitter->setChildrenCollapsible(false);
    }
    setCentralWidget(m_pOuterSplitter);
    return true;
}

void CMainFrame::InitialUpdate() {
    if (m_pListView)
        m_pListView->OnInitialUpdate();
    if (m_pLawView)
        m_pLawView->OnInitialUpdate();
    if (m_pLeftView)
        m_pLeftView->GetCurrentTree()->setFocus();
}

void CMainFrame::ShowLaw(int lawid, bool atFirstSearchWord) {
    if (!m_pLawView)
        return;
    const int leavingScroll = m_pLawView->verticalScrollBar()->value();
    if (!m_pLawView->ShowLaw(lawid, atFirstSearchWord))
        return;
    if (m_pReader)
        m_pReader->OnLawShown(lawid, leavingScroll);
    if (m_pListView)
        m_pListView->SelectLaw(lawid);
}

QWidget* CMainFrame::GetLawPage() const {
    return m_pLawView;
}

void CMainFrame::ShowCurrentLaw() {
    ShowLaw(theEditionConfig.GetCurLawId());
}

bool CMainFrame::PostMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {
    return PostFrameMessage(message, wParam, lParam);
}
