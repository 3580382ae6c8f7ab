// The search commands in the main window: dialogs, statements on the law list, the body
// search and the highlighting of the law page.
#include "../gui/GuiTestUtil.h"
#include "../gui/TestDatabase.h"

#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "search/gui/AdvancedSearchDlg.h"
#include "search/gui/FindDlg.h"
#include "search/gui/SearchBox.h"
#include "search/gui/TitleSearchDlg.h"
#include "ui/SplashWnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

namespace {

constexpr int kCatA = 0x2000000;
constexpr int kCatA1 = kCatA + 0x80000;
constexpr int kCatB = 2 * 0x2000000;

const char* const kBlue = "<font color=#0033FF>";
const char* const kRed = "<font color=#FF1500>";

// Acts on the modal dialog of type Dlg as soon as it runs. A dialog that does not appear
// fails the test; one the action leaves open fails it too and is cancelled after a while.
template <class Dlg> void WhenDialogOpens(std::function<void(Dlg&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dlg = qobject_cast<Dlg*>(QApplication::activeModalWidget());
        EXPECT_NE(dlg, nullptr) << "the dialog did not open";
        if (!dlg)
            return;
        QTimer::singleShot(10000, dlg, [dlg] {
            ADD_FAILURE() << "the dialog stayed open";
            dlg->reject();
        });
        act(*dlg);
    });
}

