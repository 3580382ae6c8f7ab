#pragma once
// A law database in a fresh temporary directory, made the working directory for the life
// of the fixture (the program finds db1.mdb there).

#include <string>

struct sqlite3;

class CTestDatabase {
public:
    // With `create` false the directory holds no database at all.
    explicit CTestDatabase(bool create = true);
    ~CTestDatabase();
    CTestDatabase(const CTestDatabase&) = delete;
    CTestDatabase& operator=(const CTestDatabase&) = delete;

    const std::string& Dir() const { return m_strDir; }

    void Exec(const std::string& sql);
    void Begin() { Exec("BEGIN"); }
    void Commit() { Exec("COMMIT"); }

    // Edition 0 uses the Chinese tables, 1 the English ones.
    int AddLaw(int edition, const std::string& topic, const std::string& datum,
               const std::string& wenhao = "", const std::string& bumen = "",
               const std::string& body = "");
    void AddCategory(int edition, int id, int parid, const std::string& name, int xh, int childs);
    void Link(int edition, int lawid, int treeid);

private:
    std::string m_strDir;
    std::string m_strOldDir;
    sqlite3* m_pDb = nullptr;
};
