// The collection the window shows: 文件 → 打开 with the recent files, a file that holds no
// collection, and a collection made from the shipped laws on the welcome page.
#include "TestDatabase.h"
#include "WindowTest.h"

#include "app/CollectionController.h"
#include "app/CollectionInfoDlg.h"
#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "app/TolvarinDoc.h"
#include "app/WelcomePage.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "data/CollectionFile.h"
#include "data/Schema.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

// A collection at `path` holding one category and the given Chinese laws filed under it.
void MakeCollection(const std::string& path, const std::string& category,
                    const std::vector<std::string>& titles) {
    std::string error;
    ASSERT_TRUE(CSchema::CreateDatabase(path, true, error)) << error;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    std::string sql =
        "insert into dorntree(id,parid,name,xh,childs) values(33554432,0,'" + category + "',1,0);";
    for (size_t i = 0; i < titles.size(); ++i) {
        const std::string id = std::to_string(i + 1);
        sql += "insert into dornlaws(lawid,topic,datum,body) values(" + id + ",'" + titles[i] +
               "','2001-01-0" + id + " 00:00:00','正文');insert into dornlawas values(" + id +
               ",33554432,'2001-01-01 00:00:00');";
    }
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

std::vector<std::string> Topics(CTolvarinView* list) {
    std::vector<std::string> topics;
    for (int i = 0; i < list->GetRowCount(); ++i)
        topics.push_back(list->GetRow(i).m_strTopic);
    std::sort(topics.begin(), topics.end());
    return topics;
}

QStringList RecentEntries(CMainFrame* frame) {
    QStringList entries;
    for (QAction* action : frame->menuBar()->actions().front()->menu()->actions())
        if (action->objectName().startsWith("RecentFile") && action->isVisible())
            entries.push_back(action->text());
    return entries;
}

class CollectionTest : public CWindowTest {
protected:
    void TearDown() override {
        CWindowTest::TearDown();
        SetCollectionFile("db1.mdb");
    }
    bool Listed(CMainFrame* frame) {
        return WaitFor([&] { return !frame->GetListView()->IsListing(); });
    }
};

} // namespace

TEST_F(CollectionTest, OpenSwitchesTheCollectionAndKeepsFourRecentFiles) {
    CTestDatabase dir(false);
    const std::string a = dir.Dir() + "/a.mdb", b = dir.Dir() + "/b.mdb";
    MakeCollection(a, "甲库分类", {"甲法一", "甲法二"});
    MakeCollection(b, "乙库分类", {"乙法"});
    CMainFrame* frame = Start();
    CCollectionController* collections = frame->GetCollections();
    ASSERT_NE(collections->GetWelcomePage(), nullptr);

    ASSERT_TRUE(collections->OpenCollection(QString::fromStdString(a)));
    ASSERT_TRUE(Listed(frame));
    EXPECT_EQ(collections->GetWelcomePage(), nullptr);
    EXPECT_TRUE(frame->GetLawView()->isVisible());
    EXPECT_EQ(Topics(frame->GetListView()), (std::vector<std::string>{"甲法一", "甲法二"}));
    QTreeWidget* tree = frame->GetLeftView()->GetTree(0);
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "甲库分类");

    // Switching while a category of the old collection is selected: the new one starts at
    // its root, and its laws are read from the new file.
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    ASSERT_TRUE(Listed(frame));
    ASSERT_TRUE(collections->OpenCollection(QString::fromStdString(b)));
    ASSERT_TRUE(Listed(frame));
    EXPECT_EQ(Topics(frame->GetListView()), (std::vector<std::string>{"乙法"}));
    EXPECT_EQ(theEditionConfig.GetCurTreeId(), 0);
    EXPECT_EQ(frame->GetLeftView()->GetTree(0)->topLevelItem(0)->child(0)->text(0), "乙库分类");
    EXPECT_EQ(GetCollectionFile(), b);
    EXPECT_TRUE(m_messages.Messages().empty());

    // A file that holds no collection is refused with its path; the shown one stays.
    const std::string notes = dir.Dir() + "/notes.mdb";
    std::ofstream(notes) << "not a database";
    EXPECT_FALSE(collections->OpenCollection(QString::fromStdString(notes)));
    ASSERT_EQ(m_messages.Messages().size(), 1u);
    EXPECT_NE(m_messages.Messages()[0].text.find(notes), std::string::npos);
    EXPECT_EQ(GetCollectionFile(), b);
    EXPECT_EQ(Topics(frame->GetListView()), (std::vector<std::string>{"乙法"}));

    // Newest first, four at most, each once.
    std::vector<std::string> more;
    for (const char* name : {"c.mdb", "d.mdb", "e.mdb"}) {
        more.push_back(dir.Dir() + "/" + name);
        MakeCollection(more.back(), name, {name});
        ASSERT_TRUE(collections->OpenCollection(QString::fromStdString(more.back())));
        ASSERT_TRUE(Listed(frame));
    }
    ASSERT_TRUE(collections->OpenCollection(QString::fromStdString(b)));
    ASSERT_TRUE(Listed(frame));
    const QStringList entries = RecentEntries(frame);
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0], "&1 " + QString::fromStdString(b));
    EXPECT_EQ(entries[1], "&2 " + QString::fromStdString(more[2]));
    EXPECT_EQ(entries[3], "&4 " + QString::fromStdString(more[0]));
    // They are kept for the next start, and the entry opens its file.
    m_app.reset();
    ASSERT_TRUE(WaitForListQueriesIdle(std::chrono::seconds(30)));
    CloseListQueryConnection();
    frame = Start({QStringLiteral("--db"), QString::fromStdString(a)});
    EXPECT_EQ(Topics(frame->GetListView()), (std::vector<std::string>{"甲法一", "甲法二"}));
    EXPECT_EQ(RecentEntries(frame).front(), "&1 " + QString::fromStdString(a));
    QAction* second = frame->findChild<QAction*>(QStringLiteral("RecentFile2"));
    ASSERT_NE(second, nullptr);
    second->trigger();
    ASSERT_TRUE(Listed(frame));
    EXPECT_EQ(Topics(frame->GetListView()), (std::vector<std::string>{"乙法"}));
}

