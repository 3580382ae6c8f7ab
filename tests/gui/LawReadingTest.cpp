// Reading a law in the window: which law the page shows, finding words in it, keeping the
// place, zoom, the outline, dark palettes, long laws and printing.
#include "TestDatabase.h"
#include "WindowTest.h"

#include "app/LawPageCommands.h"
#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "app/TolvarinDoc.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LawListModel.h"
#include "browse/gui/TolvarinView.h"
#include "display/gui/FindBar.h"
#include "display/gui/LawOutline.h"
#include "display/gui/PrintDocument.h"
#include "display/gui/PrintJob.h"
#include "display/gui/PrintRun.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "reader/gui/Reader.h"
#include "search/gui/ExchangeDialog.h"
#include "search/gui/FindDlg.h"
#include "search/gui/SearchBox.h"
#include "tools/admin/CorpusStream.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

namespace {

const char* const kRed = "<font color=#FF1500>";

std::string LongBody(int articles) {
    static const char* const digits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    std::string body = "第一章　总则\n";
    for (int n = 1; n <= articles; ++n) {
        std::string number;
        if (n >= 100)
            number += std::string(digits[n / 100]) + "百";
        if (n % 100 >= 10)
            number +=
                (n % 100 < 20 && n < 100 ? std::string() : std::string(digits[n / 10 % 10])) + "十";
        else if (n >= 100 && n % 10 != 0)
            number += "零";
        number += digits[n % 10];
        if (n == 150)
            body += "第二章　分则\n";
        body += "第" + number + "条　本条规定有关事项的办理程序和要求，当事人应当遵守。\n";
    }
    body += "附则：本法所称的特别事项由主管部门解释。\n";
    return body;
}

template <class Dlg> void WhenDialogOpens(std::function<void(Dlg&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dlg = qobject_cast<Dlg*>(QApplication::activeModalWidget());
        EXPECT_NE(dlg, nullptr) << "the dialog did not open";
        if (!dlg)
            return;
        act(*dlg);
    });
}

// A key on the main window, which is made the active one first (a dialog that closed may
// have left no active window).
void Key(CMainFrame* frame, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QApplication::setActiveWindow(frame);
    QTest::keyClick(frame, key, modifiers);
}

void FindWords(CMainFrame* frame, const char* words) {
    WhenDialogOpens<CFindDlg>([words](CFindDlg& dlg) {
        qobject_cast<QLineEdit*>(dlg.GetDlgItem(CFindDlg::IDC_WORDS))
            ->setText(QString::fromUtf8(words));
        qobject_cast<QAbstractButton*>(dlg.GetDlgItem(CExchangeDialog::IDOK))->click();
    });
    // From its menu command: Ctrl+F opens the find bar instead.
    frame->Action(ID_FIND_IN_TEXT)->trigger();
}

bool InView(CShowLawView* view, int position) {
    QTextCursor cursor(view->document());
    cursor.setPosition(position);
    const QRect rect = view->cursorRect(cursor);
    return rect.top() >= 0 && rect.bottom() <= view->viewport()->height();
}

class LawReadingTest : public CWindowTest {
protected:
    void SetUp() override {
        CWindowTest::SetUp();
        m_nShort = m_db.AddLaw(0, "公安部关于修改<机动车登记规定>的决定", "2008-01-01 00:00:00", "",
                               "", "5.1\xE3\x80\x80颅脑  损伤\n比较 x<5 与 a < b");
        m_nLong = m_db.AddLaw(0, "长法", "2009-01-01 00:00:00", "", "", LongBody(240));
        m_nOther = m_db.AddLaw(0, "别法", "2007-01-01 00:00:00", "", "", "别的正文");
    }
    CMainFrame* Start() {
        CMainFrame* frame = Launch();
        frame->resize(1000, 800);
        frame->show();
        EXPECT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
        EXPECT_TRUE(WaitFor([&] { return frame->GetLawView()->HasDocument(); }));
        return frame;
    }
    int RowOf(CMainFrame* frame, int lawid) {
        CTolvarinView* list = frame->GetListView();
        for (int i = 0; i < list->GetRowCount(); ++i)
            if (list->GetRow(i).m_nLawId == lawid)
                return i;
        return -1;
    }
    void ClickRow(CMainFrame* frame, int row) {
        QTableView* table = frame->GetListView()->GetTable();
        const QRect rect = table->visualRect(table->model()->index(row, 1));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
    }

    CTestDatabase m_db;
    int m_nShort = 0;
    int m_nLong = 0;
    int m_nOther = 0;
};

} // namespace

