#include "data/DbRecordset.h"
#include "ground/MessageService.h"
#include "tests/core/FaultVfs.h"
#include "tests/core/PageDamage.h"
#include "tests/core/TestDb.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

std::string ConnectionFor(const std::string& file) {
    return "Provider=x;Data Source=" + file + ";";
}

} // namespace

TEST(DbConnection, MissingFileFailsWithTheEngineTextAndIsNotCreated) {
    CMessageRecorder boxes;
    TempDir dir;
    const std::string file = dir.File("db1.mdb");
    CDbConnection db;
    EXPECT_EQ(db.Connect(ConnectionFor(file).c_str(), 0), 0);
    EXPECT_FALSE(std::filesystem::exists(file));
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].caption, "连接失败");
    EXPECT_NE(boxes.Messages()[0].text.find("unable to open database file"), std::string::npos);
    // The file is named with its full path, whatever the connection string held.
    EXPECT_NE(boxes.Messages()[0].text.find("无法打开法规库 " + file), std::string::npos)
        << boxes.Messages()[0].text;

    // A later Connect tries again and succeeds once the file is there.
    std::string error;
    ASSERT_TRUE(CSchema::CreateDatabase(file, false, error));
    EXPECT_EQ(db.Connect(ConnectionFor(file).c_str(), 0), 1);
    // An open connection is reused whatever string is passed.
    EXPECT_EQ(db.Connect("Data Source=/nonexistent/x.mdb", 0), 1);
    EXPECT_EQ(db.GetConnectionString(), ConnectionFor(file));
}

TEST(DbConnection, AccessAndForeignFilesAreRefusedClearly) {
    CMessageRecorder boxes;
    TempDir dir;
    const std::string access = dir.File("access.mdb");
    {
        std::ofstream out(access, std::ios::binary);
        const char header[] = "\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00\x00";
        out.write(header, sizeof header);
        out << std::string(4096, '\0');
    }
    const std::string text = dir.File("notes.mdb");
    std::ofstream(text) << std::string(5000, 'x');

    CDbConnection db;
    EXPECT_EQ(db.Connect(ConnectionFor(access).c_str(), 0), 0);
    EXPECT_EQ(db.Connect(ConnectionFor(text).c_str(), 0), 0);
    const auto messages = boxes.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].text.find("Microsoft Access"), std::string::npos);
    EXPECT_EQ(messages[1].caption, "连接失败");
    EXPECT_NE(messages[1].text.find("not a database"), std::string::npos);
    EXPECT_NE(messages[1].text.find(text), std::string::npos) << messages[1].text;
}

TEST(DbConnection, ExecuteFailuresShowTheEngineTextOpenFailuresAreSilent) {
    CMessageRecorder boxes;
    TestDb fixture;
    CDbConnection db;
    fixture.Connect(db);
    CDbRecordset rs;
    EXPECT_EQ(rs.Open(&db, "selec * from dornlaws"), 0);
    EXPECT_TRUE(boxes.Messages().empty());
    EXPECT_NE(rs.IsEOF(), 0) << "a failed Open counts as at its end";

    EXPECT_EQ(db.Execute("inser into dornlaws"), 0);
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].caption, kAppMessageCaption);
    EXPECT_NE(boxes.Messages()[0].text.find("syntax error"), std::string::npos);
}

TEST(DbConnection, NeverConnectedAndClosedConnections) {
    CMessageRecorder boxes;
    CDbConnection never;
    CDbRecordset rs;
    EXPECT_EQ(rs.Open(&never, "select 1"), 0);
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].text, "数据库记录打开失败！");
    EXPECT_EQ(boxes.Messages()[0].caption, "记录失败");
}

class FieldReads : public ::testing::Test {
protected:
    void SetUp() override {
        fixture.Connect(db);
        ASSERT_TRUE(db.Execute("create table odd (s SMALLINT, b BOOLEAN, f DOUBLE)"));
    }
    CMessageRecorder boxes;
    TestDb fixture;
    CDbConnection db;
    CDbRecordset rs;
};

