#pragma once
// A small law collection in a temporary database file, for the search tests.

#include "data/DbConnection.h"
#include "data/DbRecordset.h"
#include "data/Schema.h"
#include "data/SqlInsert.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

class CSearchFixtureDb {
public:
    CSearchFixtureDb() {
        char pattern[] = "/tmp/tolvarin-search-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("mkdtemp failed");
        m_dir = pattern;
        m_path = m_dir + "/db1.mdb";
        std::string error;
        if (!CSchema::CreateDatabase(m_path, false, error))
            throw std::runtime_error(error);
        m_connection = "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=" + m_path +
                       ";Persist Security Info=False";
        if (!m_db.Connect(m_connection.c_str(), 0))
            throw std::runtime_error("cannot open " + m_path);
    }
    ~CSearchFixtureDb() {
        m_db.Close();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    CSearchFixtureDb(const CSearchFixtureDb&) = delete;
    CSearchFixtureDb& operator=(const CSearchFixtureDb&) = delete;

    CDbConnection& Db() { return m_db; }
    const std::string& ConnectionString() const { return m_connection; }
    const std::string& Path() const { return m_path; }
    const std::string& Dir() const { return m_dir; }

    // One law with a fixed lawid; an empty text is stored as NULL.
    void AddLaw(int lawid, const std::string& topic, const std::string& datum,
                const std::string& wenhao = {}, const std::string& bumen = {},
                const std::string& body = {}, const std::string& prefix = {}) {
        CSqlInsert insert;
        insert.SetTable((prefix + "dornlaws").c_str());
        insert.AddValue("lawid", lawid);
        insert.AddValue("topic", topic);
        insert.AddValue("datum", datum);
        insert.AddValue("wenhao", wenhao);
        insert.AddValue("bumen", bumen);
        insert.AddValue("body", body);
        Exec(insert.Build());
    }

    void AddLink(int lawid, int treeid, const std::string& prefix = {}) {
        CSqlInsert insert;
        insert.SetTable((prefix + "dornlawas").c_str());
        insert.AddValue("lawid", lawid);
        insert.AddValue("treeid", treeid);
        Exec(insert.Build());
    }

    void Exec(const std::string& sql) {
        if (!m_db.Execute(sql.c_str()))
            throw std::runtime_error("fixture statement failed: " + sql);
    }

    // The lawids a statement delivers, in order; `ok` tells whether it opened.
    std::vector<int> LawIds(const std::string& sql, bool* ok = nullptr) {
        std::vector<int> ids;
        CDbRecordset rs;
        const bool opened = rs.Open(&m_db, sql) != 0;
        if (ok)
            *ok = opened;
        while (!rs.IsEOF()) {
            int id = 0;
            rs.GetInt(id, "lawid");
            ids.push_back(id);
            rs.MoveNext();
        }
        return ids;
    }

private:
    std::string m_dir;
    std::string m_path;
    std::string m_connection;
    CDbConnection m_db;
};
