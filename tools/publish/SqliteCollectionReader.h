#pragma once

#include "tools/publish/CollectionReader.h"

#include <string>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_blob;

// The collection in an SQLite file of the program's own schema, read through a read-only
// connection inside one read transaction. A law's text is read by incremental blob reads,
// never whole.
class CSqliteCollectionReader : public CCollectionReader {
public:
    explicit CSqliteCollectionReader(std::string path);
    ~CSqliteCollectionReader() override;
    CSqliteCollectionReader(const CSqliteCollectionReader&) = delete;
    CSqliteCollectionReader& operator=(const CSqliteCollectionReader&) = delete;

    bool Open(std::string& error) override;
    bool ReadTrees(const std::string& table, std::vector<CPublishedTree>& rows) override;
    bool CountLaws(const std::string& table, const std::string& stamp, long long id, int limit,
                   long long& count) override;
    bool StartLaws(const std::string& table, const std::string& stamp, long long id,
                   int limit) override;
    int NextLaw(CPublishedLaw& law) override;
    bool ReadBody(std::string& piece, size_t maxBytes) override;
    bool CountLinks(const std::string& table, const std::string& stamp, long long& count) override;
    bool StartLinks(const std::string& table, const std::string& stamp) override;
    int NextLink(CPublishedLink& link) override;

private:
    sqlite3_stmt* Prepare(const std::string& sql);
    void CloseBody();

    std::string m_strPath;
    sqlite3* m_pDb = nullptr;
    std::string m_strLawTable;
    sqlite3_stmt* m_pCursor = nullptr; // the laws or links of the reply
    bool m_bCursorDone = false;
    sqlite3_stmt* m_pLawHead = nullptr; // one law's fields but its text
    sqlite3_blob* m_pBody = nullptr;    // the current law's text
    std::string m_strSmallBody;         // a text that is no blob (e.g. stored as a number)
    int m_nBodySize = 0;
    int m_nBodyOffset = 0;
};