void SetText(CExchangeDialog& dlg, int id, const char* text) {
    auto* edit = qobject_cast<QLineEdit*>(dlg.GetDlgItem(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(QString::fromUtf8(text));
}

void Click(CExchangeDialog& dlg, int id) {
    auto* button = qobject_cast<QAbstractButton*>(dlg.GetDlgItem(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

class SearchFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        theEditionConfig = CEditionConfig();
        QSettings().clear();
        db.AddCategory(0, kCatA, 0, "民商法", 2, 1);
        db.AddCategory(0, kCatA1, kCatA, "合同类", 1, 0);
        db.AddCategory(0, kCatB, 0, "行政法", 1, 0);
        m_nContract = db.AddLaw(
            0, "中华人民共和国合同法", "1999-03-15 00:00:00", "主席令第15号", "全国人民代表大会",
            "第一条 为了保护合同当事人的合法权益。\n第二条 合同是平等主体之间的协议。");
        m_nBrien = db.AddLaw(0, "O'Brien 合同 案", "2004-01-01 00:00:00", "", "",
                             "Contract between parties.");
        m_nLicence = db.AddLaw(0, "行政许可法", "2003-08-27 00:00:00", "主席令第7号",
                               "全国人民代表大会常务委员会", "行政机关 当事人 许可");
        db.Link(0, m_nContract, kCatA1);
        db.Link(0, m_nBrien, kCatB);
        db.Link(0, m_nLicence, kCatB);

        app = std::make_unique<CTolvarinApp>();
        ASSERT_TRUE(app->InitInstance({QStringLiteral("tolvarin")}));
        frame = app->GetMainFrame();
        ASSERT_TRUE(WaitFor([&] { return !List()->IsListing(); }));
        ASSERT_TRUE(WaitFor([&] { return frame->GetLawView()->HasDocument(); }));
    }
    void TearDown() override {
        app.reset();
        EXPECT_TRUE(WaitForListQueriesIdle(std::chrono::seconds(30)));
        CloseListQueryConnection();
        theEditionConfig = CEditionConfig();
    }

    void SelectCategory(const char* name) {
        QTreeWidget* tree = frame->GetLeftView()->GetCurrentTree();
        const auto items =
            tree->findItems(QString::fromUtf8(name), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(items.isEmpty()) << name;
        tree->setCurrentItem(items.front());
        ASSERT_TRUE(WaitFor([&] { return !List()->IsListing(); }));
    }

    CTolvarinView* List() { return frame->GetListView(); }

    std::vector<int> ListedIds() {
        EXPECT_TRUE(WaitFor([&] { return !List()->IsListing(); }));
        std::vector<int> ids;
        for (int row = 0; row < List()->GetRowCount(); ++row)
            ids.push_back(List()->GetRow(row).m_nLawId);
        return ids;
    }

    std::string Page() { return frame->GetLawView()->GetBodyHtml(); }

    CMessageRecorder messages;
    CTestDatabase db;
    std::unique_ptr<CTolvarinApp> app;
    CMainFrame* frame = nullptr;
    int m_nContract = 0;
    int m_nBrien = 0;
    int m_nLicence = 0;
};

TEST_F(SearchFrameTest, TitleSearchListsTheLawsAndRemembersItsText) {
    theEditionConfig.GetSearchWords() = {"当事人"};
    WhenDialogOpens<CTitleSearchDlg>([](CTitleSearchDlg& dlg) {
        EXPECT_TRUE(qobject_cast<QLineEdit*>(dlg.GetDlgItem(1004))->text().isEmpty());
        EXPECT_TRUE(qobject_cast<QAbstractButton*>(dlg.GetDlgItem(1014))->isChecked());
        SetText(dlg, 1004, "合同");
        Click(dlg, CExchangeDialog::IDOK);
    });
    EXPECT_TRUE(frame->ExecuteCommand(ID_TITLE_SEARCH));
    EXPECT_EQ(ListedIds(), (std::vector<int>{m_nBrien, m_nContract}));
    EXPECT_EQ(frame->m_strLastTitleSearch, "合同");
    // The title search leaves the body-search words alone.
    EXPECT_EQ(theEditionConfig.GetSearchWords(), std::vector<std::string>{"当事人"});

    // Cancelled: the next dialog still shows the last search that was started.
    WhenDialogOpens<CTitleSearchDlg>([](CTitleSearchDlg& dlg) {
        EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.GetDlgItem(1004))->text(), QStringLiteral("合同"));
        SetText(dlg, 1004, "行政");
        Click(dlg, CExchangeDialog::IDCANCEL);
    });
    frame->OnTitleSearch();
    EXPECT_EQ(frame->m_strLastTitleSearch, "合同");
    EXPECT_EQ(ListedIds(), (std::vector<int>{m_nBrien, m_nContract}));

    WhenDialogOpens<CTitleSearchDlg>([](CTitleSearchDlg& dlg) {
        EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.GetDlgItem(1004))->text(), QStringLiteral("合同"));
        SetText(dlg, 1004, "o'brien");
        Click(dlg, CExchangeDialog::IDOK);
    });
    frame->OnTitleSearch();
    EXPECT_EQ(ListedIds(), std::vector<int>{m_nBrien});
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(SearchFrameTest, ScopeFollowsTheSelectedCategory) {
    SelectCategory("民商法");
    ASSERT_EQ(theEditionConfig.GetCurTreeId(), kCatA);
    auto search = [&](int scopeId) {
        WhenDialogOpens<CTitleSearchDlg>([scopeId](CTitleSearchDlg& dlg) {
            Click(dlg, scopeId);
            Click(dlg, CExchangeDialog::IDOK);
        });
        frame->OnTitleSearch();
        return ListedIds();
    };
    EXPECT_EQ(search(1014), std::vector<int>{m_nContract});
    EXPECT_EQ(search(1015), (std::vector<int>{m_nBrien, m_nLicence, m_nContract}));
}

TEST_F(SearchFrameTest, AdvancedSearchWithoutContentRunsTheStatement) {
    WhenDialogOpens<CAdvancedSearchDlg>([](CAdvancedSearchDlg& dlg) {
        SetText(dlg, 1008, "2000");
        SetText(dlg, 1006, "全国人民代表大会");
        Click(dlg, CExchangeDialog::IDOK);
    });
    EXPECT_TRUE(frame->ExecuteCommand(ID_ADVANCED_SEARCH));
    EXPECT_EQ(ListedIds(), std::vector<int>{m_nLicence});
    EXPECT_TRUE(theEditionConfig.GetSearchWords().empty());

    EXPECT_TRUE(messages.Messages().empty());
}

// A date that does not exist is refused in the form with the reason, instead of ending in
// an empty list; the form stays open on the year of that date.
TEST_F(SearchFrameTest, ImpossibleDateIsRefusedInTheForm) {
    const struct {
        int year, month, day; // edits of the from or the to date
        const char *y, *m, *d;
        const char* message;
    } cases[] = {
        {1008, 1009, 1010, "2003", "2", "31", "日期 2003-2-31 不存在，请输入一个有效的日期。"},
        {1011, 1012, 1013, "2021", "2", "29", "日期 2021-2-29 不存在，请输入一个有效的日期。"},
        {1008, 1009, 1010, "99", "2", "29", "日期 99-2-29 不存在，请输入一个有效的日期。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        messages.Clear();
        WhenDialogOpens<CAdvancedSearchDlg>([this, &c](CAdvancedSearchDlg& dlg) {
            SetText(dlg, c.year, c.y);
            SetText(dlg, c.month, c.m);
            SetText(dlg, c.day, c.d);
            Click(dlg, CExchangeDialog::IDOK);
            EXPECT_TRUE(dlg.isVisible());
            ASSERT_EQ(messages.Messages().size(), 1U);
            EXPECT_EQ(messages.Messages()[0].text, c.message);
            EXPECT_EQ(dlg.focusWidget(), dlg.GetDlgItem(c.year));
            // A real date goes through.
            SetText(dlg, c.day, "28");
            SetText(dlg, c.year, "2003");
            Click(dlg, CExchangeDialog::IDOK);
        });
        frame->OnAdvancedSearch();
        EXPECT_FALSE(ListedIds().empty());
        EXPECT_EQ(messages.Messages().size(), 1U);
    }
}

// A year of one or two digits is read as the database reads the date: 00-29 in this
// century, 30-99 in the last. The form takes it and the dates bound the listing so.
TEST_F(SearchFrameTest, TwoDigitYearsAreReadAsTheDatabaseReadsThem) {
    const struct {
        const char *from, *to;
        std::vector<int> expected; // {0}: the no-records row
    } cases[] = {
        // 1999-1-1 up to 2004-1-1: the contract law (1999) and the licence law (2003).
        {"99", "4", {m_nLicence, m_nContract}},
        // From 2003-1-1: O'Brien (2004) and the licence law.
        {"3", "0", {m_nBrien, m_nLicence}},
        // Up to 1930-1-1: nothing; up to 2029-1-1: everything.
        {"0", "30", {0}},
        {"0", "29", {m_nBrien, m_nLicence, m_nContract}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + "/" + c.to);
        messages.Clear();
        WhenDialogOpens<CAdvancedSearchDlg>([&c](CAdvancedSearchDlg& dlg) {
            SetText(dlg, 1008, c.from);
            SetText(dlg, 1011, c.to);
            Click(dlg, CExchangeDialog::IDOK);
            EXPECT_FALSE(dlg.isVisible());
        });
        frame->OnAdvancedSearch();
        EXPECT_EQ(ListedIds(), c.expected);
        EXPECT_TRUE(messages.Messages().empty());
    }
}

TEST_F(SearchFrameTest, InvalidNumberKeepsTheFormOpen) {
    WhenDialogOpens<CAdvancedSearchDlg>([this](CAdvancedSearchDlg& dlg) {
        SetText(dlg, 1012, "13");
        Click(dlg, CExchangeDialog::IDOK);
        EXPECT_TRUE(dlg.isVisible());
        ASSERT_EQ(messages.Messages().size(), 1U);
        EXPECT_EQ(messages.Messages()[0].text, "Please enter an integer between 0 and 12.");
        EXPECT_EQ(dlg.focusWidget(), dlg.GetDlgItem(1012));
        SetText(dlg, 1012, "1");
        SetText(dlg, 1011, "2004");
        Click(dlg, CExchangeDialog::IDOK);
    });
    frame->OnAdvancedSearch();
    EXPECT_EQ(ListedIds(), (std::vector<int>{m_nLicence, m_nContract}));
}

TEST_F(SearchFrameTest, BodySearchHighlightsItsWordsUntilTheNextTreeSelection) {
    WhenDialogOpens<CAdvancedSearchDlg>([](CAdvancedSearchDlg& dlg) {
        SetText(dlg, 1007, "当事人");
        Click(dlg, CExchangeDialog::IDOK);
    });
    frame->OnAdvancedSearch();
    // The search runs on the worker, as a listing does.
    EXPECT_TRUE(List()->IsListing());
    EXPECT_EQ(ListedIds(), (std::vector<int>{m_nLicence, m_nContract}));
    EXPECT_EQ(theEditionConfig.GetSearchWords(), std::vector<std::string>{"当事人"});

    List()->OnRowClicked(1);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), m_nContract);
    EXPECT_NE(Page().find(std::string(kBlue) + "当事人</font>"), std::string::npos);
    List()->OnRowClicked(0);
    EXPECT_NE(Page().find(std::string(kBlue) + "当事人</font>"), std::string::npos);

    // The next tree selection ends the highlighting.
    SelectCategory("行政法");
    EXPECT_TRUE(theEditionConfig.GetSearchWords().empty());
    List()->OnRowClicked(1);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), m_nLicence);
    EXPECT_NE(Page().find("当事人"), std::string::npos);
    EXPECT_EQ(Page().find(kBlue), std::string::npos);

    // Words found nowhere: the no-records row.
    WhenDialogOpens<CAdvancedSearchDlg>([](CAdvancedSearchDlg& dlg) {
        SetText(dlg, 1007, "刑法 罪名");
        Click(dlg, CExchangeDialog::IDOK);
    });
    frame->OnAdvancedSearch();
    EXPECT_EQ(ListedIds(), std::vector<int>{0});
    EXPECT_EQ(theEditionConfig.GetSearchWords(), (std::vector<std::string>{"刑法", "罪名"}));
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(SearchFrameTest, FindMarksOneRenderingAndCancelRemovesTheMarks) {
    SelectCategory("合同类");
    theEditionConfig.GetSearchWords() = {"合同"};
    ASSERT_EQ(ListedIds(), std::vector<int>{m_nContract});
    List()->OnRowClicked(0);
    ASSERT_EQ(theEditionConfig.GetCurLawId(), m_nContract);

    WhenDialogOpens<CFindDlg>([](CFindDlg& dlg) {
        SetText(dlg, 1004, "合同  协议");
        Click(dlg, CExchangeDialog::IDOK);
    });
    EXPECT_TRUE(frame->ExecuteCommand(ID_FIND_IN_TEXT));
    // Red inside blue for a word of both lists.
    EXPECT_NE(Page().find(std::string(kBlue) + kRed + "合同</font></font>"), std::string::npos);
    EXPECT_NE(Page().find(std::string(kRed) + "协议</font>"), std::string::npos);
    EXPECT_TRUE(theEditionConfig.GetFindWords().empty());

    WhenDialogOpens<CFindDlg>([](CFindDlg& dlg) {
        EXPECT_TRUE(qobject_cast<QLineEdit*>(dlg.GetDlgItem(1004))->text().isEmpty());
        SetText(dlg, 1004, "协议");
        Click(dlg, CExchangeDialog::IDCANCEL);
    });
    frame->OnFindInText();
    EXPECT_EQ(Page().find(kRed), std::string::npos);
    EXPECT_NE(Page().find(std::string(kBlue) + "合同</font>"), std::string::npos);
}

