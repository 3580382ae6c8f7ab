// The reader's memory in the window: back and forward, favourites, recent laws, the state
// that comes back at the next start, and a later start handing its request to the window.
#include "GuiTestUtil.h"
#include "TestDatabase.h"

#include "app/MainFrame.h"
#include "app/SingleInstance.h"
#include "app/TolvarinApp.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "reader/LawRef.h"
#include "reader/gui/FavouritesDlg.h"
#include "reader/gui/Reader.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLocalSocket>
#include <QMenu>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <memory>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kCatA = 0x2000000;
constexpr int kCatB = 0x4000000;

std::string LongBody(const std::string& name) {
    std::string body;
    for (int i = 1; i <= 300; ++i)
        body += name + " 第" + std::to_string(i) + "条 条文内容。\n";
    return body;
}

struct Collection {
    int l1, l2, l3, l4, e1;
};

Collection Fill(CTestDatabase& db) {
    db.AddCategory(0, kCatA, 0, "甲类", 2, 0);
    db.AddCategory(0, kCatB, 0, "乙类", 1, 0);
    db.AddCategory(1, kCatA, 0, "Civil", 1, 0);
    Collection c{};
    c.l1 = db.AddLaw(0, "一号法", "2001-01-01 00:00:00", "一", "", LongBody("一号法"));
    c.l2 = db.AddLaw(0, "二号法", "2002-01-01 00:00:00", "二", "", LongBody("二号法"));
    c.l3 = db.AddLaw(0, "三号法", "2003-01-01 00:00:00", "三", "", LongBody("三号法"));
    c.l4 = db.AddLaw(0, "乙法", "2004-01-01 00:00:00", "四", "", "乙");
    c.e1 = db.AddLaw(1, "Civil Code", "2005-03-03 00:00:00", "No. 1", "NPC", LongBody("Art."));
    for (int lawid : {c.l1, c.l2, c.l3})
        db.Link(0, lawid, kCatA);
    db.Link(0, c.l4, kCatB);
    db.Link(1, c.e1, kCatA);
    db.Exec("update dornlaws set oldid='S2' where lawid=" + std::to_string(c.l2));
    return c;
}

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        theEditionConfig = CEditionConfig();
        QSettings().clear();
    }
    void TearDown() override {
        Stop();
        CloseListQueryConnection();
        theEditionConfig = CEditionConfig();
    }

    CMainFrame* Start(QStringList extra = {}) {
        theEditionConfig = CEditionConfig();
        m_app = std::make_unique<CTolvarinApp>();
        EXPECT_TRUE(m_app->InitInstance(QStringList{"tolvarin", "--nosplash"} + extra));
        CMainFrame* frame = m_app->GetMainFrame();
        EXPECT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
        EXPECT_TRUE(WaitFor([&] { return frame->GetLawView()->HasDocument(); }));
        return frame;
    }

    // Closes the window as the user would, which saves its state, and ends the program.
    void Stop() {
        if (!m_app)
            return;
        CMainFrame* frame = m_app->GetMainFrame();
        EXPECT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
        frame->close();
        EXPECT_TRUE(WaitFor([&] { return !frame->isVisible(); }));
        m_app.reset();
        EXPECT_TRUE(WaitForListQueriesIdle(std::chrono::seconds(30)));
    }

    static void Select(CMainFrame* frame, const QString& text) {
        QTreeWidget* tree = frame->GetLeftView()->GetCurrentTree();
        const auto items = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(items.isEmpty());
        tree->setCurrentItem(items.front());
        ASSERT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
    }

    // Clicks the list's row of a law.
    // The listing of a category just selected may still be on its way: the row is waited for.
    static void Open(CMainFrame* frame, int lawid) {
        CTolvarinView* list = frame->GetListView();
        int found = -1;
        WaitFor([&] {
            if (list->IsListing())
                return false;
            for (int row = 0; row < list->GetRowCount(); ++row)
                if (list->GetRow(row).m_nLawId == lawid)
                    found = row;
            return found >= 0;
        });
        if (found < 0)
            FAIL() << "law " << lawid << " is not listed";
        list->OnRowClicked(found);
    }

    static bool Shows(CMainFrame* frame, const std::string& text) {
        return frame->GetLawView()->GetBodyHtml().find(text) != std::string::npos;
    }

    static QScrollBar* Scroll(CMainFrame* frame) {
        return frame->GetLawView()->verticalScrollBar();
    }

    static std::vector<int> RecentIds(CMainFrame* frame) {
        std::vector<int> ids;
        for (const CLawRef& law : frame->GetReader()->RecentLaws().Items())
            ids.push_back(law.m_nLawId);
        return ids;
    }

    CMessageRecorder m_messages;
    std::unique_ptr<CTolvarinApp> m_app;
};

} // namespace

