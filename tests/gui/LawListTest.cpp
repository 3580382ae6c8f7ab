#include "TestDatabase.h"
#include "WindowTest.h"

#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LawListModel.h"
#include "browse/gui/LawTitleDelegate.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "data/SearchIndex.h"
#include "data/SqlSelect.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "search/SearchComposer.h"
#include "tests/core/PageDamage.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QListView>
#include <QSettings>
#include <QTableView>
#include <QTreeWidget>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

constexpr int kCatA = 0x2000000;
constexpr int kCatA1 = kCatA + 0x80000;
constexpr int kCatA1x = kCatA1 + 0x2000;
constexpr int kCatB = 0x4000000;

class LawListTest : public CWindowTest {
protected:
    CMainFrame* Start() { return StartWithPage(); }
    void SelectId(CMainFrame* frame, int id) {
        QTreeWidget* tree = frame->GetLeftView()->GetCurrentTree();
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toInt() == id) {
                tree->setCurrentItem(*it);
                return;
            }
        FAIL() << "no category " << id;
    }
};

// The advanced search with words for the law text only, everywhere.
void SearchBody(CTolvarinView* list, const std::string& words) {
    CSqlSelect builder;
    CAdvancedSearchValues values;
    values.m_nScope = CSearchComposer::kScopeAll;
    CSearchComposer::FromEdition(theEditionConfig).ComposeAdvancedSearch(builder, values);
    list->SearchBody(builder, words);
}

std::multiset<std::string> TopicSet(CTolvarinView* list) {
    std::multiset<std::string> topics;
    for (int i = 0; i < list->GetRowCount(); ++i)
        topics.insert(list->GetRow(i).m_strTopic);
    return topics;
}

} // namespace

TEST_F(LawListTest, CategoryListsExactlyItsSubtreeOnce) {
    CTestDatabase db;
    db.AddCategory(0, kCatA, 0, "A", 2, 1);
    db.AddCategory(0, kCatA1, kCatA, "A1", 1, 1);
    db.AddCategory(0, kCatA1x, kCatA1, "A1x", 1, 0);
    db.AddCategory(0, kCatB, 0, "B", 1, 0);
    db.AddCategory(0, 0x6000000, 0, "Empty", 0, 0);
    const int a = db.AddLaw(0, "a", "2001-01-01 00:00:00");
    const int a1 = db.AddLaw(0, "a1", "2002-01-01 00:00:00");
    const int a1x = db.AddLaw(0, "a1x", "2003-01-01 00:00:00");
    const int b = db.AddLaw(0, "b", "2004-01-01 00:00:00");
    db.Link(0, a, kCatA);
    db.Link(0, a1, kCatA1);
    db.Link(0, a1x, kCatA1x);
    db.Link(0, a1x, kCatA); // twice in A's subtree
    db.Link(0, b, kCatB);
    db.Link(0, a, kCatB); // also in B
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    const std::map<int, std::multiset<std::string>> expected = {
        {kCatA, {"a", "a1", "a1x"}}, {kCatA1, {"a1", "a1x"}},      {kCatA1x, {"a1x"}},
        {kCatB, {"a", "b"}},         {0, {"a", "a1", "a1x", "b"}},
    };
    for (const auto& [id, topics] : expected) {
        SelectId(frame, id);
        ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
        EXPECT_EQ(TopicSet(list), topics) << id;
        EXPECT_EQ(theEditionConfig.GetCurTreeId(), id);
    }
    // Newest first.
    EXPECT_EQ(list->GetRow(0).m_strTopic, "b");

    // A category without laws: the no-records row, whose click shows nothing.
    theEditionConfig.SetCurLawId(a);
    SelectId(frame, 0x6000000);
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    ASSERT_EQ(list->GetRowCount(), 1);
    EXPECT_EQ(list->GetRow(0).m_strTopic, "没有发现记录");
    list->OnRowClicked(0);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), 0);
}

