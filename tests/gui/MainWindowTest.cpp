#include "TestDatabase.h"
#include "WindowTest.h"

#include "app/CollectionController.h"
#include "app/MainFrame.h"
#include "app/ReadOnlyNotice.h"
#include "app/TolvarinApp.h"
#include "app/TolvarinDoc.h"
#include "app/WelcomePage.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LawListModel.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/FrameMessageTarget.h"
#include "ground/MessageService.h"
#include "tests/core/FaultVfs.h"

#include <QTableView>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

constexpr int kCatA = 0x2000000;
constexpr int kCatA1 = kCatA + 0x80000;
constexpr int kCatB = 0x4000000;

// A small collection: categories A (with A1) and B in Chinese, one English category.
void FillSmallCollection(CTestDatabase& db) {
    db.AddCategory(0, kCatA, 0, "甲类", 2, 1);
    db.AddCategory(0, kCatA1, kCatA, "甲一", 1, 0);
    db.AddCategory(0, kCatB, 0, "乙类", 1, 0);
    db.AddCategory(1, kCatA, 0, "Civil", 1, 0);
    const int l1 = db.AddLaw(0, "甲法", "2001-01-01 00:00:00", "一号", "人大", "甲法正文");
    const int l2 =
        db.AddLaw(0, "甲一法", "2010-05-05 00:00:00", "二号", "国务院", "第一条\n第二条");
    const int l3 = db.AddLaw(0, "乙法", "1999-09-09 00:00:00", "三号", "部委", "乙");
    db.Link(0, l1, kCatA);
    db.Link(0, l2, kCatA1);
    db.Link(0, l2, kCatA); // filed twice within A's subtree: listed once
    db.Link(0, l3, kCatB);
    const int e1 = db.AddLaw(1, "Civil Code", "2005-03-03 00:00:00", "No. 1", "NPC", "Text");
    db.Link(1, e1, kCatA);
}

std::vector<std::string> Topics(CTolvarinView* list) {
    std::vector<std::string> topics;
    for (int i = 0; i < list->GetRowCount(); ++i)
        topics.push_back(list->GetRow(i).m_strTopic);
    return topics;
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& text) {
    const auto items = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return items.isEmpty() ? nullptr : items.front();
}

class MainWindowTest : public CWindowTest {
protected:
    CMainFrame* Start() { return StartWithPage(); }

    void Select(CMainFrame* frame, const QString& text) {
        QTreeWidget* tree = frame->GetLeftView()->GetCurrentTree();
        QTreeWidgetItem* item = FindItem(tree, text);
        ASSERT_NE(item, nullptr) << text.toStdString();
        tree->setCurrentItem(item);
        ASSERT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
    }
};

} // namespace

