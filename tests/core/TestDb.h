#pragma once
// A fresh law database in a temporary directory, with a connection string naming it.

#include "data/DbConnection.h"
#include "data/Schema.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvarin-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

class TestDb {
public:
    TestDb() {
        std::string error;
        EXPECT_TRUE(CSchema::CreateDatabase(m_file, false, error)) << error;
    }
    std::string ConnectionString() const {
        return "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=" + m_file +
               ";Persist Security Info=False";
    }
    // A connected connection on the database.
    void Connect(CDbConnection& db) const {
        ASSERT_EQ(db.Connect(ConnectionString().c_str(), 0), 1) << db.GetLastError();
    }
    const std::string& File() const { return m_file; }

private:
    TempDir m_dir;
    std::string m_file = m_dir.File("db1.mdb");
};