TEST_F(LawListTest, ASecondSelectionDuringALongListingLeavesOnlyItsRows) {
    CTestDatabase db;
    db.AddCategory(0, kCatA, 0, "A", 2, 0);
    db.AddCategory(0, kCatB, 0, "B", 1, 0);
    db.Begin();
    for (int i = 0; i < 40000; ++i)
        db.Link(0, db.AddLaw(0, "a" + std::to_string(i), "2001-01-01 00:00:00"), kCatA);
    for (int i = 0; i < 20; ++i)
        db.Link(0, db.AddLaw(0, "b" + std::to_string(i), "2002-01-01 00:00:00"), kCatB);
    db.Commit();
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    SelectId(frame, kCatA);
    // Let some of A's rows arrive, then choose B.
    WaitFor([&] { return list->GetRowCount() > 0; }, 5000);
    SelectId(frame, kCatB);
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    Pump(200); // anything A still had queued
    ASSERT_EQ(list->GetRowCount(), 20);
    for (int i = 0; i < list->GetRowCount(); ++i)
        EXPECT_EQ(list->GetRow(i).m_strTopic[0], 'b');
}

TEST_F(LawListTest, ClickShowsTheLawAndHeaderClicksSort) {
    CTestDatabase db;
    db.AddLaw(0, "Beta", "2003-10-01 00:00:00", "W2");
    db.AddLaw(0, "alpha", "2003-09-30 00:00:00", "W1");
    db.AddLaw(0, "Gamma", "1999-12-31 00:00:00", "W3");
    const int undated = db.AddLaw(0, "delta", "", "W0");
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    ASSERT_EQ(list->GetRowCount(), 4);

    auto topics = [&] {
        std::vector<std::string> out;
        for (int i = 0; i < list->GetRowCount(); ++i)
            out.push_back(list->GetRow(i).m_strTopic);
        return out;
    };
    // First click on the date: ascending by date; again: descending.
    list->SortByColumn(2);
    EXPECT_EQ(topics(), (std::vector<std::string>{"delta", "Gamma", "alpha", "Beta"}));
    EXPECT_EQ(list->GetSortColumn(), 2);
    EXPECT_TRUE(list->IsSortAscending());
    list->SortByColumn(2);
    EXPECT_EQ(topics(), (std::vector<std::string>{"Beta", "alpha", "Gamma", "delta"}));
    EXPECT_FALSE(list->IsSortAscending());
    // Another column starts ascending again; text ignores ASCII case.
    list->SortByColumn(1);
    EXPECT_EQ(topics(), (std::vector<std::string>{"alpha", "Beta", "delta", "Gamma"}));
    EXPECT_EQ(list->GetSortColumn(), 1);
    EXPECT_TRUE(list->IsSortAscending());

    // Column widths: the bitmap column is fixed, none narrower than 15.
    QHeaderView* header = list->GetTable()->horizontalHeader();
    EXPECT_EQ(header->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(header->minimumSectionSize(), 15);
    EXPECT_EQ(header->sectionSize(1), 400);
    EXPECT_EQ(header->sectionSize(4), 150);
    EXPECT_EQ(list->GetModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "标题");

    // A click shows the law and remembers it.
    int row = -1;
    for (int i = 0; i < list->GetRowCount(); ++i)
        if (list->GetRow(i).m_nLawId == undated)
            row = i;
    list->OnRowClicked(row);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), undated);
    EXPECT_NE(frame->GetLawView()->toPlainText().indexOf("delta"), -1);

    // Copying the selected rows.
    list->GetTable()->selectRow(row);
    EXPECT_TRUE(list->CopySelection());
    EXPECT_EQ(QApplication::clipboard()->text(), "delta\t\tW0\t\n");
}

TEST(LawListModel, DatesCompareAsDates) {
    EXPECT_LT(CLawListModel::CompareDates("2003-1-5", "2003-10-01"), 0);
    EXPECT_GT(CLawListModel::CompareDates("2003-10-01", "2003-9-30"), 0);
    EXPECT_EQ(CLawListModel::CompareDates("2003-01-05", "2003-1-5"), 0);
    EXPECT_LT(CLawListModel::CompareDates("", "1900-01-01"), 0);
    EXPECT_LT(CLawListModel::CompareDates("garbage", "1900-01-01"), 0);
    EXPECT_LT(CLawListModel::CompareTexts("abc", "ABD"), 0);
    EXPECT_EQ(CLawListModel::CompareTexts("abc", "ABC"), 0);
    // Han characters by pinyin: 阿 (a) before 波 (bo) before 中 (zhong).
    EXPECT_LT(CLawListModel::CompareTexts("阿", "波"), 0);
    EXPECT_LT(CLawListModel::CompareTexts("波", "中"), 0);
}