TEST_F(FieldReads, ValuesNullsLimitsAndTrimming) {
    const std::string longBody = std::string(3000, 'a') + "中文" + std::string(2000, 'b') + "   ";
    ASSERT_TRUE(db.Execute(("insert into dornlaws ( topic,wenhao,datum,body,reid ) values( "
                            "'abc   ', '100%', '2003-05-12 10:20:30', '" +
                            longBody + "', 7 )")
                               .c_str()));
    ASSERT_TRUE(db.Execute("insert into dornlaws ( topic ) values( NULL )"));
    ASSERT_TRUE(rs.Open(&db, "select * from dornlaws order by lawid"));
    std::string s;
    int n = -5;
    EXPECT_EQ(rs.GetString(s, "topic", -1), 1);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(rs.GetString(s, "wenhao", -1), 1);
    EXPECT_EQ(s, "100%");
    EXPECT_EQ(rs.GetString(s, "datum", 10), 1);
    EXPECT_EQ(s, "2003-05-12");
    EXPECT_EQ(rs.GetString(s, "datum", 19), 1);
    EXPECT_EQ(s, "2003-05-12 10:20:30");
    EXPECT_EQ(rs.GetString(s, "DATUM", -1), 1) << "field names ignore case";
    EXPECT_EQ(s, "2003-05-12 10:20:30");
    EXPECT_EQ(rs.GetString(s, "body", -1), 1);
    EXPECT_EQ(s, longBody.substr(0, longBody.size() - 3)) << "long texts pass whole, trimmed";
    EXPECT_EQ(rs.GetMemo(s, "body"), 1);
    EXPECT_EQ(s, longBody) << "the memo keeps trailing blanks";
    EXPECT_EQ(rs.GetString(s, "body", 3001), 1);
    EXPECT_EQ(s, std::string(3000, 'a')) << "a limit never cuts a character in half";
    EXPECT_EQ(rs.GetInt(n, "reid"), 1);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(rs.GetString(s, "reid", 1), 1);
    EXPECT_EQ(s, "7");

    rs.MoveNext();
    EXPECT_EQ(rs.GetString(s, "topic", -1), 1);
    EXPECT_EQ(s, "");
    EXPECT_EQ(rs.GetInt(n, "reid"), 1);
    EXPECT_EQ(n, 0);
    s = "keep";
    EXPECT_EQ(rs.GetMemo(s, "body"), 0);
    EXPECT_EQ(s, "keep") << "an empty memo leaves the output alone";

    rs.MoveNext();
    ASSERT_NE(rs.IsEOF(), 0);
    n = 42;
    EXPECT_EQ(rs.GetString(s, "topic", -1), 0);
    EXPECT_EQ(s, "");
    EXPECT_EQ(rs.GetInt(n, "reid"), 0);
    EXPECT_EQ(n, 42);
    EXPECT_TRUE(boxes.Messages().empty());
}

TEST_F(FieldReads, OtherTypesAndUnknownFields) {
    ASSERT_TRUE(db.Execute("insert into odd ( s,b,f ) values( 3, 1, 2.5 )"));
    ASSERT_TRUE(rs.Open(&db, "select * from odd"));
    std::string s = "x";
    EXPECT_EQ(rs.GetString(s, "s", -1), 1);
    EXPECT_EQ(s, "");
    EXPECT_EQ(rs.GetString(s, "b", -1), 1);
    EXPECT_EQ(s, "");
    EXPECT_TRUE(boxes.Messages().empty());
    EXPECT_EQ(rs.GetString(s, "nosuch", -1), 0);
    int n = 0;
    EXPECT_EQ(rs.GetInt(n, "nosuch"), 0);
    const auto messages = boxes.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "字段访问发生错误，请确认数据库结构没有改动。");
    EXPECT_EQ(messages[0].caption, "字段访问");

    rs.Close();
    boxes.Clear();
    EXPECT_EQ(rs.GetString(s, "s", -1), 0);
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].caption, "连接问题");
}