TEST_F(LawReadingTest, OnlyAClickOrAKeyShowsALaw) {
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    CShowLawView* view = frame->GetLawView();
    ASSERT_EQ(list->GetRowCount(), 3);
    const int row = RowOf(frame, m_nOther);
    ASSERT_GT(row, 0);
    ClickRow(frame, row);
    EXPECT_EQ(view->GetShownLawId(), m_nOther);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), m_nOther);

    // Another view style takes the focus and sets its own current row: the law stays.
    list->GetFocusWidget()->setFocus();
    for (int id :
         {ID_VIEW_LARGEICON, ID_VIEW_SMALLICON, ID_VIEW_LIST, ID_VIEW_DETAILS, ID_VIEW_LARGEICON}) {
        frame->OnViewStyle(id);
        list->GetFocusWidget()->setFocus();
        Pump(20);
        EXPECT_EQ(view->GetShownLawId(), m_nOther) << id;
        EXPECT_EQ(theEditionConfig.GetCurLawId(), m_nOther) << id;
    }
    EXPECT_EQ(list->GetIconView()->currentIndex().row(), row);
    // A key moves to the next law, as before.
    QTest::keyClick(list->GetIconView(), row + 1 < 3 ? Qt::Key_Right : Qt::Key_Left);
    EXPECT_NE(view->GetShownLawId(), m_nOther);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), view->GetShownLawId());
    const int shown = view->GetShownLawId();

    // The other edition's listing shows nothing by itself.
    frame->OnEdition(1);
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    Pump(50);
    EXPECT_EQ(view->GetShownLawId(), shown);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), 0);
    frame->OnEdition(0);
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    Pump(50);
    EXPECT_EQ(view->GetShownLawId(), shown);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), shown);
}

TEST_F(LawReadingTest, FindGoesToTheWordsAndAClickOnTheSameRowDropsTheMarks) {
    CMainFrame* frame = Start();
    CShowLawView* view = frame->GetLawView();
    const int row = RowOf(frame, m_nLong);
    frame->GetListView()->GetTable()->setFocus();
    ClickRow(frame, row);
    ASSERT_EQ(view->GetShownLawId(), m_nLong);
    EXPECT_EQ(view->verticalScrollBar()->value(), 0);

    // A word far down the page: the view goes there, the status bar counts.
    FindWords(frame, "附则 第二百条");
    EXPECT_NE(view->GetBodyHtml().find(std::string(kRed) + "附则</font>"), std::string::npos);
    EXPECT_EQ(view->GetFindCount(), 2);
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("找到 2 处"));
    EXPECT_GT(view->verticalScrollBar()->value(), 0);
    const QString first = view->textCursor().selectedText();
    EXPECT_EQ(first, QStringLiteral("第二百条"));
    EXPECT_TRUE(InView(view, view->textCursor().position()));
    // F3 and Shift+F3 go round the marks.
    Key(frame, Qt::Key_F3);
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("附则"));
    EXPECT_TRUE(InView(view, view->textCursor().position()));
    Key(frame, Qt::Key_F3);
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("第二百条"));
    Key(frame, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("附则"));

    // Words found nowhere.
    const int top = view->TopPosition();
    FindWords(frame, "没有的词");
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("未找到"));
    EXPECT_EQ(view->GetFindCount(), 0);
    // The marks went, the place stayed.
    EXPECT_EQ(view->GetBodyHtml().find(kRed), std::string::npos);
    EXPECT_EQ(view->TopPosition(), top);

    // Marks again, then a click on the row already shown renders it afresh without them.
    FindWords(frame, "附则");
    ASSERT_NE(view->GetBodyHtml().find(kRed), std::string::npos);
    ClickRow(frame, row);
    EXPECT_EQ(view->GetBodyHtml().find(kRed), std::string::npos);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), m_nLong);
}