// What the body search does on the GUI thread while a worker listing still runs: the
// worker's rows never mix into the rows filled synchronously.
TEST_F(LawListTest, SynchronousFillSupersedesARunningListing) {
    CTestDatabase db;
    db.Begin();
    for (int i = 0; i < 40000; ++i)
        db.AddLaw(0, "worker " + std::to_string(i), "2001-01-01 00:00:00");
    db.Commit();
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    list->ShowCategory(0);
    WaitFor([&] { return list->GetRowCount() > 0; }, 5000);
    list->ClearRows();
    EXPECT_FALSE(list->IsListing());
    CLawRow row;
    row.m_nLawId = 7;
    row.m_strTopic = "found";
    list->AppendRows({row});
    ASSERT_TRUE(WaitForListQueriesIdle(std::chrono::seconds(30)));
    Pump(200);
    ASSERT_EQ(list->GetRowCount(), 1);
    EXPECT_EQ(list->GetRow(0).m_strTopic, "found");
    list->ClearRows();
    list->AddNoRecordsRow();
    ASSERT_EQ(list->GetRowCount(), 1);
    EXPECT_EQ(list->GetRow(0).m_strTopic, "没有发现记录");
}

TEST_F(LawListTest, ListingCutShortByADamagedFileSaysSo) {
    CTestDatabase db;
    db.Begin();
    for (int i = 0; i < 3000; ++i)
        db.AddLaw(0, "law " + std::to_string(i), "2001-01-01 00:00:00", "W", "D");
    db.Commit();
    // Garbage over the first page of the index the listing reads: the newest laws come first,
    // then the engine fails at the damaged page.
    DamageLeafPages(db.Dir() + "/db1.mdb", "dornlaws_list", 0.0);
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    EXPECT_GT(list->GetRowCount(), 1);
    EXPECT_LT(list->GetRowCount(), 3000);
    EXPECT_NE(list->GetListingFailure().find("malformed"), std::string::npos);
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("法规列表不完整：读取数据库时出错"));
    const auto boxes = m_messages.Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "读取失败");
    EXPECT_NE(boxes[0].text.find("已读到的 " + std::to_string(list->GetRowCount()) + " 条"),
              std::string::npos)
        << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("可能已经损坏"), std::string::npos) << boxes[0].text;
    // The next listing that succeeds takes the notice away.
    list->RunQuery("select lawid, topic, datum, wenhao, bumen from dornlaws where lawid=1");
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    EXPECT_EQ(list->GetRowCount(), 1);
    EXPECT_EQ(list->GetListingFailure(), "");
    EXPECT_NE(frame->GetStatusText(), QStringLiteral("法规列表不完整：读取数据库时出错"));
    EXPECT_EQ(m_messages.Messages().size(), 1u);
}

// A body search runs on the worker as a listing does: the window stays responsive, its
// rows come window by window in lawid order, and a selection made meanwhile stops it and
// leaves only the selection's rows.
TEST_F(LawListTest, BodySearchRunsOnTheWorkerAndASelectionStopsIt) {
    CTestDatabase db;
    db.AddCategory(0, kCatA, 0, "A", 2, 0);
    db.AddCategory(0, kCatB, 0, "B", 1, 0);
    db.Begin();
    std::vector<int> found;
    for (int i = 0; i < 30000; ++i) {
        const bool hit = i % 3 == 0;
        const int lawid = db.AddLaw(0, "a" + std::to_string(i), "2001-01-01 00:00:00", "", "",
                                    hit ? "甲合同乙" : "甲乙");
        db.Link(0, lawid, kCatA);
        if (hit)
            found.push_back(lawid);
    }
    for (int i = 0; i < 20; ++i)
        db.Link(0, db.AddLaw(0, "b" + std::to_string(i), "2002-01-01 00:00:00"), kCatB);
    db.Commit();
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();

    for (const char* words : {"合同", "合同乙"}) { // decided by the index, and read
        SCOPED_TRACE(words);
        SearchBody(list, words);
        EXPECT_TRUE(list->IsListing());
        ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }, 60000));
        std::vector<int> ids;
        for (int i = 0; i < list->GetRowCount(); ++i)
            ids.push_back(list->GetRow(i).m_nLawId);
        EXPECT_EQ(ids, found);
        EXPECT_EQ(list->GetSortColumn(), -1);
    }
    // The laws the index decides come with lawids and dates; the list reads the titles of
    // the rows it shows, and of every row before it sorts by one. (The window builds the
    // index in the background: a busy machine may not have finished it yet.)
    const auto indexed = [&] {
        sqlite3* raw = nullptr;
        std::int64_t upto = -1;
        if (sqlite3_open_v2((db.Dir() + "/db1.mdb").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK)
            upto = CSearchIndex::BuiltUpTo(raw, "dornlaws");
        sqlite3_close(raw);
        return upto == CSearchIndex::kComplete;
    };
    ASSERT_TRUE(WaitFor(indexed, 60000));
    SearchBody(list, "合同");
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }, 60000));
    CLawListModel* model = list->GetModel();
    const auto pending = [&] {
        return std::count_if(model->Rows().begin(), model->Rows().end(),
                             [](const CLawRow& row) { return row.m_bPending; });
    };
    const int far = model->rowCount() - 5;
    EXPECT_EQ(model->data(model->index(far, CLawListModel::ColTopic), Qt::DisplayRole).toString(),
              QString::fromStdString("a" + std::to_string((found[static_cast<size_t>(far)] - 1))));
    list->SortByColumn(CLawListModel::ColTopic);
    EXPECT_EQ(pending(), 0);
    for (int i = 1; i < list->GetRowCount(); ++i)
        ASSERT_LE(
            CLawListModel::CompareTexts(list->GetRow(i - 1).m_strTopic, list->GetRow(i).m_strTopic),
            0);

    SearchBody(list, "合同乙");
    SelectId(frame, kCatB);
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    Pump(200); // anything the search still had queued
    ASSERT_EQ(list->GetRowCount(), 20);
    for (int i = 0; i < list->GetRowCount(); ++i)
        EXPECT_EQ(list->GetRow(i).m_strTopic[0], 'b');
    EXPECT_TRUE(m_messages.Messages().empty());
}

