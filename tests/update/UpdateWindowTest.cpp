// The update run in the main window: command, confirmation dialog, progress, stop and the
// update end, against the publisher on loopback.
#include "GuiTestUtil.h"
#include "tests/update/UpdateTestSupport.h"

#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "app/TolvarinDoc.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "update/gui/UpdateConfirmDlg.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <httplib.h>
#include <sqlite3.h>

namespace {

class UpdateWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        theEditionConfig = CEditionConfig();
        QSettings().clear();
        CreateCollection(m_dir.File("publisher.db"));
        FillPublisher(m_dir.File("publisher.db"));
    }
    void TearDown() override {
        m_app.reset();
        EXPECT_TRUE(WaitForListQueriesIdle(std::chrono::seconds(30)));
        CloseListQueryConnection();
        theEditionConfig = CEditionConfig();
        unsetenv("TOLVARIN_UPDATE_SERVER");
    }
    CMainFrame* Start(const std::string& server) {
        setenv("TOLVARIN_UPDATE_SERVER", server.c_str(), 1);
        m_app = std::make_unique<CTolvarinApp>();
        EXPECT_TRUE(m_app->InitInstance({QStringLiteral("tolvarin")}));
        CMainFrame* frame = m_app->GetMainFrame();
        EXPECT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));
        return frame;
    }
    // Presses a button of the confirmation once it shows; the dialog runs its own event
    // loop, so a timer inside that loop does the pressing.
    void Answer(const QString& button) {
        bool pressed = false;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* dlg = qobject_cast<CUpdateConfirmDlg*>(QApplication::activeModalWidget());
            if (!dlg || pressed)
                return;
            EXPECT_EQ(dlg->windowTitle(), QStringLiteral("数据更新"));
            const auto buttons = dlg->findChildren<QPushButton*>();
            EXPECT_EQ(buttons.size(), 2);
            for (QPushButton* b : buttons) {
                if (b->text() == button) {
                    pressed = true;
                    b->click();
                }
            }
        });
        timer.start();
        ASSERT_TRUE(WaitFor([&] { return pressed; }));
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const auto& m : m_messages.Messages())
            texts.push_back(m.text);
        return texts;
    }

    CScratchDir m_dir;
    CMessageRecorder m_messages;
    std::unique_ptr<CTolvarinApp> m_app;
};

} // namespace

TEST_F(UpdateWindowTest, ARunFillsBothTreesAndEndsWithItsMessage) {
    CPublisherThread publisher(m_dir.File("publisher.db"));
    CMainFrame* frame = Start(publisher.Url());
    CTolvarinView* list = frame->GetListView();
    ASSERT_EQ(list->GetRowCount(), 1);
    EXPECT_EQ(list->GetRow(0).m_nLawId, 0); // "没有发现记录"
    ASSERT_TRUE(frame->ExecuteCommand(ID_SMART_UPDATE));
    EXPECT_EQ(frame->m_bDownloading.load(), 1);
    EXPECT_FALSE(frame->Action(ID_SMART_UPDATE)->isEnabled());
    // A second command while the run is on does nothing.
    frame->GetDocument()->OnSmartUpdate();
    Answer(QStringLiteral("确定"));
    ASSERT_TRUE(WaitFor([&] { return !Boxes().empty(); }));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"下载完成!"});
    EXPECT_EQ(frame->GetStatusText(), QStringLiteral("下载完成！ "));
    EXPECT_EQ(frame->m_bDownloading.load(), 0);
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_SMART_UPDATE)->isEnabled());
    EXPECT_FALSE(frame->Action(ID_UPDATE_STOP)->isEnabled());
    QTreeWidget* tree = frame->GetLeftView()->GetCurrentTree();
    EXPECT_FALSE(
        tree->findItems(QStringLiteral("刑法修正案"), Qt::MatchExactly | Qt::MatchRecursive)
            .isEmpty());
    EXPECT_EQ(Query(m_dir.File("db1.mdb"), "select count(*) from en_dornlaws"), (Rows{{"1"}}));
    // The list that found nothing before shows what the run brought, without another click.
    ASSERT_TRUE(WaitFor([&] { return !list->IsListing(); }));
    const Rows laws = Query(m_dir.File("db1.mdb"), "select count(*) from dornlaws");
    ASSERT_NE(laws, (Rows{{"0"}}));
    EXPECT_EQ(std::to_string(list->GetRowCount()), laws[0][0]);
    EXPECT_NE(list->GetRow(0).m_nLawId, 0);
}

TEST_F(UpdateWindowTest, ARunThatReplacedBytesEndsNamingTheRecordInStatusBarAndBox) {
    CPublisherOptions options;
    options.m_strDatabase = m_dir.File("publisher.db");
    CPublisher source(options);
    CScriptedServer server;
    // A GBK lead byte without its second byte at the end of the first category name.
    RelayEdited(server, source, [](const std::string& path, std::string& reply) {
        if (path != kTreePage)
            return;
        const size_t name = reply.find("<name>\n");
        if (name != std::string::npos)
            reply.insert(reply.find('\n', name + 7), "\x81");
    });
    CMainFrame* frame = Start(server.Url());
    ASSERT_TRUE(frame->ExecuteCommand(ID_SMART_UPDATE));
    Answer(QStringLiteral("确定"));
    ASSERT_TRUE(WaitFor([&] { return !Boxes().empty(); }));
    const Rows damaged = Query(m_dir.File("db1.mdb"),
                               "select oldid,name from dorntree where instr(name,char(65533))>0");
    ASSERT_EQ(damaged.size(), 1U);
    const std::string named = "分类 " + damaged[0][0] + "「" + damaged[0][1] + "」：1 个字节";
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].rfind("下载完成!\n\n注意：有 1 条记录含有无效字节", 0), 0U) << boxes[0];
    EXPECT_NE(boxes[0].find(named), std::string::npos) << boxes[0];
    const std::string status = frame->GetStatusText().toStdString();
    EXPECT_EQ(status.rfind("下载完成！ 注意：", 0), 0U) << status;
    EXPECT_NE(status.find(named), std::string::npos) << status;
}