// Ctrl+F: the bar under the page finds as the text is typed, counts, goes round with Enter,
// Shift+Enter, F3 and Shift+F3, and Esc drops its marks. The dialog keeps its menu command.
TEST_F(LawReadingTest, TheFindBarFindsAsYouTypeAndEscDropsItsMarks) {
    CMainFrame* frame = Start();
    QApplication::setActiveWindow(frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    CShowLawView* view = frame->GetLawView();
    CFindBar* bar = view->GetFindBar();
    ClickRow(frame, RowOf(frame, m_nLong));
    ASSERT_EQ(view->GetShownLawId(), m_nLong);
    EXPECT_TRUE(frame->Action(ID_FIND_IN_TEXT)->shortcut().isEmpty());

    Key(frame, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), bar->GetEdit());
    // The bar stands below the text, not over it.
    EXPECT_LE(view->viewport()->geometry().bottom(), bar->geometry().top());

    // Typed a character at a time, as an input method hands them over.
    for (QChar c : QStringLiteral("办理程序"))
        QTest::sendKeyEvent(QTest::Click, bar->GetEdit(), Qt::Key_unknown, QString(c), {});
    ASSERT_TRUE(WaitFor([&] { return bar->GetCount() == 240; }));
    EXPECT_EQ(bar->GetCountText(), QStringLiteral("第 1 / 240 处"));
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("办理程序"));
    EXPECT_EQ(view->extraSelections().size(), 240);
    EXPECT_EQ(view->extraSelections().front().format.foreground().color(),
              CShowLawView::MarkColor(true, false));
    // The page is only marked, not rendered again.
    EXPECT_EQ(view->GetBodyHtml().find(kRed), std::string::npos);

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool onFrame;
        int expected;
    } moves[] = {
        {Qt::Key_Return, {}, false, 2},
        {Qt::Key_Return, Qt::ShiftModifier, false, 1},
        {Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier, false, 240},
        {Qt::Key_F3, {}, true, 1},
        {Qt::Key_F3, {}, true, 2},
        {Qt::Key_F3, Qt::ShiftModifier, true, 1},
    };
    for (const auto& move : moves) {
        if (move.onFrame)
            Key(frame, move.key, move.modifiers);
        else
            QTest::keyClick(bar->GetEdit(), move.key, move.modifiers);
        EXPECT_EQ(bar->GetCurrent(), move.expected) << move.key;
        EXPECT_EQ(bar->GetCountText(), QStringLiteral("第 %1 / 240 处").arg(move.expected));
        EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("办理程序"));
        EXPECT_TRUE(InView(view, view->textCursor().position())) << move.expected;
    }

    // A text found nowhere; then one typed again.
    bar->GetEdit()->setText(QStringLiteral("没有的词"));
    ASSERT_TRUE(WaitFor([&] { return bar->GetCountText() == QStringLiteral("未找到"); }));
    EXPECT_TRUE(view->extraSelections().isEmpty());
    bar->GetEdit()->setText(QStringLiteral("附则"));
    ASSERT_TRUE(WaitFor([&] { return bar->GetCount() == 1; }));

    // Another law while the bar is open: marked and counted, but it opens at its top.
    bar->GetEdit()->setText(QStringLiteral("办理程序"));
    bar->SearchNow();
    ClickRow(frame, RowOf(frame, m_nOther));
    EXPECT_EQ(bar->GetCountText(), QStringLiteral("未找到"));
    ClickRow(frame, RowOf(frame, m_nLong));
    ASSERT_EQ(view->GetShownLawId(), m_nLong);
    EXPECT_EQ(bar->GetCountText(), QStringLiteral("共 240 处"));
    EXPECT_EQ(view->extraSelections().size(), 240);
    EXPECT_EQ(view->verticalScrollBar()->value(), 0);
    Key(frame, Qt::Key_F3);
    EXPECT_EQ(bar->GetCountText(), QStringLiteral("第 1 / 240 处"));
    bar->GetEdit()->setText(QStringLiteral("附则"));
    ASSERT_TRUE(WaitFor([&] { return bar->GetCount() == 1; }));
    bar->GetEdit()->setFocus();

    // Esc closes the bar and drops the marks; the keyboard is back on the page.
    QTest::keyClick(bar->GetEdit(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(view->extraSelections().isEmpty());
    EXPECT_FALSE(view->textCursor().hasSelection());
    EXPECT_EQ(QApplication::focusWidget(), view);
    // The text has the whole height again.
    EXPECT_GE(view->viewport()->geometry().bottom() + 1, bar->geometry().bottom());

    // Opened again, from the page, Esc there closes it too (and does not leave the page).
    view->setFocus();
    Key(frame, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->GetCount(), 1);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), view);
}