TEST(DbRecordset, DamagedPageIsAFailedReadNotTheEndOfRows) {
    CMessageRecorder boxes;
    // Garbage over the first leaf of the law table fails the first step, over a later one a
    // step in the middle of the rows.
    struct Case {
        double share;
        bool rowsBefore;
    };
    for (const Case c : {Case{0.6, true}, Case{0.0, false}}) {
        SCOPED_TRACE(c.share);
        TestDb fixture;
        {
            CDbConnection db;
            fixture.Connect(db);
            ASSERT_TRUE(db.BeginTrans());
            const std::string body(400, 'x');
            for (int i = 0; i < 2000; ++i)
                ASSERT_TRUE(db.Execute(("insert into dornlaws (topic, body) values ('law " +
                                        std::to_string(i) + "', '" + body + "')")
                                           .c_str()));
            ASSERT_TRUE(db.CommitTrans());
        }
        DamageLeafPages(fixture.File(), "dornlaws", c.share);
        CDbConnection db;
        fixture.Connect(db);
        CDbRecordset rs;
        const int opened = rs.Open(&db, "select lawid, body from dornlaws");
        int rows = 0;
        for (; !rs.IsEOF(); rs.MoveNext())
            ++rows;
        EXPECT_EQ(opened != 0, c.rowsBefore);
        EXPECT_EQ(rows > 0, c.rowsBefore);
        EXPECT_LT(rows, 2000);
        EXPECT_TRUE(rs.HasFailed());
        EXPECT_NE(rs.GetFailure().find("malformed"), std::string::npos) << rs.GetFailure();
        rs.Close();
        EXPECT_TRUE(rs.HasFailed()) << "kept after Close";
        // A statement refused for its text, and an intact one, are no failed reads.
        EXPECT_EQ(rs.Open(&db, "select nosuchcolumn from dornlaws"), 0);
        EXPECT_FALSE(rs.HasFailed());
        ASSERT_EQ(rs.Open(&db, "select count(*) as n from dorntree"), 1);
        EXPECT_FALSE(rs.HasFailed());
    }
    EXPECT_TRUE(boxes.Messages().empty());
}

TEST(DbConnection, CollectionOnAReadOnlyMediumOpensForReading) {
    // The medium refuses every write and the -shm file of the log cannot be made: before,
    // the connection failed with "unable to open database file".
    CMessageRecorder boxes;
    TestDb fixture;
    {
        CDbConnection db;
        fixture.Connect(db);
        ASSERT_TRUE(db.Execute("insert into dornlaws (topic, body) values ('甲', '正文')"));
        EXPECT_FALSE(db.IsReadOnly());
    }
    const std::string dir = std::filesystem::path(fixture.File()).parent_path().string();
    {
        CFaultVfs medium(dir);
        medium.SetReadOnlyMedium(true);
        CDbConnection db;
        fixture.Connect(db);
        EXPECT_TRUE(db.IsReadOnly());
        CDbRecordset rs;
        ASSERT_EQ(rs.Open(&db, "select topic, body from dornlaws"), 1);
        std::string topic;
        rs.GetString(topic, "topic", -1);
        EXPECT_EQ(topic, "甲");
        rs.Close();
        EXPECT_TRUE(boxes.Messages().empty());
        // Writing is refused, and says so.
        EXPECT_EQ(db.Execute("insert into dornlaws (topic) values ('乙')"), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(fixture.File() + "-shm"));
    CDbConnection db;
    fixture.Connect(db);
    EXPECT_FALSE(db.IsReadOnly());
    CDbRecordset rs;
    ASSERT_EQ(rs.Open(&db, "PRAGMA integrity_check"), 1);
    std::string check;
    rs.GetString(check, "integrity_check", -1);
    EXPECT_EQ(check, "ok");
}

TEST(DbConnection, ReadOnlyMediumWithChangesLeftInTheLogIsRefusedClearly) {
    CMessageRecorder boxes;
    TestDb fixture;
    // A writer that has not folded its log into the file yet.
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(fixture.File().c_str(), &writer), SQLITE_OK);
    sqlite3_exec(writer, "PRAGMA wal_autocheckpoint=0; insert into dornlaws (topic) values ('甲')",
                 nullptr, nullptr, nullptr);
    {
        CFaultVfs medium(std::filesystem::path(fixture.File()).parent_path().string());
        medium.SetReadOnlyMedium(true);
        CDbConnection db;
        EXPECT_EQ(db.Connect(fixture.ConnectionString().c_str(), 0), 0);
    }
    sqlite3_close(writer);
    const auto messages = boxes.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "连接失败");
    EXPECT_NE(messages[0].text.find("-wal"), std::string::npos) << messages[0].text;
}