TEST_F(SearchFrameTest, FindWithoutALawChangesNothing) {
    const std::string before = Page();
    WhenDialogOpens<CFindDlg>([](CFindDlg& dlg) {
        SetText(dlg, 1004, "合同");
        Click(dlg, CExchangeDialog::IDOK);
    });
    frame->OnFindInText();
    EXPECT_EQ(Page(), before);
    EXPECT_TRUE(theEditionConfig.GetFindWords().empty());
}

} // namespace

namespace {

TEST(SearchFrameWithoutDatabase, SearchesEndWithTheNoRecordsRow) {
    theEditionConfig = CEditionConfig();
    QSettings().clear();
    CMessageRecorder messages;
    CTestDatabase db(false);
    {
        CTolvarinApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("tolvarin")}));
        CMainFrame* frame = app.GetMainFrame();
        CTolvarinView* list = frame->GetListView();
        ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
        WhenDialogOpens<CAdvancedSearchDlg>([](CAdvancedSearchDlg& dlg) {
            SetText(dlg, 1007, "合同");
            Click(dlg, CExchangeDialog::IDOK);
        });
        frame->OnAdvancedSearch();
        ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
        ASSERT_EQ(list->GetRowCount(), 1);
        EXPECT_EQ(list->GetRow(0).m_nLawId, 0);

        WhenDialogOpens<CTitleSearchDlg>([](CTitleSearchDlg& dlg) {
            SetText(dlg, 1004, "合同");
            Click(dlg, CExchangeDialog::IDOK);
        });
        frame->OnTitleSearch();
        ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
        ASSERT_EQ(list->GetRowCount(), 1);
        EXPECT_EQ(list->GetRow(0).m_nLawId, 0);
    }
    EXPECT_TRUE(WaitForListQueriesIdle(std::chrono::seconds(30)));
    CloseListQueryConnection();
    // Without a collection there is nothing to complain about: the law pane says what to do,
    // and a body search is as quiet as a title search.
    for (const auto& message : messages.Messages())
        ADD_FAILURE() << message.caption << ": " << message.text;
    theEditionConfig = CEditionConfig();
}

} // namespace