// The matching of the find bar: every occurrence, none overlapping, Latin in either case.
TEST(FindBarText, FindsEveryOccurrence) {
    const struct {
        const char* text;
        const char* what;
        std::vector<int> hits;
    } cases[] = {
        {"合同法合同", "合同", {0, 3}},
        {"aaaa", "aa", {0, 2}},
        {"Civil code CIVIL", "civil", {0, 11}},
        {"民法典", "", {}},
        {"民法典", "刑法", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFindBar::FindAll(QString::fromUtf8(c.text), QString::fromUtf8(c.what)), c.hits)
            << c.text << " / " << c.what;
}

// Only a law chosen from a law-text search's own results opens at its first blue word: blue
// words an earlier search left behind mark a law opened from a category, the favourites or
// the recent laws, but do not move it; those open at the top or where the reader left them.
TEST_F(LawReadingTest, OnlyALawTextSearchsResultsOpenAtTheFirstBlueWord) {
    CMainFrame* frame = Start();
    CShowLawView* view = frame->GetLawView();
    QScrollBar* bar = view->verticalScrollBar();
    theEditionConfig.GetSearchWords() = {"特别事项"};
    ClickRow(frame, RowOf(frame, m_nLong));
    Pump(100);
    ASSERT_EQ(view->GetShownLawId(), m_nLong);
    EXPECT_NE(view->GetBodyHtml().find("<font color=#0033FF>特别事项"), std::string::npos);
    EXPECT_EQ(bar->value(), 0);

    // The search box's law-text search, a law clicked in its list, for a word in the middle
    // of the law: a third of the way down with text around it, not on the bottom edge.
    auto* box = frame->findChild<CSearchBox*>();
    ASSERT_NE(box, nullptr);
    int finished = 0;
    QObject::connect(box, &CSearchBox::searchFinished, [&] { ++finished; });
    auto type = [&](const QString& text) {
        const int before = finished;
        box->GetEdit()->setText(text);
        ASSERT_TRUE(WaitFor([&] { return finished > before; }));
    };
    ClickRow(frame, RowOf(frame, m_nShort));
    box->GetScope()->setCurrentIndex(1);
    box->GetBodyToggle()->setChecked(true);
    type(QStringLiteral("第一百二十条"));
    ClickRow(frame, RowOf(frame, m_nLong));
    Pump(200);
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("第一百二十条"));
    EXPECT_GT(bar->value(), 0);
    const QRect mark = view->cursorRect();
    EXPECT_GT(mark.top(), 0);
    EXPECT_LT(mark.top(), view->viewport()->height() / 2);

    // A title search in the box ends the blue words, as a category choice does.
    box->GetBodyToggle()->setChecked(false);
    type(QStringLiteral("法"));
    EXPECT_TRUE(theEditionConfig.GetSearchWords().empty());
    ClickRow(frame, RowOf(frame, m_nOther));
    ClickRow(frame, RowOf(frame, m_nLong));
    Pump(100);
    ASSERT_EQ(view->GetShownLawId(), m_nLong);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(view->GetBodyHtml().find("<font color=#0033FF>"), std::string::npos);

    // The reader leaves the law part-way down; a law-text search's words come back.
    bar->setValue(bar->maximum() / 3);
    const int left = bar->value();
    ASSERT_GT(left, 0);
    ClickRow(frame, RowOf(frame, m_nOther));
    box->GetBodyToggle()->setChecked(true);
    type(QStringLiteral("特别事项"));
    ASSERT_EQ(theEditionConfig.GetSearchWords(), std::vector<std::string>{"特别事项"});
    // From the recent laws (as from the favourites): where the reader left it.
    CLawRef law;
    for (const CLawRef& recent : frame->GetReader()->RecentLaws().Items())
        if (recent.m_nLawId == m_nLong)
            law = recent;
    ASSERT_EQ(law.m_nLawId, m_nLong);
    ASSERT_TRUE(frame->GetReader()->OpenLaw(law));
    Pump(200);
    EXPECT_EQ(view->GetShownLawId(), m_nLong);
    EXPECT_EQ(bar->value(), left);
}

