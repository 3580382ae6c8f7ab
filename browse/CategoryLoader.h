#pragma once

#include <string>
#include <vector>

class CDbConnection;

// One category as the tree shows it.
struct CCategoryItem {
    std::string m_strName;
    int m_nId = 0;
    std::vector<CCategoryItem> m_children;
};

// Reads a category hierarchy depth first, one query per category that has children
// ("select * from <table> where parid=<id> order by xh DESC"), siblings in descending xh.
class CCategoryLoader {
public:
    CCategoryLoader(CDbConnection& db, std::string table)
        : m_db(db), m_strTable(std::move(table)) {}

    // The children of `parid` with their subtrees. A query that fails leaves that category
    // without children. A category that lists itself (or an ancestor) as parent, or a chain
    // deeper than kMaxDepth, is not followed further.
    std::vector<CCategoryItem> LoadChildren(int parid);

    // The last LoadChildren could not read every category (a damaged or unreadable
    // database): the tree it gave is incomplete. GetFailure is the engine's text.
    bool HasFailed() const { return !m_strFailure.empty(); }
    const std::string& GetFailure() const { return m_strFailure; }
    int GetFailureCode() const { return m_nFailureCode; }

    static constexpr int kMaxDepth = 32;

private:
    void Fill(int parid, std::vector<CCategoryItem>& out, std::vector<int>& path);

    CDbConnection& m_db;
    std::string m_strTable;
    std::string m_strFailure;
    int m_nFailureCode = 0;
};