// The search box: titles as the user types, ranked, in the category or everywhere, law
// texts with snippets, the count and the place in the status bar, no sort arrow.
TEST_F(SearchFrameTest, SearchBoxFindsAsTheUserTypesAndSaysHowManyWhere) {
    auto* box = frame->findChild<CSearchBox*>();
    ASSERT_NE(box, nullptr);
    // Ctrl+L puts the cursor into it.
    bool shortcut = false;
    for (QShortcut* sc : frame->findChildren<QShortcut*>())
        if (sc->key() == QKeySequence(Qt::CTRL | Qt::Key_L)) {
            emit sc->activated();
            shortcut = true;
        }
    EXPECT_TRUE(shortcut);
    EXPECT_EQ(frame->focusWidget(), box->GetEdit());

    int finished = 0;
    QObject::connect(box, &CSearchBox::searchFinished, [&] { ++finished; });
    auto type = [&](const char* text) {
        const int before = finished;
        box->GetEdit()->setText(QString::fromUtf8(text));
        // The search runs once the typing pauses.
        EXPECT_TRUE(WaitFor([&] { return finished > before; }));
        return ListedIds();
    };
    box->GetScope()->setCurrentIndex(1);
    // A title beginning with the word (after the nation's name) before the others.
    EXPECT_EQ(type("合同"), (std::vector<int>{m_nContract, m_nBrien}));
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("在全部法规中找到 2 部法规"));
    EXPECT_EQ(List()->GetTable()->horizontalHeader()->sortIndicatorSection(), -1);
    // The title equal to the words (without the nation's name) comes first.
    EXPECT_EQ(type("合同法"), std::vector<int>{m_nContract});
    // The full-width blank separates words.
    EXPECT_EQ(type("o'brien　案"), std::vector<int>{m_nBrien});

    SelectCategory("行政法");
    box->GetScope()->setCurrentIndex(0);
    EXPECT_EQ(type("法"), std::vector<int>{m_nLicence});
    EXPECT_EQ(frame->GetStatusText(),
              QStringLiteral("在\"行政法\"中找到 1 部法规，全部法规中有 2 部"));

    // Law texts: hits with the text around them, the words marked on the page.
    box->GetScope()->setCurrentIndex(1);
    box->GetBodyToggle()->setChecked(true);
    // Both name it once; the earlier hit first.
    EXPECT_EQ(type("当事人"), (std::vector<int>{m_nLicence, m_nContract}));
    EXPECT_EQ(List()->GetRow(1).m_strSnippet,
              "第一条 为了保护合同当事人的合法权益。 第二条 合同是平等主体之间的协议。");
    EXPECT_EQ(type("CONTRACT"), std::vector<int>{m_nBrien});
    EXPECT_EQ(theEditionConfig.GetSearchWords(), std::vector<std::string>{"CONTRACT"});
    EXPECT_EQ(type("刑法"), std::vector<int>{0});
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("在全部法规中找到 0 部法规"));
    // A category chosen afterwards: the count of the search is no longer shown.
    SelectCategory("民商法");
    EXPECT_EQ(frame->GetStatusText().indexOf(QStringLiteral("找到")), -1)
        << frame->GetStatusText().toStdString();
    EXPECT_TRUE(messages.Messages().empty());
}