TEST_F(ReaderTest, WalkBackAndForwardThenFindEverythingAfterARestart) {
    CTestDatabase db;
    const Collection c = Fill(db);
    CMainFrame* frame = Start();
    frame->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == frame; }, 5000));
    Select(frame, "甲类");
    EXPECT_FALSE(frame->Action(ID_HISTORY_BACK)->isEnabled());

    Open(frame, c.l1);
    ASSERT_TRUE(WaitFor([&] { return Scroll(frame)->maximum() > 400; }));
    Scroll(frame)->setValue(120);
    Open(frame, c.l2);
    ASSERT_TRUE(WaitFor([&] { return Scroll(frame)->maximum() > 400; }));
    Scroll(frame)->setValue(240);
    Open(frame, c.l3);
    ASSERT_TRUE(Shows(frame, "三号法"));
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_HISTORY_BACK)->isEnabled());
    EXPECT_FALSE(frame->Action(ID_HISTORY_FORWARD)->isEnabled());

    // Back by the command, back by Alt+Left on the page, forward by the mouse's button.
    EXPECT_TRUE(frame->ExecuteCommand(ID_HISTORY_BACK));
    EXPECT_TRUE(Shows(frame, "二号法"));
    EXPECT_TRUE(WaitFor([&] { return Scroll(frame)->value() == 240; }));
    frame->GetLawView()->setFocus();
    QTest::keyClick(frame->GetLawView(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_TRUE(Shows(frame, "一号法"));
    EXPECT_EQ(theEditionConfig.GetCurLawId(), c.l1);
    EXPECT_TRUE(WaitFor([&] { return Scroll(frame)->value() == 120; }));
    QTest::mouseClick(frame->GetLawView()->viewport(), Qt::ForwardButton);
    EXPECT_TRUE(Shows(frame, "二号法"));
    EXPECT_EQ(theEditionConfig.GetCurLawId(), c.l2);
    EXPECT_TRUE(WaitFor([&] { return Scroll(frame)->value() == 240; }));
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_HISTORY_FORWARD)->isEnabled());

    // Ctrl+D adds the shown law to the favourites.
    QTest::keyClick(frame->GetLawView(), Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(frame->GetReader()->Favourites().Items().size(), 1u);
    EXPECT_EQ(frame->GetReader()->Favourites().Items()[0].m_law.m_strOldId, "S2");
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_FAVOURITE_TOGGLE)->isChecked());
    EXPECT_EQ(RecentIds(frame), (std::vector<int>{c.l2, c.l1, c.l3}));

    auto* outer = frame->findChild<QSplitter*>(QStringLiteral("OuterSplitter"));
    auto* inner = frame->findChild<QSplitter*>(QStringLiteral("InnerSplitter"));
    outer->setSizes({310, 600});
    inner->setSizes({150, 400});
    const QList<int> outerSizes = outer->sizes();
    const QList<int> innerSizes = inner->sizes();
    frame->GetListView()->GetTable()->horizontalHeader()->resizeSection(1, 333);
    Stop();

    frame = Start();
    outer = frame->findChild<QSplitter*>(QStringLiteral("OuterSplitter"));
    inner = frame->findChild<QSplitter*>(QStringLiteral("InnerSplitter"));
    EXPECT_EQ(outer->sizes(), outerSizes);
    EXPECT_EQ(inner->sizes(), innerSizes);
    EXPECT_EQ(frame->GetListView()->GetTable()->horizontalHeader()->sectionSize(1), 333);
    QTreeWidgetItem* current = frame->GetLeftView()->GetCurrentTree()->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text(0), "甲类");
    EXPECT_EQ(theEditionConfig.GetCurTreeId(), kCatA);
    EXPECT_EQ(frame->GetListView()->GetRowCount(), 3);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), c.l2);
    EXPECT_TRUE(Shows(frame, "二号法"));
    EXPECT_TRUE(WaitFor([&] { return Scroll(frame)->value() == 240; }));

    CReader* reader = frame->GetReader();
    ASSERT_EQ(reader->Favourites().Items().size(), 1u);
    EXPECT_EQ(reader->Favourites().Items()[0].m_law.m_strTitle, "二号法");
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_FAVOURITE_TOGGLE)->isChecked());
    EXPECT_EQ(RecentIds(frame), (std::vector<int>{c.l2, c.l1, c.l3}));

    // The recent menu lists them newest first and opens them.
    auto* recent = frame->findChild<QMenu*>(QStringLiteral("RecentMenu"));
    ASSERT_NE(recent, nullptr);
    emit recent->aboutToShow();
    QStringList texts;
    for (QAction* action : recent->actions())
        if (!action->isSeparator())
            texts.push_back(action->text());
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts[0], "&1 二号法（2002-01-01，二）");
    EXPECT_EQ(texts[2], "&3 三号法（2003-01-01，三）");
    recent->actions()[2]->trigger();
    EXPECT_TRUE(Shows(frame, "三号法"));
    EXPECT_TRUE(frame->ExecuteCommand(ID_HISTORY_BACK));
    EXPECT_TRUE(Shows(frame, "二号法"));

    // The favourites menu opens the favourite too.
    auto* favourites = frame->findChild<QMenu*>(QStringLiteral("FavouritesMenu"));
    ASSERT_NE(favourites, nullptr);
    emit favourites->aboutToShow();
    QAction* entry = favourites->actions().last();
    EXPECT_EQ(entry->text(), "二号法（2002-01-01，二）");
    Open(frame, c.l1);
    entry->trigger();
    EXPECT_EQ(theEditionConfig.GetCurLawId(), c.l2);
}