TEST_F(UpdateWindowTest, GivingUpEndsTheRunSilently) {
    CPublisherThread publisher(m_dir.File("publisher.db"));
    CMainFrame* frame = Start(publisher.Url());
    ASSERT_TRUE(frame->ExecuteCommand(ID_SMART_UPDATE));
    Answer(QStringLiteral("放弃"));
    ASSERT_TRUE(WaitFor([&] { return frame->m_bDownloading.load() == 0; }));
    Pump(100);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Query(m_dir.File("db1.mdb"), "select count(*) from dorntree"), (Rows{{"0"}}));
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_SMART_UPDATE)->isEnabled());
}

TEST_F(UpdateWindowTest, TheStopCommandEndsTheRunAndANewRunCanStart) {
    CPublisherOptions options;
    options.m_strDatabase = m_dir.File("publisher.db");
    CPublisher source(options);
    CScriptedServer server;
    RelaySlowly(server, source, std::chrono::milliseconds(5));
    CMainFrame* frame = Start(server.Url());
    ASSERT_TRUE(frame->ExecuteCommand(ID_SMART_UPDATE));
    Answer(QStringLiteral("确定"));
    ASSERT_TRUE(WaitFor([&] { return server.RequestCount(kTreePage) > 0; }));
    frame->UpdateCommandStates();
    ASSERT_TRUE(frame->ExecuteCommand(ID_UPDATE_STOP));
    ASSERT_TRUE(WaitFor([&] { return frame->m_bDownloading.load() == 0; }));
    Pump(100);
    EXPECT_TRUE(Boxes().empty());
    // The status bar no longer reads as if the download went on.
    EXPECT_TRUE(WaitFor([&] { return frame->GetStatusText().startsWith("更新已停止"); }))
        << frame->GetStatusText().toStdString();
    EXPECT_EQ(server.RequestCount(kLinkPage), 0);
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_SMART_UPDATE)->isEnabled());

    // The next run offers the stop command again.
    ASSERT_TRUE(frame->ExecuteCommand(ID_SMART_UPDATE));
    frame->UpdateCommandStates();
    EXPECT_TRUE(frame->Action(ID_UPDATE_STOP)->isEnabled());
    Answer(QStringLiteral("确定"));
    ASSERT_TRUE(WaitFor([&] { return !Boxes().empty(); }, 60000));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"下载完成!"});
}

TEST_F(UpdateWindowTest, ADatabaseWithoutTheCollectionIsRefusedWithOneBoxBeforeTheQuestion) {
    CPublisherThread publisher(m_dir.File("publisher.db"));
    Exec(m_dir.File("db1.mdb"), "drop table en_dornlawas");
    CMainFrame* frame = Start(publisher.Url());
    m_messages.Clear();
    ASSERT_TRUE(frame->ExecuteCommand(ID_SMART_UPDATE));
    bool asked = false;
    ASSERT_TRUE(WaitFor([&] {
        asked = asked || qobject_cast<CUpdateConfirmDlg*>(QApplication::activeModalWidget());
        return frame->m_bDownloading.load() == 0;
    }));
    Pump(100);
    EXPECT_FALSE(asked);
    ASSERT_EQ(Boxes().size(), 1U);
    EXPECT_NE(Boxes()[0].find("en_dornlawas"), std::string::npos) << Boxes()[0];
    EXPECT_EQ(Query(m_dir.File("db1.mdb"), "select count(*) from dorntree"), (Rows{{"0"}}));
}

TEST_F(UpdateWindowTest, TheStatusBarSaysThatTheRunWaitsForAnotherProgramsWriteLock) {
    CPublisherThread publisher(m_dir.File("publisher.db"));
    CMainFrame* frame = Start(publisher.Url());
    m_messages.Clear();
    // Another program writing the file.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(m_dir.File("db1.mdb").c_str(), &other), SQLITE_OK);
    // The window may still be folding the search index when it opens; a
    // writer waits for that as any other program would.
    sqlite3_busy_timeout(other, 30000);
    if (sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(other);
        FAIL() << "could not take the write lock";
    }
    ASSERT_TRUE(frame->ExecuteCommand(ID_SMART_UPDATE));
    Answer(QStringLiteral("确定"));
    EXPECT_TRUE(
        WaitFor([&] { return frame->GetStatusText().contains(QStringLiteral("正在等待")); }));
    EXPECT_TRUE(Boxes().empty());
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ASSERT_TRUE(WaitFor([&] { return !Boxes().empty(); }, 60000));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"下载完成!"});
    EXPECT_EQ(Query(m_dir.File("db1.mdb"), "select count(*) from en_dornlaws"), (Rows{{"1"}}));
}