// The box starts in the whole collection; a category that finds nothing or little says how
// many laws the whole collection holds and offers them in one click, or with Enter when it
// found nothing.
TEST_F(SearchFrameTest, SearchBoxOffersTheWholeCollectionWhenACategoryFindsLittle) {
    auto* box = frame->findChild<CSearchBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetScope()->currentText(), QStringLiteral("全部法规"));
    // The splash screen takes the first key for itself.
    CSplashWnd::HideSplashScreen();
    QPushButton* everywhere = box->GetEverywhereButton();
    int finished = 0;
    QObject::connect(box, &CSearchBox::searchFinished, [&] { ++finished; });
    auto wait = [&](int before) {
        EXPECT_TRUE(WaitFor([&] { return finished > before; }));
        return ListedIds();
    };
    auto type = [&](const char* text) {
        const int before = finished;
        box->GetEdit()->setText(QString::fromUtf8(text));
        return wait(before);
    };
    SelectCategory("行政法");
    EXPECT_EQ(type("合同"), (std::vector<int>{m_nContract, m_nBrien}));
    EXPECT_FALSE(everywhere->isVisibleTo(frame));

    box->GetScope()->setCurrentIndex(0);
    EXPECT_EQ(type("合同"), std::vector<int>{m_nBrien});
    EXPECT_EQ(frame->GetStatusText(),
              QStringLiteral("在\"行政法\"中找到 1 部法规，全部法规中有 2 部"));
    ASSERT_TRUE(everywhere->isVisibleTo(frame));
    int before = finished;
    everywhere->click();
    EXPECT_EQ(wait(before), (std::vector<int>{m_nContract, m_nBrien}));
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("在全部法规中找到 2 部法规"));
    EXPECT_EQ(box->GetScope()->currentIndex(), 1);
    EXPECT_FALSE(everywhere->isVisibleTo(frame));

    // Nothing in the category: Enter in the box goes to the whole collection.
    box->GetScope()->setCurrentIndex(0);
    EXPECT_EQ(type("合同法"), std::vector<int>{0});
    EXPECT_EQ(frame->GetStatusText(),
              QStringLiteral("在\"行政法\"中找到 0 部法规，全部法规中有 1 部"));
    before = finished;
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box->GetEdit(), &enter);
    EXPECT_EQ(wait(before), std::vector<int>{m_nContract});
    EXPECT_EQ(frame->GetLawView()->GetShownLawId(), m_nContract);

    // As many in the category as everywhere: nothing to offer; a category chosen in the
    // tree takes the offer away.
    box->GetScope()->setCurrentIndex(0);
    EXPECT_EQ(type("许可"), std::vector<int>{m_nLicence});
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("在\"行政法\"中找到 1 部法规"));
    EXPECT_FALSE(everywhere->isVisibleTo(frame));
    EXPECT_EQ(type("合同法"), std::vector<int>{0});
    EXPECT_TRUE(everywhere->isVisibleTo(frame));
    SelectCategory("民商法");
    EXPECT_FALSE(everywhere->isVisibleTo(frame));
    EXPECT_TRUE(messages.Messages().empty());
}