TEST_F(ReaderTest, EditionStyleAndOtherEditionComeBackAndResetLayoutForgetsThem) {
    CTestDatabase db;
    const Collection c = Fill(db);
    CMainFrame* frame = Start();
    Select(frame, "乙类");
    Open(frame, c.l4);
    EXPECT_TRUE(frame->ExecuteCommand(ID_EDITION_EN));
    Select(frame, "Civil");
    Open(frame, c.e1);
    EXPECT_TRUE(frame->ExecuteCommand(ID_VIEW_LIST));
    Stop();

    frame = Start();
    EXPECT_EQ(theEditionConfig.GetEdition(), 1);
    EXPECT_TRUE(frame->Action(ID_EDITION_EN)->isChecked());
    EXPECT_EQ(frame->GetLeftView()->GetCurrentTree(), frame->GetLeftView()->GetTree(1));
    EXPECT_EQ(theEditionConfig.GetCurTreeId(), kCatA);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), c.e1);
    EXPECT_TRUE(Shows(frame, "Civil Code"));
    EXPECT_EQ(frame->GetListView()->GetStyle(), CTolvarinView::Style::List);
    // The Chinese edition kept its own category and law for the switch back.
    EXPECT_TRUE(frame->ExecuteCommand(ID_EDITION_ZH));
    EXPECT_EQ(theEditionConfig.GetCurTreeId(), kCatB);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), c.l4);
    ASSERT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
    EXPECT_EQ(frame->GetListView()->GetRowCount(), 1);
    frame->GetReader()->ToggleFavourite();
    Stop();

    // --reset-layout: the start-up defaults, but the favourites stay.
    frame = Start({QStringLiteral("--reset-layout")});
    EXPECT_EQ(theEditionConfig.GetEdition(), 0);
    EXPECT_EQ(theEditionConfig.GetCurTreeId(), 0);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), 0);
    EXPECT_EQ(frame->GetListView()->GetStyle(), CTolvarinView::Style::Report);
    EXPECT_EQ(frame->GetListView()->GetRowCount(), 4);
    EXPECT_EQ(frame->GetReader()->Favourites().Items().size(), 1u);
}

