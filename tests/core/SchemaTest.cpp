// The collection check: a database file is taken for a collection only when both editions'
// tables hold every column the program uses.
#include "data/Schema.h"
#include "tests/core/TestDb.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

std::string Check(const std::string& file) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    std::string missing;
    const bool ok = CSchema::CheckCollection(db, missing);
    sqlite3_close(db);
    EXPECT_EQ(ok, missing.empty());
    return ok ? "ok" : missing;
}

void RunSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << err;
    sqlite3_free(err);
    sqlite3_close(db);
}

} // namespace

TEST(Schema, CheckCollectionNamesWhatIsMissing) {
    struct Case {
        const char* name;
        const char* sql; // run on a fresh collection ("" for none)
        const char* want;
    };
    const Case cases[] = {
        {"a fresh collection", "", "ok"},
        {"a dropped law table", "drop table dornlaws", "dornlaws"},
        {"a dropped English link table", "drop table en_dornlawas", "en_dornlawas"},
        {"a category table without its server ids",
         "drop index en_dorntree_oldid; alter table en_dorntree drop column oldid",
         "en_dorntree.oldid"},
        {"columns in other case", "alter table dornlaws rename column topic to TOPIC", "ok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDb db;
        if (*c.sql)
            RunSql(db.File(), c.sql);
        EXPECT_EQ(Check(db.File()), c.want);
    }
}

TEST(Schema, FilesWithoutACollectionAreRefused) {
    TempDir dir;
    // A zero-byte file opens as an empty database.
    const std::string empty = dir.File("empty.mdb");
    std::ofstream(empty).close();
    EXPECT_EQ(Check(empty), "dorntree");
    // An unrelated database.
    const std::string other = dir.File("other.mdb");
    RunSql(other, "create table notes (id integer, text text)");
    EXPECT_EQ(Check(other), "dorntree");
    // Through a connection, and the text that tells the user.
    TestDb collection;
    CDbConnection db;
    collection.Connect(db);
    std::string missing = "stale";
    EXPECT_TRUE(CSchema::CheckCollection(db, missing));
    EXPECT_EQ(missing, "");
    EXPECT_NE(CSchema::NoCollectionText("dornlaws").find("dornlaws"), std::string::npos);
    EXPECT_NE(CSchema::NoCollectionText("dornlaws").find("db1.mdb"), std::string::npos);
}