TEST_F(MainWindowTest, StartsOnTheCollection) {
    CTestDatabase db;
    FillSmallCollection(db);
    CMainFrame* frame = Start();
    EXPECT_EQ(frame->windowTitle(), "Tolvarin");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(theEditionConfig.GetEdition(), 0);

    CLeftView* left = frame->GetLeftView();
    EXPECT_EQ(left->GetCaption()->text(), "目录");
    QTreeWidget* zh = left->GetTree(0);
    EXPECT_EQ(left->GetCurrentTree(), zh);
    ASSERT_EQ(zh->topLevelItemCount(), 1);
    QTreeWidgetItem* root = zh->topLevelItem(0);
    EXPECT_EQ(root->text(0), "Tolvarin（中文）");
    EXPECT_TRUE(root->font(0).bold());
    EXPECT_TRUE(root->isSelected());
    EXPECT_TRUE(root->isExpanded());
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "甲类"); // descending xh
    EXPECT_EQ(root->child(0)->childCount(), 1);
    EXPECT_EQ(root->child(1)->text(0), "乙类");
    QTreeWidget* en = left->GetTree(1);
    ASSERT_EQ(en->topLevelItemCount(), 1);
    EXPECT_EQ(en->topLevelItem(0)->text(0), "Tolvarin（英文）");
    EXPECT_EQ(en->topLevelItem(0)->childCount(), 1);

    // All Chinese laws, newest first, with the date part only.
    CTolvarinView* list = frame->GetListView();
    EXPECT_EQ(Topics(list), (std::vector<std::string>{"甲一法", "甲法", "乙法"}));
    EXPECT_EQ(list->GetRow(0).m_strDatum, "2010-05-05");
    EXPECT_EQ(list->GetSortColumn(), 2);
    EXPECT_FALSE(list->IsSortAscending());
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(MainWindowTest, LayoutBarsAndCommands) {
    CTestDatabase db;
    CMainFrame* frame = Start();
    auto* outer = qobject_cast<QSplitter*>(frame->centralWidget());
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->sizes().front(), 200);
    EXPECT_FALSE(outer->opaqueResize());
    auto* inner = qobject_cast<QSplitter*>(outer->widget(1));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->sizes().front(), 200);
    EXPECT_FALSE(inner->opaqueResize());
    EXPECT_EQ(frame->GetStatusText(), "Ready");

    EXPECT_FALSE(frame->Action(ID_FILE_NEW)->isEnabled());
    EXPECT_TRUE(frame->Action(ID_FILE_OPEN)->isEnabled());
    EXPECT_EQ(frame->Action(ID_FILE_PRINT)->text(), "打印...\tCtrl+P");
    EXPECT_EQ(frame->Action(ID_FILE_PRINT)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(frame->Action(ID_FILE_PRINT)->statusTip(), "打印当前法规");
    EXPECT_EQ(frame->Action(ID_FILE_PRINT)->toolTip(), "打印");
    EXPECT_EQ(frame->Action(ID_NEXT_PANE)->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(frame->Action(ID_SMART_UPDATE)->iconText(), "智能升级");
    EXPECT_EQ(frame->Action(ID_SMART_UPDATE)->text(), "智能更新");

    // Editions: the Chinese button pressed; stop disabled while no update runs.
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_EDITION_ZH)->isChecked());
    EXPECT_FALSE(frame->Action(ID_EDITION_EN)->isChecked());
    EXPECT_TRUE(frame->Action(ID_SMART_UPDATE)->isEnabled());
    EXPECT_FALSE(frame->Action(ID_UPDATE_STOP)->isEnabled());
    frame->m_bDownloading = 1;
    frame->UpdateCommandStates();
    EXPECT_FALSE(frame->Action(ID_SMART_UPDATE)->isEnabled());
    EXPECT_TRUE(frame->ExecuteCommand(ID_UPDATE_STOP));
    EXPECT_TRUE(frame->m_pStopEvent->IsSet());
    EXPECT_EQ(frame->m_bStopRequested.load(), 1);
    EXPECT_FALSE(frame->Action(ID_UPDATE_STOP)->isEnabled());
    frame->m_bDownloading = 0;
    frame->m_bStopRequested = 0;
    frame->m_pStopEvent->Reset();

    // View styles: details checked; line up only in the icon styles.
    EXPECT_TRUE(frame->Action(ID_VIEW_DETAILS)->isChecked());
    EXPECT_FALSE(frame->Action(ID_VIEW_LINEUP)->isEnabled());
    EXPECT_TRUE(frame->ExecuteCommand(ID_VIEW_LARGEICON));
    EXPECT_EQ(frame->GetListView()->GetStyle(), CTolvarinView::Style::LargeIcon);
    EXPECT_TRUE(frame->Action(ID_VIEW_LARGEICON)->isChecked());
    EXPECT_TRUE(frame->Action(ID_VIEW_LINEUP)->isEnabled());
    EXPECT_TRUE(frame->ExecuteCommand(ID_VIEW_LIST));
    EXPECT_FALSE(frame->Action(ID_VIEW_LINEUP)->isEnabled());
    EXPECT_TRUE(frame->ExecuteCommand(ID_VIEW_DETAILS));
    EXPECT_EQ(frame->GetListView()->GetStyle(), CTolvarinView::Style::Report);
}