// The keyboard alone: Down or Enter in the search box opens the first law found (Enter
// before the typing pause is over searches first), Enter or Space on a row shows its law
// and goes on to the page, Esc comes back to the box.
TEST_F(LawReadingTest, TheKeyboardOpensSearchResultsAndComesBackToTheBox) {
    CMainFrame* frame = Start();
    QApplication::setActiveWindow(frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    CTolvarinView* list = frame->GetListView();
    CShowLawView* view = frame->GetLawView();
    auto* box = frame->findChild<CSearchBox*>();
    ASSERT_NE(box, nullptr);
    QLineEdit* edit = box->GetEdit();
    box->GetScope()->setCurrentIndex(1);
    edit->setFocus();
    // Enter at once, within the typing pause.
    edit->setText(QStringLiteral("法"));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return view->GetShownLawId() == m_nLong; }));
    EXPECT_EQ(list->GetRow(0).m_nLawId, m_nLong);
    EXPECT_EQ(QApplication::focusWidget(), list->GetTable());
    EXPECT_EQ(list->GetTable()->currentIndex().row(), 0);

    // Down moves on and shows the next law; Enter reads it.
    QTest::keyClick(list->GetTable(), Qt::Key_Down);
    EXPECT_EQ(view->GetShownLawId(), m_nOther);
    QTest::keyClick(list->GetTable(), Qt::Key_Return);
    EXPECT_EQ(view->GetShownLawId(), m_nOther);
    EXPECT_EQ(QApplication::focusWidget(), view);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), m_nOther);

    // Esc on the page: back to the box, its text selected; Down opens the first law again.
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("法"));
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(view->GetShownLawId(), m_nLong);
    EXPECT_EQ(QApplication::focusWidget(), list->GetTable());

    // Space on a row, in an icon view too.
    frame->OnViewStyle(ID_VIEW_LARGEICON);
    list->GetIconView()->setFocus();
    list->GetIconView()->setCurrentIndex(list->GetModel()->index(1, CLawListModel::ColTopic));
    QTest::keyClick(list->GetIconView(), Qt::Key_Space);
    EXPECT_EQ(view->GetShownLawId(), m_nOther);
    EXPECT_EQ(QApplication::focusWidget(), view);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    frame->OnViewStyle(ID_VIEW_DETAILS);

    // Esc in the list comes back too; nothing found: Enter leaves the focus in the box.
    list->GetTable()->setFocus();
    QTest::keyClick(list->GetTable(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    int finished = 0;
    QObject::connect(box, &CSearchBox::searchFinished, [&] { ++finished; });
    edit->setText(QStringLiteral("没有的标题"));
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(WaitFor([&] { return finished > 0 && !list->IsListing(); }));
    Pump(50);
    EXPECT_EQ(list->GetRow(0).m_nLawId, 0);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(view->GetShownLawId(), m_nOther);
}

TEST_F(LawReadingTest, TextAsABrowserShowsIt) {
    CMainFrame* frame = Start();
    CShowLawView* view = frame->GetLawView();
    frame->GetListView()->OnRowClicked(RowOf(frame, m_nShort));
    const QString text = view->toPlainText();
    EXPECT_NE(text.indexOf(QStringLiteral("公安部关于修改<机动车登记规定>的决定")), -1)
        << text.toStdString();
    EXPECT_NE(text.indexOf(QStringLiteral("比较 x<5 与 a < b")), -1) << text.toStdString();
    // Full-width blanks, also those made of two blanks, keep their width.
    EXPECT_NE(text.indexOf(QStringLiteral("5.1\u3000颅脑\u3000损伤")), -1) << text.toStdString();
}

TEST_F(LawReadingTest, ZoomIsRememberedAndTheOutlineJumps) {
    CMainFrame* frame = Start();
    CShowLawView* view = frame->GetLawView();
    const int size = view->font().pointSize();
    Key(frame, Qt::Key_Plus, Qt::ControlModifier);
    Key(frame, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(view->font().pointSize(), size + 2);
    EXPECT_EQ(QSettings().value(CShowLawView::kZoomKey).toInt(), 2);
    Key(frame, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(QSettings().value(CShowLawView::kZoomKey).toInt(), 1);
    {
        CShowLawView another(nullptr);
        EXPECT_EQ(another.GetZoom(), 1);
    }
    Key(frame, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(view->font().pointSize(), size);
    EXPECT_EQ(QSettings().value(CShowLawView::kZoomKey).toInt(), 0);

    // The lines stop at a readable length on a wide window.
    frame->resize(2400, 900);
    Pump(50);
    EXPECT_LE(view->viewport()->width(), view->ReadableWidth() + 1);

    frame->GetListView()->OnRowClicked(RowOf(frame, m_nLong));
    CLawOutline* outline = frame->findChild<CLawOutline*>();
    ASSERT_NE(outline, nullptr);
    ASSERT_EQ(outline->Headings().size(), 2u + 240u);
    EXPECT_EQ(outline->Headings()[0].m_strLabel, QStringLiteral("第一章 总则"));
    EXPECT_EQ(outline->Headings()[233].m_strLabel, QStringLiteral("第二百三十二条"));
    EXPECT_EQ(CLawOutline::ArticleFromNumber(QStringLiteral("232")),
              QStringLiteral("第二百三十二条"));
    EXPECT_EQ(CLawOutline::ArticleFromNumber(QStringLiteral("110")),
              QStringLiteral("第一百一十条"));
    EXPECT_EQ(CLawOutline::ArticleFromNumber(QStringLiteral("12")), QStringLiteral("第十二条"));
    const int target = outline->Headings()[233].m_nPosition;
    const int before = outline->Headings()[232].m_nPosition;
    for (const char* typed : {"第二百三十二条", "232"}) {
        view->verticalScrollBar()->setValue(0);
        outline->lineEdit()->setText(QString::fromUtf8(typed));
        QTest::keyClick(outline->lineEdit(), Qt::Key_Return);
        // The article near the top, the line before it still in view above it.
        EXPECT_EQ(view->TopPosition(), before) << typed;
        EXPECT_TRUE(InView(view, target)) << typed;
        EXPECT_EQ(outline->HeadingAt(view->ReadingPosition()), 233) << typed;
    }
    EXPECT_FALSE(outline->GoTo(QStringLiteral("第九百条")));
    // The box opens at the article under the top of the view, wherever the reader scrolled.
    outline->setCurrentIndex(0);
    outline->GoTo(QStringLiteral("第一百条"));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + 1);
    const int reading = outline->HeadingAt(view->ReadingPosition());
    EXPECT_EQ(outline->Headings()[static_cast<size_t>(reading)].m_strLabel,
              QStringLiteral("第一百条"));
    outline->showPopup();
    EXPECT_EQ(outline->currentIndex(), reading);
    outline->hidePopup();
}

TEST_F(LawReadingTest, MarksStayReadableOnADarkPalette) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    auto contrast = [&](const QColor& a, const QColor& b) {
        const double x = luminance(a), y = luminance(b);
        return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
    };
    CMainFrame* frame = Start();
    CShowLawView* view = frame->GetLawView();
    QPalette dark = view->palette();
    dark.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
    dark.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
    view->setPalette(dark);
    ASSERT_TRUE(view->IsDarkPalette());
    for (bool find : {false, true})
        EXPECT_GE(contrast(CShowLawView::MarkColor(find, true), dark.color(QPalette::Base)), 4.5);
    theEditionConfig.GetSearchWords() = {"附则"};
    frame->GetListView()->OnRowClicked(RowOf(frame, m_nLong));
    FindWords(frame, "第二百条");
    EXPECT_EQ(view->GetFindCount(), 1);
    ASSERT_TRUE(view->FindNext());
    EXPECT_EQ(view->textCursor().charFormat().foreground().color(),
              CShowLawView::MarkColor(true, true));
    ASSERT_TRUE(view->ScrollToFirstMark(false));
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("附则"));
}

TEST(LawViewLongPage, ShowsTheBeginningAtOnceAndTheWholeFromAWorker) {
    CShowLawView view(nullptr);
    view.resize(800, 600);
    view.show();
    view.OnInitialUpdate();
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    std::string page = "<div>开头</div>";
    while (page.size() <= CMoreHtmlView::kBackgroundBytes)
        page += "第一条　某某事项应当依法办理。<br>";
    page += "结尾";
    int shown = 0;
    QObject::connect(&view, &CMoreHtmlView::pageShown, [&] { ++shown; });
    ASSERT_TRUE(view.SetBodyHtml(page));
    EXPECT_TRUE(view.IsLoading());
    EXPECT_NE(view.toPlainText().indexOf(QStringLiteral("开头")), -1);
    EXPECT_EQ(view.toPlainText().indexOf(QStringLiteral("结尾")), -1);
    ASSERT_TRUE(WaitFor([&] { return !view.IsLoading(); }, 120000));
    EXPECT_EQ(shown, 1);
    EXPECT_NE(view.toPlainText().indexOf(QStringLiteral("结尾")), -1);
    // Every line is a block of its own, so the layout needs only what is in view.
    EXPECT_GT(view.document()->blockCount(), 20000);

    // A page given while a worker still parses the previous one wins.
    ASSERT_TRUE(view.SetBodyHtml(page));
    ASSERT_TRUE(view.SetBodyHtml("<b>短</b>"));
    EXPECT_FALSE(view.IsLoading());
    ASSERT_TRUE(WaitFor([] { return CMoreHtmlView::RunningParsers() == 0; }, 120000));
    Pump(50);
    EXPECT_EQ(view.toPlainText().trimmed(), QStringLiteral("短"));
}

// A law far longer than any real one (the update accepts up to 256 MB) is shown in parts:
// the view never holds more than one part, and links lead from part to part.
TEST(LawViewLongPage, AHugePageIsShownInPartsWithLinksBetweenThem) {
    CShowLawView view(nullptr);
    view.resize(800, 600);
    view.show();
    view.OnInitialUpdate();
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    std::string page = "<div>开头</div>";
    while (page.size() <= CMoreHtmlView::kPartBytes * 2 + CMoreHtmlView::kPartBytes / 2)
        page += "第一条　某某事项应当依法办理。<br>";
    page += "结尾";
    ASSERT_TRUE(view.SetBodyHtml(page));
    ASSERT_TRUE(WaitFor([&] { return !view.IsLoading(); }, 120000));
    // Parts are cut from the page as prepared for the view, which is a little longer.
    const int count = view.PartCount();
    ASSERT_GE(count, 3);
    EXPECT_EQ(view.CurrentPart(), 0);
    EXPECT_LE(view.ShownBodyHtml().size(), CMoreHtmlView::kPartBytes + 4096);
    const QString first = view.toPlainText();
    EXPECT_NE(first.indexOf(QStringLiteral("开头")), -1);
    EXPECT_EQ(first.indexOf(QStringLiteral("结尾")), -1);
    EXPECT_NE(view.document()->toHtml().indexOf(QStringLiteral("tolvarin-part:2")), -1);

    // The link to the last part, as a click on it arrives.
    emit view.anchorClicked(QUrl(QStringLiteral("tolvarin-part:%1").arg(count)));
    ASSERT_TRUE(WaitFor([&] { return !view.IsLoading(); }, 120000));
    EXPECT_EQ(view.CurrentPart(), count - 1);
    const QString last = view.toPlainText();
    EXPECT_NE(last.indexOf(QStringLiteral("结尾")), -1);
    EXPECT_EQ(last.indexOf(QStringLiteral("开头")), -1);
    EXPECT_NE(view.document()->toHtml().indexOf(QStringLiteral("tolvarin-part:%1").arg(count - 1)),
              -1);

    // Links that lead nowhere change nothing; a new law starts at its first part.
    emit view.anchorClicked(QUrl(QStringLiteral("tolvarin-part:%1").arg(count + 1)));
    EXPECT_EQ(view.CurrentPart(), count - 1);
    ASSERT_TRUE(view.SetBodyHtml(page));
    EXPECT_EQ(view.CurrentPart(), 0);
    ASSERT_TRUE(WaitFor([] { return CMoreHtmlView::RunningParsers() == 0; }, 120000));
}

namespace {

// The text of a PDF file as pdftotext reads it.
QString PdfText(const QString& file) {
    QProcess run;
    run.start(QStringLiteral("pdftotext"),
              {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    if (!run.waitForFinished(120000))
        return {};
    return QString::fromUtf8(run.readAllStandardOutput());
}

} // namespace

// A law shown in parts prints whole: Ctrl+P, the preview and "另存为 PDF" cover the last
// part as well as the first, whichever part is on screen, and the window keeps taking events
// while the pages are made.
TEST(LawViewLongPage, PrintingPreviewAndPdfCoverEveryPartOfALawShownInParts) {
    CShowLawView view(nullptr);
    view.resize(800, 600);
    view.show();
    view.OnInitialUpdate();
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    std::string page = "<div>开头</div>";
    while (page.size() <= CMoreHtmlView::kPartBytes + CMoreHtmlView::kPartBytes / 2)
        page += "第一条　某某事项应当依法办理。<br>";
    page += "结尾";
    ASSERT_TRUE(view.SetBodyHtml(page));
    ASSERT_TRUE(WaitFor([&] { return !view.IsLoading(); }, 120000));
    ASSERT_GE(view.PartCount(), 2);
    QTemporaryDir dir;

    // Printed at once, from the first part on screen.
    const QString whole = dir.filePath(QStringLiteral("whole.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(whole);
        view.PrintTo(&printer);
    }
    const QString text = PdfText(whole);
    EXPECT_NE(text.indexOf(QStringLiteral("开头")), -1);
    EXPECT_NE(text.indexOf(QStringLiteral("结尾")), -1);

    // "另存为 PDF" from the last part, in the background.
    view.ShowPart(view.PartCount() - 1);
    ASSERT_TRUE(WaitFor([&] { return !view.IsLoading(); }, 120000));
    int ended = 0;
    bool ok = false;
    QObject::connect(&view, &CShowLawView::printFinished, [&](bool result) {
        ++ended;
        ok = result;
    });
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    const QString exported = dir.filePath(QStringLiteral("exported.pdf"));
    view.ExportPdfTo(exported);
    ASSERT_NE(view.GetPrintRun(), nullptr);
    EXPECT_EQ(ticks, 0);
    ASSERT_TRUE(WaitFor([&] { return ended == 1; }, 300000));
    EXPECT_TRUE(ok);
    EXPECT_GT(ticks, 2);
    const QString exportedText = PdfText(exported);
    EXPECT_NE(exportedText.indexOf(QStringLiteral("开头")), -1);
    EXPECT_NE(exportedText.indexOf(QStringLiteral("结尾")), -1);

    // The preview shows every page of the law.
    const std::unique_ptr<CPrintDocument> doc =
        CPrintDocument::Build(view.GetBodyHtml(), QString(), QApplication::font(),
                              CPrintDocument::CPaper::Of(view.GetPrinter()));
    int previewPages = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        if (auto* pages = preview->findChild<QPrintPreviewWidget*>()) {
            pages->updatePreview();
            previewPages = pages->pageCount();
        }
        preview->reject();
    });
    watch.start(20);
    view.OnPrintPreview();
    ASSERT_TRUE(WaitFor([&] { return ended == 2; }, 300000));
    watch.stop();
    EXPECT_GT(doc->Pages(), 40);
    EXPECT_EQ(previewPages, doc->Pages());

    // A cancelled export stops the worker and leaves no file.
    const QString cancelled = dir.filePath(QStringLiteral("cancelled.pdf"));
    view.ExportPdfTo(cancelled);
    ASSERT_NE(view.GetPrintRun(), nullptr);
    view.GetPrintRun()->Cancel();
    ASSERT_TRUE(WaitFor([&] { return ended == 3; }, 60000));
    EXPECT_FALSE(ok);
    EXPECT_EQ(view.GetPrintRun(), nullptr);
    ASSERT_TRUE(WaitFor([] { return CPrintJob::Running() == 0; }, 120000));
    Pump(50);
    EXPECT_FALSE(QFile::exists(cancelled));
    ASSERT_TRUE(WaitFor([] { return CMoreHtmlView::RunningParsers() == 0; }, 120000));
}

// Every law of the corpus prints; the longest is printed here from a shown view.
TEST(LawViewPrinting, PrintsTheLongestCorpusLaw) {
    const char* corpus = std::getenv("TOLVARIN_CORPUS");
    CCorpusStream in(corpus ? corpus : "");
    if (!in.IsOpen())
        GTEST_SKIP() << "no corpus at TOLVARIN_CORPUS";
    std::string line, title, body;
    while (std::getline(in, line)) {
        const auto law = nlohmann::json::parse(line);
        const std::string text = law.value("body", "");
        if (text.size() > body.size()) {
            body = text;
            title = law.value("title", "");
        }
    }
    ASSERT_TRUE(in.Error().empty()) << in.Error();
    ASSERT_FALSE(body.empty());
    theEditionConfig = CEditionConfig();
    CMessageRecorder messages;
    CTestDatabase db;
    const int id = db.AddLaw(0, title, "2012-11-22 00:00:00", "", "", body);
    CTolvarinDoc doc;
    ASSERT_TRUE(doc.ConnectDatabase());
    CShowLawView view(&doc);
    view.resize(800, 600);
    view.show();
    view.OnInitialUpdate();
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    view.ShowLaw(id);
    ASSERT_TRUE(WaitFor([&] { return !view.IsLoading(); }, 120000));
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("longest.pdf")));
    QElapsedTimer timer;
    timer.start();
    view.PrintTo(&printer);
    QFile pdf(printer.outputFileName());
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    // Many pages: the whole law, not its first screen.
    EXPECT_GT(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), 50) << timer.elapsed();
    EXPECT_TRUE(messages.Messages().empty());
}