TEST_F(CollectionTest, OpeningIsRefusedWhileAnUpdateRuns) {
    CTestDatabase db;
    const std::string other = db.Dir() + "/other.mdb";
    MakeCollection(other, "其他", {"其他法"});
    CMainFrame* frame = Start();
    frame->m_bDownloading = 1;
    frame->UpdateCommandStates();
    EXPECT_FALSE(frame->Action(ID_FILE_OPEN)->isEnabled());
    EXPECT_FALSE(frame->GetCollections()->OpenCollection(QString::fromStdString(other)));
    EXPECT_EQ(GetCollectionFile(), db.Dir() + "/db1.mdb");
    frame->m_bDownloading = 0;
}

// From an empty folder to the real laws: the welcome page's second offer.
TEST_F(CollectionTest, TheShippedLawsMakeTheUsersCollection) {
    CTestDatabase dir(false);
    CMainFrame* frame = Start();
    CWelcomePage* welcome = frame->GetCollections()->GetWelcomePage();
    ASSERT_NE(welcome, nullptr);
    const std::string user = CCollectionLocator::UserCollectionFile();
    ASSERT_FALSE(std::filesystem::exists(user));
    EXPECT_TRUE(welcome->toPlainText().contains(QString::fromStdString(user)));
    emit welcome->makeRequested();
    ASSERT_TRUE(WaitFor([&] { return GetCollectionFile() == user; }, 120000));
    ASSERT_TRUE(Listed(frame));
    EXPECT_EQ(frame->GetListView()->GetRowCount(), 1557);
    EXPECT_EQ(frame->GetCollections()->GetWelcomePage(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(user + ".part"));
    EXPECT_TRUE(m_messages.Messages().empty());
    std::filesystem::remove(user);
}

// 帮助 → 法规库信息: the file and its size, the laws of each edition, the last update and its
// server, the search index of each edition; read from the open collection without a change.
class CollectionInfoTest : public CWindowTest {};

TEST_F(CollectionInfoTest, CollectionInformationTellsFileLawsLastUpdateAndIndex) {
    CTestDatabase db;
    db.AddLaw(0, "甲法", "2001-01-01 00:00:00");
    db.AddLaw(0, "乙法", "2002-01-01 00:00:00");
    db.AddLaw(1, "Civil Code", "2003-01-01 00:00:00");
    CMainFrame* frame = Start();
    sqlite3* handle = frame->GetDocument()->m_db.GetConnectionHandle();
    const QString file = QString::fromStdString(GetCollectionFile());
    const auto value = [](const CCollectionInfoDlg::Rows& rows, const char* name) {
        for (const auto& row : rows)
            if (row.first == QString::fromUtf8(name))
                return row.second;
        return QStringLiteral("(missing)");
    };
    CCollectionInfoDlg::Rows rows = CCollectionInfoDlg::Compose(handle, file);
    EXPECT_EQ(value(rows, "文件"), QFileInfo(file).absoluteFilePath());
    EXPECT_TRUE(value(rows, "大小").contains(QString::number(QFileInfo(file).size())))
        << value(rows, "大小").toStdString();
    EXPECT_EQ(value(rows, "中文法规"), QStringLiteral("2 部"));
    EXPECT_EQ(value(rows, "英文法规"), QStringLiteral("1 部"));
    EXPECT_EQ(value(rows, "上次更新"), QStringLiteral("本机还没有更新过"));
    for (const char* index : {"中文全文索引", "英文全文索引"})
        EXPECT_FALSE(value(rows, index).isEmpty());

    CCollectionInfoDlg::RecordUpdate(QStringLiteral("http://publisher.example:8642"));
    rows = CCollectionInfoDlg::Compose(handle, file);
    EXPECT_EQ(value(rows, "上次更新"),
              QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    EXPECT_EQ(value(rows, "更新服务器"), QStringLiteral("http://publisher.example:8642"));

    // Nothing to read (no collection): said so, no crash.
    rows = CCollectionInfoDlg::Compose(nullptr, QStringLiteral("/nonexistent/db1.mdb"));
    EXPECT_EQ(value(rows, "中文法规"), QStringLiteral("无法读取"));
    EXPECT_EQ(value(rows, "大小"), QStringLiteral("文件不存在"));
}