// Windows of a body search that cannot be read are reported as such, after the rows the
// search could read.
TEST_F(LawListTest, BodySearchCutShortByADamagedFileSaysSo) {
    CTestDatabase db;
    db.AddCategory(0, kCatA, 0, "A", 1, 0);
    db.Begin();
    for (int i = 0; i < 3000; ++i)
        db.Link(
            0,
            db.AddLaw(0, "law " + std::to_string(i), "2001-01-01 00:00:00", "W", "D", "甲合同乙"),
            kCatA);
    db.Commit();
    DamageLeafPages(db.Dir() + "/db1.mdb", "dornlaws", 0.5);
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    m_messages.Clear();
    SearchBody(list, "合同乙");
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }, 60000));
    EXPECT_GT(list->GetRowCount(), 1);
    EXPECT_LT(list->GetRowCount(), 3000);
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("搜索结果不完整：读取数据库时出错"));
    const auto boxes = m_messages.Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "读取失败");
    EXPECT_EQ(boxes[0].text.rfind("搜索法规正文时，有 ", 0), 0u) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("malformed"), std::string::npos) << boxes[0].text;
    // The next listing that succeeds takes the notice away.
    list->RunQuery("select lawid, topic, datum, wenhao, bumen from dornlaws where lawid=1");
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    EXPECT_EQ(list->GetRowCount(), 1);
    EXPECT_NE(frame->GetStatusText(), QStringLiteral("搜索结果不完整：读取数据库时出错"));
    EXPECT_EQ(m_messages.Messages().size(), 1u);
}

// On a wide window the columns share the list's width, the department stretching to the
// edge; a width the user drags to stays, also when the window grows.
TEST_F(LawListTest, ColumnsShareAWideListAndKeepTheWidthsTheUserSets) {
    CTestDatabase db;
    db.AddLaw(0, "中华人民共和国民事诉讼法", "2021-12-24 00:00:00", "主席令第一〇六号",
              "全国人民代表大会常务委员会");
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    QHeaderView* header = list->GetTable()->horizontalHeader();
    frame->resize(1280, 900);
    frame->show();
    Pump(50);
    const int width = list->GetTable()->viewport()->width();
    ASSERT_GT(width, 25 + 400 + 100 + 100 + 150);
    EXPECT_GE(header->length(), width - 1) << "room left empty";
    EXPECT_GT(header->sectionSize(1), 400);
    EXPECT_GT(header->sectionSize(3), 100);
    EXPECT_GT(header->sectionSize(4), 150);
    EXPECT_EQ(header->sectionSize(0), 25);
    EXPECT_TRUE(list->UserColumnWidths().empty());

    // The user's width stays; the last column still reaches the edge.
    header->resizeSection(1, 300);
    EXPECT_EQ(list->UserColumnWidths(),
              (std::vector<int>{300, header->sectionSize(2), header->sectionSize(3)}));
    frame->resize(1600, 900);
    Pump(50);
    EXPECT_EQ(header->sectionSize(1), 300);
    EXPECT_GE(header->length(), list->GetTable()->viewport()->width() - 1);

    // Widths saved as the program's own defaults are fitted still; others are the user's.
    list->SetColumnWidths({400, 100, 100, 150});
    EXPECT_TRUE(list->UserColumnWidths().empty());
    EXPECT_GT(header->sectionSize(1), 400);
    list->SetColumnWidths({350, 90, 120});
    EXPECT_EQ(list->UserColumnWidths(), (std::vector<int>{350, 90, 120}));
}

