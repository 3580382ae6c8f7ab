#include "app/ArticleCommands.h"

#include "app/MainFrame.h"
#include "app/TolvarinDoc.h"
#include "display/gui/ShowLawView.h"
#include "display/gui/VersionCompareDlg.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "reader/gui/Reader.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

CArticleCommands::CArticleCommands(CMainFrame* frame) : QObject(frame), m_pFrame(frame) {
    CShowLawView* view = frame->GetLawView();
    m_pCopy = new QAction(tr("复制条文"), frame);
    m_pCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_pCopy->setShortcutContext(Qt::WindowShortcut);
    m_pCopy->setStatusTip(
        tr("复制光标所在的条文和它的出处，如《中华人民共和国刑法》第二百三十二条"));
    m_pCompare = new QAction(tr("版本对照..."), frame);
    m_pCompare->setStatusTip(tr("把显示的法规与它的其他版本逐条对照"));
    frame->addAction(m_pCopy);
    frame->addAction(m_pCompare);
    connect(m_pCopy, &QAction::triggered, this, [this] { CopyArticle(); });
    connect(m_pCompare, &QAction::triggered, this, [this] { CompareShown(); });

    // In the search menu, found by its find command in either interface language.
    QAction* find = frame->Action(ID_FIND_IN_TEXT);
    for (QAction* item : frame->menuBar()->actions())
        if (item->menu() && find && item->menu()->actions().contains(find)) {
            item->menu()->addSeparator();
            item->menu()->addAction(m_pCopy);
            if (QAction* favourite = frame->Action(ID_FAVOURITE_ARTICLE))
                item->menu()->addAction(favourite);
            item->menu()->addAction(m_pCompare);
            break;
        }

    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, &CArticleCommands::ShowContextMenu);
    connect(view, &CShowLawView::versionRequested, this, [this](int lawid) {
        if (CReader* reader = m_pFrame->GetReader())
            reader->OpenLawId(lawid);
    });
    connect(view, &CShowLawView::compareRequested, this,
            [this](int older, int newer) { Compare(older, newer); });
}

void CArticleCommands::ShowContextMenu(const QPoint& pos) {
    CShowLawView* view = m_pFrame->GetLawView();
    // A right click outside the selection puts the caret where it was made.
    const QTextCursor clicked = view->cursorForPosition(pos);
    const QTextCursor cursor = view->textCursor();
    if (!cursor.hasSelection() || clicked.position() < cursor.selectionStart() ||
        clicked.position() > cursor.selectionEnd())
        view->setTextCursor(clicked);
    QMenu* menu = view->createStandardContextMenu(pos);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    const bool inArticle = !view->ArticleCitation().empty();
    m_pCopy->setEnabled(inArticle);
    menu->addAction(m_pCopy);
    if (QAction* favourite = m_pFrame->Action(ID_FAVOURITE_ARTICLE)) {
        favourite->setEnabled(inArticle);
        menu->addAction(favourite);
    }
    m_pCompare->setEnabled(!view->GetShownVersions().empty());
    menu->addAction(m_pCompare);
    connect(menu, &QMenu::aboutToHide, this, [this] {
        m_pCopy->setEnabled(true);
        m_pCompare->setEnabled(true);
        if (QAction* favourite = m_pFrame->Action(ID_FAVOURITE_ARTICLE))
            favourite->setEnabled(true);
    });
    menu->popup(view->viewport()->mapToGlobal(pos));
}

bool CArticleCommands::CopyArticle() {
    std::string heading;
    const std::string citation = m_pFrame->GetLawView()->ArticleCitation(&heading);
    if (citation.empty()) {
        m_pFrame->statusBar()->showMessage(tr("光标不在条文中"));
        return false;
    }
    QApplication::clipboard()->setText(QString::fromStdString(citation));
    m_pFrame->statusBar()->showMessage(
        tr("已复制%1").arg(QString::fromStdString(citation.substr(0, citation.find('\n')))));
    return true;
}

CVersionCompareDlg* CArticleCommands::Compare(int olderLawId, int newerLawId) {
    CTolvarinDoc* doc = m_pFrame->GetDocument();
    if (!doc || !doc->ConnectDatabase())
        return nullptr;
    auto* dialog = new CVersionCompareDlg(doc->GetDatabase(), theEditionConfig.GetLawTable(),
                                          olderLawId, newerLawId, m_pFrame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    if (!dialog->IsValid())
        m_pFrame->statusBar()->showMessage(tr("无法读取要对照的版本"));
    return dialog;
}

CVersionCompareDlg* CArticleCommands::CompareShown() {
    CShowLawView* view = m_pFrame->GetLawView();
    const std::vector<CLawVersion>& versions = view->GetShownVersions();
    const int shown = view->GetShownLawId();
    if (versions.size() < 2 || shown == 0) {
        m_pFrame->statusBar()->showMessage(tr("显示的法规只有一个版本"));
        return nullptr;
    }
    if (versions.front().m_nLawId == shown)
        return Compare(versions[1].m_nLawId, shown);
    return Compare(shown, versions.front().m_nLawId);
}
