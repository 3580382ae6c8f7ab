#include "app/MessageService.h"
#include "data/DbRecordset.h"
#include "tests/core/TestDb.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

std::string ConnectionFor(const std::string& file) { return "Provider=x;Data Source=" + file + ";"; }

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