// The find bar on the longest corpus law (the Civil Code, 111,827 characters): every
// occurrence counted, also of a one-character text found thousands of times, whose marks are
// kept to those around the one selected so painting stays quick; the time is measured by
// perf-gui-bench.
TEST(LawViewFindBar, CountsEveryOccurrenceInTheLongestCorpusLaw) {
    const char* corpus = std::getenv("TOLVARIN_CORPUS");
    CCorpusStream in(corpus ? corpus : "");
    if (!in.IsOpen())
        GTEST_SKIP() << "no corpus at TOLVARIN_CORPUS";
    std::string line, title, body;
    while (std::getline(in, line)) {
        const auto law = nlohmann::json::parse(line);
        const std::string text = law.value("body", "");
        if (text.size() > body.size()) {
            body = text;
            title = law.value("title", "");
        }
    }
    ASSERT_FALSE(body.empty());
    theEditionConfig = CEditionConfig();
    CMessageRecorder messages;
    CTestDatabase db;
    const int id = db.AddLaw(0, title, "2020-05-28 00:00:00", "", "", body);
    CTolvarinDoc doc;
    ASSERT_TRUE(doc.ConnectDatabase());
    CShowLawView view(&doc);
    view.resize(800, 600);
    view.show();
    view.OnInitialUpdate();
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    view.ShowLaw(id);
    ASSERT_TRUE(WaitFor([&] { return !view.IsLoading(); }, 120000));
    const QString text = view.document()->toRawText();
    CFindBar* bar = view.GetFindBar();
    bar->Open();
    for (const QString& what : {QStringLiteral("合同"), QStringLiteral("的")}) {
        bar->GetEdit()->setText(what);
        bar->SearchNow();
        EXPECT_EQ(bar->GetCount(), text.count(what)) << what.toStdString();
        EXPECT_GT(bar->GetCount(), 100);
        EXPECT_EQ(view.textCursor().selectedText(), what);
        EXPECT_LE(view.extraSelections().size(), 4000);
        // Back one, round to the last before the first; the one selected is among the marks.
        const int current = bar->GetCurrent();
        ASSERT_TRUE(bar->FindNext(true));
        EXPECT_EQ(bar->GetCurrent(), current > 1 ? current - 1 : bar->GetCount());
        const int selected = view.textCursor().selectionStart();
        EXPECT_LE(view.extraSelections().front().cursor.selectionStart(), selected);
        EXPECT_GE(view.extraSelections().back().cursor.selectionStart(), selected);
    }
    bar->Close();
    EXPECT_TRUE(view.extraSelections().isEmpty());
}