// Searches the engine could not take never end in "0 found": a word typed again and again
// is searched once, and a search beyond the engine's limits is refused in the status bar
// before it runs, the list showing no result of it.
TEST_F(SearchFrameTest, SearchBoxBeyondTheEnginesLimitsNeverSaysNothingWasFound) {
    auto* box = frame->findChild<CSearchBox*>();
    ASSERT_NE(box, nullptr);
    int finished = 0;
    QObject::connect(box, &CSearchBox::searchFinished, [&] { ++finished; });
    auto type = [&](const std::string& text) {
        const int before = finished;
        box->GetEdit()->setText(QString::fromStdString(text));
        EXPECT_TRUE(WaitFor([&] { return finished > before; }));
        return ListedIds();
    };
    auto repeat = [](const std::string& word, int times) {
        std::string text;
        for (int i = 0; i < times; ++i)
            text += word + " ";
        return text;
    };
    box->GetScope()->setCurrentIndex(1);
    box->GetBodyToggle()->setChecked(true);
    EXPECT_EQ(type(repeat("当事人", 127)), (std::vector<int>{m_nLicence, m_nContract}));
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("在全部法规中找到 2 部法规"));
    EXPECT_EQ(theEditionConfig.GetSearchWords(), std::vector<std::string>{"当事人"});

    std::string many;
    for (int i = 0; i < 127; ++i)
        many += "w" + std::to_string(i) + " ";
    std::string longWord;
    for (int i = 0; i < 16700; ++i)
        longWord += "法";
    for (const std::string& text : {many, longWord}) {
        EXPECT_EQ(type(text), std::vector<int>{});
        EXPECT_TRUE(frame->GetStatusText().startsWith(QStringLiteral("没有搜索：")))
            << frame->GetStatusText().toStdString();
        EXPECT_EQ(frame->GetStatusText().indexOf(QStringLiteral("找到")), -1);
    }
    // Titles too, as the command line's --search asks for them.
    box->GetBodyToggle()->setChecked(false);
    EXPECT_EQ(type(repeat("法", 1000)), (std::vector<int>{m_nLicence, m_nContract}));
    EXPECT_TRUE(messages.Messages().empty());
}

