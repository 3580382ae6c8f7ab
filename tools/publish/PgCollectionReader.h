#pragma once

#include "tools/publish/CollectionReader.h"

#include <deque>
#include <string>

class CPgConnectionPool;
struct pg_result;

// The collection in PostgreSQL (the schema that tolvarin-admin creates there). Each read is
// one short statement on a pooled connection: laws and links are read in pages that go on
// from the last (stamp, id) sent, a long law text in pieces. No connection or transaction is
// held between pieces, so a slow client costs the database nothing.
//
// What an editor commits meanwhile cannot make a reply skip a row: the stamps that the
// database gives grow with every committing transaction (see the schema), so a row written
// after the reply started sorts after everything the reply has sent, and a row that changes
// is sent again with its new stamp. The header count is taken when the reply starts, and
// the reply sends at most that many rows; whatever it leaves out the client asks for next
// time. A law whose text changes while its pieces are sent breaks the reply off.
class CPgCollectionReader : public CCollectionReader {
public:
    explicit CPgCollectionReader(CPgConnectionPool& pool);
    ~CPgCollectionReader() override;
    CPgCollectionReader(const CPgCollectionReader&) = delete;
    CPgCollectionReader& operator=(const CPgCollectionReader&) = delete;

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
    // Runs one statement with text parameters; null on a failure.
    pg_result* Run(const std::string& sql, const std::vector<std::string>& params);

    struct LawRow {
        CPublishedLaw head;
        bool inlineBody = false;
        std::string body;
    };

    CPgConnectionPool& m_pool;
    std::string m_strTable;
    long long m_nRemaining = 0; // rows the reply still sends
    std::string m_strLastStamp; // where the next page goes on
    long long m_nLastId = -1;
    long long m_nLastTree = 0;
    std::deque<LawRow> m_laws;
    std::deque<CPublishedLink> m_links;
    // The current law's text.
    long long m_nBodyLaw = 0;
    std::string m_strBodyStamp;
    bool m_bBodyInline = true;
    std::string m_strBody;
    long long m_nBodyChar = 1; // next character to read (from 1)
    bool m_bBodyDone = true;
};