TEST_F(MainWindowTest, WithoutDatabaseTheWindowOpensOnTheWelcomePage) {
    CTestDatabase dir(false);
    CMainFrame* frame = Start();
    EXPECT_TRUE(frame->isVisible());
    // No connection is tried, so no box; the law pane says where it looked and what to do.
    EXPECT_TRUE(m_messages.Messages().empty());
    CWelcomePage* welcome = frame->GetCollections()->GetWelcomePage();
    ASSERT_NE(welcome, nullptr);
    EXPECT_TRUE(welcome->isVisible());
    EXPECT_FALSE(frame->GetLawView()->isVisible());
    const QString page = welcome->toPlainText();
    EXPECT_TRUE(page.contains(QString::fromStdString(dir.Dir() + "/db1.mdb")))
        << page.toStdString();
    // The page has the whole right side, the actions first, the paths in the details below.
    EXPECT_FALSE(frame->GetListView()->isVisible());
    const qsizetype details = page.indexOf(QStringLiteral("详细信息"));
    ASSERT_NE(details, -1) << page.toStdString();
    for (const char* offer : {"打开法规库", "用随附的法规建立法规库", "用智能更新下载法规库"}) {
        const qsizetype at = page.indexOf(QString::fromUtf8(offer));
        EXPECT_NE(at, -1) << offer;
        EXPECT_LT(at, details) << offer;
    }
    EXPECT_GT(page.indexOf(QString::fromStdString(dir.Dir() + "/db1.mdb")), details);
    EXPECT_TRUE(frame->Action(ID_FILE_OPEN)->isEnabled());
    for (int edition : {0, 1}) {
        QTreeWidget* tree = frame->GetLeftView()->GetTree(edition);
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        EXPECT_EQ(tree->topLevelItem(0)->childCount(), 0);
    }
    CTolvarinView* list = frame->GetListView();
    ASSERT_EQ(list->GetRowCount(), 1);
    EXPECT_EQ(list->GetRow(0).m_strTopic, "没有发现记录");
    EXPECT_EQ(list->GetRow(0).m_nLawId, 0);
    EXPECT_TRUE(m_messages.Messages().empty());
    // Nothing was created in the directory.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.Dir() + "/db1.mdb")));
}

TEST_F(MainWindowTest, SwitchingEditionsKeepsEachEditionsCategory) {
    CTestDatabase db;
    FillSmallCollection(db);
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    Select(frame, "乙类");
    EXPECT_EQ(Topics(list), std::vector<std::string>{"乙法"});
    EXPECT_EQ(theEditionConfig.GetCurTreeId(), kCatB);

    // The English edition lists all its laws the first time.
    ASSERT_TRUE(frame->ExecuteCommand(ID_EDITION_EN));
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    EXPECT_EQ(frame->GetLeftView()->GetCurrentTree(), frame->GetLeftView()->GetTree(1));
    EXPECT_EQ(Topics(list), std::vector<std::string>{"Civil Code"});
    EXPECT_TRUE(frame->Action(ID_EDITION_EN)->isChecked());
    EXPECT_FALSE(frame->Action(ID_EDITION_ZH)->isChecked());

    // Back to Chinese: its category again.
    ASSERT_TRUE(frame->ExecuteCommand(ID_EDITION_ZH));
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    EXPECT_EQ(Topics(list), std::vector<std::string>{"乙法"});
    EXPECT_TRUE(FindItem(frame->GetLeftView()->GetCurrentTree(), "乙类")->isSelected());

    // Pressing the current edition again changes nothing, not even the list.
    list->ClearRows();
    ASSERT_TRUE(frame->ExecuteCommand(ID_EDITION_ZH));
    EXPECT_FALSE(list->IsListing());
    EXPECT_EQ(list->GetRowCount(), 0);
}