// A statement the engine refuses is reported as such: no "no records" row, the status bar
// and a box in plain words with the engine's text, and no word of a damaged file.
TEST_F(SearchFrameTest, ARefusedStatementIsReportedNotListedAsNothingFound) {
    List()->RunQuery("select lawid, topic, datum, wenhao, bumen from dornlaws where "
                     "topic like '%" +
                     std::string(50001, 'x') + "%'");
    EXPECT_EQ(ListedIds(), std::vector<int>{});
    List()->RunQuery("select lawid, topic, datum, wenhao, bumen from no_such_table");
    EXPECT_EQ(ListedIds(), std::vector<int>{});
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("没有列出法规：数据库无法执行这次查询"));
    const auto boxes = messages.Messages();
    ASSERT_EQ(boxes.size(), 2u);
    // The pattern too long fails at the first row, for what the statement asks.
    EXPECT_EQ(boxes[0].caption, "查询失败");
    EXPECT_NE(boxes[0].text.find("LIKE or GLOB pattern too complex"), std::string::npos);
    EXPECT_EQ(boxes[1].caption, "查询失败");
    EXPECT_NE(boxes[1].text.find("no such table"), std::string::npos) << boxes[1].text;
    for (const auto& b : boxes)
        EXPECT_EQ(b.text.find("可能已经损坏"), std::string::npos) << b.text;
}