TEST_F(ReaderTest, RememberedLawsThatAreGoneAreNotShown) {
    CTestDatabase db;
    const Collection c = Fill(db);
    CMainFrame* frame = Start();
    Select(frame, "甲类");
    Open(frame, c.l2);
    frame->GetReader()->ToggleFavourite();
    Stop();

    // The collection was replaced: law S2 is gone, another law took its lawid.
    db.Exec("delete from dornlaws where lawid=" + std::to_string(c.l2));
    db.Exec("insert into dornlaws (lawid, topic, oldid) values (" + std::to_string(c.l2) +
            ", '别的法', 'S9')");
    frame = Start();
    EXPECT_EQ(theEditionConfig.GetCurLawId(), 0);
    EXPECT_FALSE(Shows(frame, "别的法"));
    m_messages.Clear();
    const CLawRef favourite = frame->GetReader()->Favourites().Items()[0].m_law;
    EXPECT_FALSE(frame->GetReader()->OpenLaw(favourite));
    EXPECT_FALSE(Shows(frame, "别的法"));
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_NE(m_messages.Messages()[0].text.find("二号法"), std::string::npos);
}

TEST_F(ReaderTest, FavouritesDialogEditsNotesDeletesExportsAndImports) {
    CTestDatabase db;
    const Collection c = Fill(db);
    CMainFrame* frame = Start();
    Select(frame, "甲类");
    for (int lawid : {c.l1, c.l3}) {
        Open(frame, lawid);
        frame->GetReader()->ToggleFavourite();
    }
    CFavourites& favourites = frame->GetReader()->Favourites();
    ASSERT_EQ(favourites.Items().size(), 2u);
    {
        CFavouritesDlg dialog(favourites, frame);
        dialog.show();
        QTableWidget* table = dialog.GetTable();
        ASSERT_EQ(table->rowCount(), 2);
        EXPECT_EQ(table->item(1, 0)->text(), "三号法（2003-01-01，三）");
        table->item(1, 2)->setText("看第三条");
        EXPECT_EQ(favourites.Items()[1].m_strNote, "看第三条");
        table->selectionModel()->select(table->model()->index(0, 0),
                                        QItemSelectionModel::ClearAndSelect |
                                            QItemSelectionModel::Rows);
        dialog.DeleteSelected();
        ASSERT_EQ(favourites.Items().size(), 1u);
        EXPECT_EQ(table->rowCount(), 1);
    }
    QTemporaryDir dir;
    const QString file = dir.filePath("favourites.json");
    ASSERT_TRUE(frame->GetReader()->ExportFavourites(file));
    favourites.Clear();
    ASSERT_TRUE(frame->GetReader()->ImportFavourites(file));
    ASSERT_EQ(favourites.Items().size(), 1u);
    EXPECT_EQ(favourites.Items()[0].m_strNote, "看第三条");

    // A file that is no list is refused with a message; the list stays as it is.
    QFile bad(dir.filePath("bad.json"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("{\"format\":\"tolvarin-favourites\",\"items\":[{\"edition\":5}]}");
    bad.close();
    m_messages.Clear();
    EXPECT_FALSE(frame->GetReader()->ImportFavourites(bad.fileName()));
    EXPECT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_FALSE(frame->GetReader()->ImportFavourites(dir.filePath("missing.json")));
    EXPECT_EQ(favourites.Items().size(), 1u);
    // Nor is an export to a place that cannot be written reported as done.
    EXPECT_FALSE(frame->GetReader()->ExportFavourites(dir.filePath("no/such/dir/f.json")));
}

TEST_F(ReaderTest, CommandLineOpensALawOrASearch) {
    CTestDatabase db;
    const Collection c = Fill(db);
    CMainFrame* frame = Start({QStringLiteral("三号法")});
    EXPECT_EQ(theEditionConfig.GetCurLawId(), c.l3);
    EXPECT_TRUE(Shows(frame, "三号法"));
    Stop();
    frame = Start({QStringLiteral("--search"), QStringLiteral("号法")});
    ASSERT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
    EXPECT_EQ(frame->GetListView()->GetRowCount(), 3);
    frame->GetReader()->OpenLawByTitleOrId(QString::number(c.l4));
    EXPECT_TRUE(Shows(frame, "乙法"));
}

TEST_F(ReaderTest, ALaterStartHandsItsLawToTheRunningWindow) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    CTestDatabase db;
    const Collection c = Fill(db);
    CMainFrame* frame = Start();
    const QString name = CSingleInstance::NameFor(QDir::currentPath());
    ASSERT_TRUE(m_app->ListenForOtherStarts(name));
    EXPECT_TRUE(name.startsWith(runtime.path()));

    const struct {
        QStringList args;
        int lawid;
        const char* shown;
    } cases[] = {
        {{"--law", QString::number(c.l3)}, c.l3, "三号法"},
        {{"一号法"}, c.l1, "一号法"},
    };
    for (const auto& step : cases) {
        QProcess second;
        second.setWorkingDirectory(QDir::currentPath());
        second.start(QStringLiteral(TOLVARIN_EXE), step.args);
        ASSERT_TRUE(second.waitForStarted(10000));
        // The window answers on this thread's event loop while the second start waits.
        ASSERT_TRUE(WaitFor([&] { return second.state() == QProcess::NotRunning; }, 30000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
        EXPECT_EQ(theEditionConfig.GetCurLawId(), step.lawid);
        EXPECT_TRUE(Shows(frame, step.shown));
    }
    // One window per collection: a second listener on the same name is refused.
    CSingleInstance other(name);
    EXPECT_FALSE(other.Listen());
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(SingleInstanceTest, DeliversArgumentsWhole_RefusesGarbage_TakesOverADeadSocket) {
    QTemporaryDir dir;
    const QString name = dir.filePath("sock");
    EXPECT_FALSE(CSingleInstance::SendToRunning(name, {"tolvarin"}, 500));
    QStringList received;
    int calls = 0;
    {
        CSingleInstance server(name);
        ASSERT_TRUE(server.Listen());
        QObject::connect(&server, &CSingleInstance::argumentsReceived,
                         [&](const QStringList& args) {
                             received = args;
                             ++calls;
                         });
        // A client that lies about its length, and one that sends no whole message.
        for (const QByteArray& junk : {QByteArray("\xff\xff\xff\xff", 4), QByteArray("\0\0", 2),
                                       QByteArray("\0\0\0\3abc", 7)}) {
            QLocalSocket client;
            client.connectToServer(name);
            ASSERT_TRUE(client.waitForConnected(2000));
            client.write(junk);
            client.flush();
            Pump(100);
        }
        EXPECT_EQ(calls, 0);
        const QStringList args{"tolvarin", "--search", "合同 法", "", "a\nb"};
        bool sent = false;
        std::thread sender([&] { sent = CSingleInstance::SendToRunning(name, args); });
        EXPECT_TRUE(WaitFor([&] { return calls == 1; }));
        sender.join();
        EXPECT_TRUE(sent);
        EXPECT_EQ(received, args);
    }
    // The socket file a killed instance leaves behind does not keep the next one from
    // listening, and nobody answers on it meanwhile.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    ASSERT_LT(static_cast<size_t>(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(fd);
    ASSERT_TRUE(QFile::exists(name));
    EXPECT_FALSE(CSingleInstance::SendToRunning(name, {"tolvarin"}, 500));
    CSingleInstance next(name);
    EXPECT_TRUE(next.Listen());
}

// A favourites list in the settings that cannot be read (here 16 MB of brackets) is refused
// without being parsed, kept aside as it was and named in a message; the window starts with
// no favourites and stores a readable list again.
TEST_F(ReaderTest, AnUnreadableFavouritesListIsKeptAsideAndReported) {
    CTestDatabase db;
    Fill(db);
    const QString junk = QString(16 << 20, QLatin1Char('['));
    QSettings().setValue(QStringLiteral("Reader/Favourites"), junk);
    CMainFrame* frame = Start();
    EXPECT_TRUE(frame->GetReader()->Favourites().IsEmpty());
    EXPECT_TRUE(WaitFor([&] { return !m_messages.Messages().empty(); }, 5000));
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_NE(m_messages.Messages()[0].text.find("Reader/Favourites.unreadable"), std::string::npos)
        << m_messages.Messages()[0].text;
    EXPECT_TRUE(QSettings().value(QStringLiteral("Reader/Favourites.unreadable")).toString() ==
                junk);
    Stop();
    EXPECT_TRUE(CFavourites().FromJson(
        QSettings().value(QStringLiteral("Reader/Favourites")).toString().toStdString()));
}

// Laws of the same title are told apart by their date and number in the recent laws, the
// favourites and their dialog; Back makes the list's selection follow the law shown.
TEST_F(ReaderTest, SameTitlesShowTheirDatesAndBackMovesTheListSelection) {
    CTestDatabase db;
    const int older = db.AddLaw(0, "中华人民共和国刑法", "1979-07-06 00:00:00", "", "", "旧");
    const int newer =
        db.AddLaw(0, "中华人民共和国刑法", "2020-12-26 00:00:00", "主席令第六十六号", "", "新");
    const int other = db.AddLaw(0, "民法典", "2020-05-28 00:00:00", "", "", "民");
    CMainFrame* frame = Start();
    CTolvarinView* list = frame->GetListView();
    Open(frame, older);
    Open(frame, newer);
    Open(frame, other);

    auto* recent = frame->findChild<QMenu*>(QStringLiteral("RecentMenu"));
    ASSERT_NE(recent, nullptr);
    emit recent->aboutToShow();
    QStringList texts;
    for (QAction* action : recent->actions())
        texts << action->text();
    EXPECT_TRUE(
        texts.contains(QStringLiteral("&2 中华人民共和国刑法（2020-12-26，主席令第六十六号）")))
        << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("&3 中华人民共和国刑法（1979-07-06）")))
        << texts.join('|').toStdString();

    // Back: the list's current and selected row is the law shown, and nothing else is shown.
    for (int expected : {newer, older}) {
        ASSERT_TRUE(frame->ExecuteCommand(ID_HISTORY_BACK));
        EXPECT_EQ(frame->GetLawView()->GetShownLawId(), expected);
        const QModelIndex current = list->GetTable()->currentIndex();
        ASSERT_TRUE(current.isValid());
        EXPECT_EQ(list->GetRow(current.row()).m_nLawId, expected);
        EXPECT_TRUE(list->GetTable()->selectionModel()->isRowSelected(current.row()));
        EXPECT_EQ(list->GetTable()->selectionModel()->selectedRows().size(), 1);
    }

    // The favourites keep the date and number, also through a restart.
    frame->ExecuteCommand(ID_FAVOURITE_TOGGLE);
    ASSERT_TRUE(frame->ExecuteCommand(ID_HISTORY_FORWARD));
    frame->ExecuteCommand(ID_FAVOURITE_TOGGLE);
    Stop();
    frame = Start();
    const auto& items = frame->GetReader()->Favourites().Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(LawRefLabel(items[0].m_law), "中华人民共和国刑法（1979-07-06）");
    EXPECT_EQ(LawRefLabel(items[1].m_law), "中华人民共和国刑法（2020-12-26，主席令第六十六号）");
}

TEST(LawRefLabel, NamesTheDateAndNumberWhenKnown) {
    const struct {
        const char* date;
        const char* wenhao;
        const char* label;
    } cases[] = {
        {"", "", "刑法"},
        {"2020-12-26", "", "刑法（2020-12-26）"},
        {"", "主席令第六十六号", "刑法（主席令第六十六号）"},
        {"2020-12-26", "主席令第六十六号", "刑法（2020-12-26，主席令第六十六号）"},
    };
    for (const auto& c : cases) {
        CLawRef law;
        law.m_nLawId = 1;
        law.m_strTitle = "刑法";
        law.m_strDate = c.date;
        law.m_strWenhao = c.wenhao;
        EXPECT_EQ(LawRefLabel(law), c.label);
        CLawRef back;
        ASSERT_TRUE(LawRefFromJson(LawRefToJson(law), back));
        EXPECT_EQ(LawRefLabel(back), c.label);
    }
}