TEST_F(MainWindowTest, ProgressMessagesAndTheUpdateEnd) {
    CTestDatabase db;
    FillSmallCollection(db);
    CMainFrame* frame = Start();
    const struct {
        unsigned message;
        const char* text;
    } cases[] = {
        {WM_TREE_PROGRESS, "正在下载目录信息 ... ( 5/20 )"},
        {WM_LAW_PROGRESS, "正在下载法规信息 ... ( 5/20 )"},
        {WM_LINK_PROGRESS, "正在下载分类信息 ... ( 5/20 )"},
    };
    for (const auto& c : cases) {
        // Posted from another thread, as the update's workers do.
        std::thread([&] { EXPECT_TRUE(CMainFrame::PostMessage(c.message, 20, 5)); }).join();
        ASSERT_TRUE(WaitFor([&] { return frame->GetStatusText() == QString::fromUtf8(c.text); }))
            << c.text << " got " << frame->GetStatusText().toStdString();
    }

    // The update end refills both trees, keeps the user's edition and clears the run's state.
    ASSERT_TRUE(frame->ExecuteCommand(ID_EDITION_EN));
    db.AddCategory(0, 0x6000000, 0, "新类", 0, 0);
    db.AddCategory(1, 0x4000000, 0, "Criminal", 0, 0);
    frame->m_bDownloading = 1;
    frame->m_bStopRequested = 1;
    frame->m_pStopEvent->Set();
    ASSERT_TRUE(CMainFrame::PostMessage(WM_UPDATE_FINISHED, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return frame->m_bDownloading.load() == 0; }));
    EXPECT_EQ(frame->GetStatusText(), "下载完成！ ");
    EXPECT_EQ(frame->m_bStopRequested.load(), 0);
    EXPECT_FALSE(frame->m_pStopEvent->IsSet());
    EXPECT_EQ(theEditionConfig.GetEdition(), 1);
    EXPECT_EQ(frame->GetLeftView()->GetCurrentTree(), frame->GetLeftView()->GetTree(1));
    EXPECT_EQ(frame->GetLeftView()->GetTree(0)->topLevelItem(0)->childCount(), 3);
    EXPECT_EQ(frame->GetLeftView()->GetTree(1)->topLevelItem(0)->childCount(), 2);
    const auto boxes = m_messages.Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "下载完成!");
}

TEST_F(MainWindowTest, CloseIsRefusedWhileDownloading) {
    CTestDatabase db;
    CMainFrame* frame = Start();
    frame->m_bDownloading = 1;
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    const auto boxes = m_messages.Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "正在下载中，请终止后再退出...");
    frame->m_bDownloading = 0;
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(MainWindowTest, CloseDuringAListingClosesWhenItHasStopped) {
    CTestDatabase db;
    db.Begin();
    for (int i = 0; i < 60000; ++i)
        db.AddLaw(0, "law " + std::to_string(i), "2001-01-01 00:00:00");
    db.Commit();
    CMainFrame* frame = Start();
    bool closed = false;
    QObject::connect(frame, &CMainFrame::frameClosed, [&] { closed = true; });
    frame->GetListView()->ShowCategory(0);
    EXPECT_GE(GetListQueryJobCount(), 1);
    frame->close();
    // No second action: the worker stops and the window closes by itself.
    ASSERT_TRUE(WaitFor([&] { return closed; }));
    EXPECT_FALSE(frame->isVisible());
    EXPECT_LT(frame->GetListView()->GetRowCount(), 60000);
}

TEST_F(MainWindowTest, PlacementAndBarsAreRestored) {
    CTestDatabase db;
    {
        CMainFrame* frame = Start();
        frame->setGeometry(40, 50, 777, 555);
        ASSERT_TRUE(frame->ExecuteCommand(ID_VIEW_TOOLBAR)); // hides the large toolbar
        ASSERT_TRUE(frame->ExecuteCommand(ID_VIEW_STATUS_BAR));
        frame->m_bDownloading = 1; // a refused close saves too
        frame->close();
        ASSERT_TRUE(frame->isVisible());
        frame->m_bDownloading = 0;
        m_app.reset();
        WaitForListQueriesIdle(std::chrono::seconds(30));
    }
    CMainFrame* frame = Start();
    EXPECT_EQ(frame->size(), QSize(777, 555));
    auto* large = frame->findChild<QToolBar*>(QStringLiteral("ToolBar59392"));
    ASSERT_NE(large, nullptr);
    EXPECT_TRUE(large->isHidden());
    EXPECT_TRUE(frame->statusBar()->isHidden());
    frame->UpdateCommandStates();
    EXPECT_FALSE(frame->Action(ID_VIEW_TOOLBAR)->isChecked());
    EXPECT_FALSE(frame->Action(ID_VIEW_STATUS_BAR)->isChecked());
}

