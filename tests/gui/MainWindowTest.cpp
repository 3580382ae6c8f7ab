#include "GuiTestUtil.h"
#include "TestDatabase.h"

#include "app/CommandIds.h"
#include "app/EditionConfig.h"
#include "app/FrameMessageTarget.h"
#include "app/MainFrame.h"
#include "app/MessageService.h"
#include "app/TolvarinApp.h"
#include "app/TolvarinDoc.h"
#include "browse/LawListModel.h"
#include "browse/LeftView.h"
#include "browse/ListQueryJob.h"
#include "browse/TolvarinView.h"
#include "display/ShowLawView.h"

#include <QAction>
#include <QLabel>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

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
    const int l2 = db.AddLaw(0, "甲一法", "2010-05-05 00:00:00", "二号", "国务院", "第一条\n第二条");
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

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        theEditionConfig = CEditionConfig();
        QSettings().clear();
    }
    void TearDown() override {
        m_app.reset();
        EXPECT_TRUE(WaitForListQueriesIdle(std::chrono::seconds(30)));
        CloseListQueryConnection();
        theEditionConfig = CEditionConfig();
    }

    // Starts the program in the current directory and waits for the first listing.
    CMainFrame* Start() {
        m_app = std::make_unique<CTolvarinApp>();
        EXPECT_TRUE(m_app->InitInstance({QStringLiteral("tolvarin")}));
        CMainFrame* frame = m_app->GetMainFrame();
        EXPECT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
        EXPECT_TRUE(WaitFor([&] { return frame->GetLawView()->HasDocument(); }));
        return frame;
    }

    void Select(CMainFrame* frame, const QString& text) {
        QTreeWidget* tree = frame->GetLeftView()->GetCurrentTree();
        QTreeWidgetItem* item = FindItem(tree, text);
        ASSERT_NE(item, nullptr) << text.toStdString();
        tree->setCurrentItem(item);
        ASSERT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
    }

    CMessageRecorder m_messages;
    std::unique_ptr<CTolvarinApp> m_app;
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
    EXPECT_FALSE(frame->Action(ID_FILE_OPEN)->isEnabled());
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