// The icon and list views show a long title whole (over lines in the icon views), and its
// tooltip has it all.
TEST_F(LawListTest, IconAndListViewsShowLongTitles) {
    CTestDatabase db;
    const std::string title = "中华人民共和国民事诉讼法";
    db.AddLaw(0, title, "2021-12-24 00:00:00");
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    frame->resize(1280, 900);
    frame->show();
    Pump(50);
    QListView* icons = list->GetIconView();
    const QFontMetrics metrics = icons->fontMetrics();
    const int needed = metrics.horizontalAdvance(QString::fromStdString(title));
    const struct {
        int command;
        int lines; // lines of title the item has room for
    } styles[] = {{ID_VIEW_LARGEICON, 3}, {ID_VIEW_SMALLICON, 2}, {ID_VIEW_LIST, 1}};
    for (const auto& style : styles) {
        frame->OnViewStyle(style.command);
        Pump(20);
        const QModelIndex index = list->GetModel()->index(0, CLawListModel::ColTopic);
        const QRect rect = icons->visualRect(index);
        EXPECT_GE(rect.height(), style.lines * metrics.lineSpacing()) << style.command;
        // The width of a line (less the icon beside a small one), over the lines there are.
        const int line = rect.width() - (style.command == ID_VIEW_LARGEICON ? 0 : 14 + 8);
        EXPECT_GE(line * style.lines, needed) << style.command;
        EXPECT_TRUE(icons->wordWrap() == (style.lines > 1)) << style.command;
        EXPECT_EQ(index.data(Qt::ToolTipRole).toString(), QString::fromStdString(title));
    }
}

// A law-text search's hit shows the text around its first hit under its title, the search
// words marked in the page's blue; other rows keep one line.
TEST_F(LawListTest, HitsShowTheirSnippetUnderTheTitleWithTheWordsMarked) {
    CTestDatabase db;
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    frame->resize(1000, 700);
    frame->show();
    QTableView* table = list->GetTable();
    const int oneLine = table->verticalHeader()->defaultSectionSize();

    const std::vector<std::pair<QString, bool>> runs = CLawTitleDelegate::MarkRuns(
        QStringLiteral("…保护合同当事人的Contract"), {"当事人", "contract"});
    const std::vector<std::pair<QString, bool>> expected = {{QStringLiteral("…保护合同"), false},
                                                            {QStringLiteral("当事人"), true},
                                                            {QStringLiteral("的"), false},
                                                            {QStringLiteral("Contract"), true}};
    EXPECT_EQ(runs, expected);

    theEditionConfig.GetSearchWords() = {"当事人"};
    CLawRow hit;
    hit.m_nLawId = 7;
    hit.m_strTopic = "合同法";
    hit.m_strSnippet = "第一条 为了保护合同当事人的合法权益当事人当事人当事人。";
    list->ClearRows();
    list->AppendRows({hit});
    Pump(50);
    EXPECT_GE(table->rowHeight(0), 2 * table->fontMetrics().height());
    const QRect cell = table->visualRect(list->GetModel()->index(0, CLawListModel::ColTopic));
    const QImage image = table->viewport()->grab(cell).toImage();
    // Blue pixels of the marked words, on the second line only.
    auto blueRows = [&](int from, int to) {
        int count = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.blue() > 180 && c.red() < 120 && c.green() < 140 ? 1 : 0;
            }
        return count;
    };
    const int half = image.height() / 2;
    EXPECT_GT(blueRows(half, image.height()), 10);
    EXPECT_EQ(blueRows(0, half - 2), 0);

    // Rows of a listing without snippets: one line again.
    CLawRow plain;
    plain.m_nLawId = 8;
    plain.m_strTopic = "刑法";
    list->ClearRows();
    list->AppendRows({plain});
    EXPECT_EQ(table->verticalHeader()->defaultSectionSize(), oneLine);
}