TEST_F(MainWindowTest, F6MovesBetweenThePanesAndCopyTakesTheFocusedPane) {
    CTestDatabase db;
    FillSmallCollection(db);
    CMainFrame* frame = Start();
    frame->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == frame; }, 5000));
    QWidget* tree = frame->GetLeftView()->GetCurrentTree();
    QWidget* list = frame->GetListView()->GetFocusWidget();
    QWidget* law = frame->GetLawView();
    tree->setFocus();
    ASSERT_TRUE(WaitFor([&] { return tree->hasFocus(); }, 5000));
    for (QWidget* expected : {list, law, tree}) {
        frame->OnNextPane(true);
        EXPECT_TRUE(expected->hasFocus());
    }
    frame->OnNextPane(false);
    EXPECT_TRUE(law->hasFocus());

    // With the list focused and a row selected, copy takes the row.
    frame->GetListView()->GetTable()->selectRow(0);
    list->setFocus();
    frame->UpdateCommandStates();
    ASSERT_TRUE(frame->Action(ID_EDIT_COPY)->isEnabled());
    EXPECT_TRUE(frame->ExecuteCommand(ID_EDIT_COPY));
    EXPECT_EQ(QApplication::clipboard()->text(), "甲一法\t2010-05-05\t二号\t国务院\n");
}

TEST_F(MainWindowTest, CollectionOnAReadOnlyMediumIsBrowsedButNotUpdated) {
    CTestDatabase db;
    FillSmallCollection(db);
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    // Nothing can be written there, the log's -shm file included: before, three boxes
    // "unable to open database file" and an empty window.
    CFaultVfs medium(db.Dir());
    medium.SetReadOnlyMedium(true);
    CMainFrame* frame = Start();
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_EQ(frame->GetLeftView()->GetTree(0)->topLevelItem(0)->childCount(), 2);
    CTolvarinView* list = frame->GetListView();
    EXPECT_EQ(Topics(list), (std::vector<std::string>{"甲一法", "甲法", "乙法"}));
    Select(frame, QStringLiteral("甲类"));
    EXPECT_EQ(Topics(list), (std::vector<std::string>{"甲一法", "甲法"}));

    // The update is off, and says why: in its tip, in the status bar, and in a box if it is
    // started all the same.
    const QString reason = CReadOnlyNotice::Reason();
    frame->UpdateCommandStates();
    QAction* update = frame->Action(ID_SMART_UPDATE);
    EXPECT_FALSE(update->isEnabled());
    EXPECT_EQ(update->statusTip(), reason);
    const auto marks = frame->statusBar()->findChildren<QLabel*>(QStringLiteral("readOnlyMark"));
    ASSERT_EQ(marks.size(), 1);
    EXPECT_EQ(marks[0]->toolTip(), reason);
    frame->ExecuteCommand(ID_SMART_UPDATE);
    EXPECT_TRUE(m_messages.Messages().empty());
    frame->GetDocument()->OnSmartUpdate();
    EXPECT_EQ(frame->m_bDownloading.load(), 0);
    const auto boxes = m_messages.Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, CReadOnlyNotice::Reason().toStdString());
    // Every connection through the medium closes before it goes.
    m_app.reset();
    EXPECT_TRUE(WaitForListQueriesIdle(std::chrono::seconds(30)));
    CloseListQueryConnection();
}

TEST_F(MainWindowTest, WritableCollectionKeepsTheUpdate) {
    CTestDatabase db;
    FillSmallCollection(db);
    CMainFrame* frame = Start();
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_SMART_UPDATE)->isEnabled());
    EXPECT_TRUE(
        frame->statusBar()->findChildren<QLabel*>(QStringLiteral("readOnlyMark")).isEmpty());
}
