#include "tools/publish/PgCollectionReader.h"

#include "tools/publish/PgConnectionPool.h"

#include <libpq-fe.h>

namespace {

// Laws per page, and the longest text sent with its law's head; a longer one is read in
// pieces of kBodyChars characters.
constexpr int kLawPage = 32;
constexpr int kInlineBytes = 256 * 1024;
constexpr int kBodyChars = 128 * 1024;
constexpr int kLinkPage = 2000;
constexpr const char* kMaxId = "9223372036854775807";

std::string Text(PGresult* result, int row, int column) {
    return PQgetisnull(result, row, column)
               ? std::string()
               : std::string(PQgetvalue(result, row, column),
                             static_cast<size_t>(PQgetlength(result, row, column)));
}

long long Number(PGresult* result, int row, int column) {
    return PQgetisnull(result, row, column) ? 0 : std::stoll(PQgetvalue(result, row, column));
}

} // namespace

CPgCollectionReader::CPgCollectionReader(CPgConnectionPool& pool) : m_pool(pool) {}

CPgCollectionReader::~CPgCollectionReader() = default;

PGresult* CPgCollectionReader::Run(const std::string& sql, const std::vector<std::string>& params) {
    std::string error;
    PGconn* connection = m_pool.Take(error);
    if (!connection)
        return nullptr;
    std::vector<const char*> values;
    for (const std::string& param : params)
        values.push_back(param.c_str());
    PGresult* result = PQexecParams(connection, sql.c_str(), static_cast<int>(values.size()),
                                    nullptr, values.data(), nullptr, nullptr, 0);
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        PQclear(result);
        result = nullptr;
    }
    m_pool.Give(connection);
    return result;
}

bool CPgCollectionReader::Open(std::string& error) {
    PGconn* connection = m_pool.Take(error);
    m_pool.Give(connection);
    return connection != nullptr;
}

bool CPgCollectionReader::ReadTrees(const std::string& table, std::vector<CPublishedTree>& rows) {
    PGresult* result = Run("select id,parid,name,xh,updatetime from " + table, {});
    if (!result)
        return false;
    for (int i = 0; i < PQntuples(result); ++i) {
        CPublishedTree row;
        row.m_nId = Number(result, i, 0);
        row.m_nParid = Number(result, i, 1);
        row.m_strName = Text(result, i, 2);
        row.m_nXh = Number(result, i, 3);
        row.m_strStamp = Text(result, i, 4);
        rows.push_back(std::move(row));
    }
    PQclear(result);
    return true;
}

bool CPgCollectionReader::CountLaws(const std::string& table, const std::string& stamp,
                                    long long id, int limit, long long& count) {
    std::string sql = "select count(*) from (select 1 from " + table +
                      " where (updatetime,lawid)>($1,$2::bigint)";
    if (limit > 0)
        sql += " order by updatetime,lawid limit " + std::to_string(limit);
    PGresult* result = Run(sql + ") s", {stamp, std::to_string(id)});
    if (!result)
        return false;
    count = Number(result, 0, 0);
    PQclear(result);
    m_nRemaining = count;
    return true;
}

bool CPgCollectionReader::StartLaws(const std::string& table, const std::string& stamp,
                                    long long id, int) {
    m_strTable = table;
    m_strLastStamp = stamp;
    m_nLastId = id;
    m_laws.clear();
    return true;
}

int CPgCollectionReader::NextLaw(CPublishedLaw& law) {
    if (m_laws.empty() && m_nRemaining > 0) {
        const long long page = std::min<long long>(kLawPage, m_nRemaining);
        // The page's keys first (from the index), then their rows: no text is touched
        // for a row that is not sent.
        PGresult* result =
            Run("select l.lawid,l.updatetime,l.topic,l.bumen,l.wenhao,l.datum,octet_length(l.body),"
                "case when octet_length(l.body)<=" +
                    std::to_string(kInlineBytes) + " then l.body end from (select lawid from " +
                    m_strTable +
                    " where (updatetime,lawid)>($1,$2::bigint) order by updatetime,lawid limit " +
                    std::to_string(page) + ") k join " + m_strTable +
                    " l on l.lawid=k.lawid order by l.updatetime,l.lawid",
                {m_strLastStamp, std::to_string(m_nLastId)});
        if (!result)
            return -1;
        for (int i = 0; i < PQntuples(result); ++i) {
            LawRow row;
            row.head.m_nLawId = Number(result, i, 0);
            row.head.m_strStamp = Text(result, i, 1);
            row.head.m_strTopic = Text(result, i, 2);
            row.head.m_strBumen = Text(result, i, 3);
            row.head.m_strWenhao = Text(result, i, 4);
            row.head.m_strDatum = Text(result, i, 5);
            row.inlineBody = Number(result, i, 6) <= kInlineBytes;
            row.body = Text(result, i, 7);
            m_laws.push_back(std::move(row));
        }
        PQclear(result);
        if (m_laws.empty())
            m_nRemaining = 0; // rows counted at the start have moved on since: sent next time
    }
    if (m_laws.empty() || m_nRemaining <= 0)
        return 0;
    LawRow& row = m_laws.front();
    --m_nRemaining;
    m_strLastStamp = row.head.m_strStamp;
    m_nLastId = row.head.m_nLawId;
    m_nBodyLaw = row.head.m_nLawId;
    m_strBodyStamp = row.head.m_strStamp;
    m_bBodyInline = row.inlineBody;
    m_strBody = std::move(row.body);
    m_nBodyChar = 1;
    m_bBodyDone = false;
    law = std::move(row.head);
    m_laws.pop_front();
    return 1;
}

bool CPgCollectionReader::ReadBody(std::string& piece, size_t) {
    piece.clear();
    if (m_bBodyDone)
        return true;
    if (m_bBodyInline) {
        piece.swap(m_strBody);
        m_bBodyDone = true;
        return true;
    }
    PGresult* result =
        Run("select substr(body,$2::int,$3::int),updatetime from " + m_strTable +
                " where lawid=$1::bigint",
            {std::to_string(m_nBodyLaw), std::to_string(m_nBodyChar), std::to_string(kBodyChars)});
    if (!result)
        return false;
    // A text that changed since its first piece would arrive mixed: break the reply off.
    const bool same = PQntuples(result) == 1 && Text(result, 0, 1) == m_strBodyStamp;
    if (same)
        piece = Text(result, 0, 0);
    PQclear(result);
    if (!same)
        return false;
    m_nBodyChar += kBodyChars;
    if (piece.empty())
        m_bBodyDone = true;
    return true;
}

bool CPgCollectionReader::CountLinks(const std::string& table, const std::string& stamp,
                                     long long& count) {
    PGresult* result = Run("select count(*) from " + table + " where updatetime>$1", {stamp});
    if (!result)
        return false;
    count = Number(result, 0, 0);
    PQclear(result);
    m_nRemaining = count;
    return true;
}

bool CPgCollectionReader::StartLinks(const std::string& table, const std::string& stamp) {
    m_strTable = table;
    m_strLastStamp = stamp;
    m_nLastTree = -1;
    m_nLastId = -1;
    m_links.clear();
    return true;
}

int CPgCollectionReader::NextLink(CPublishedLink& link) {
    if (m_links.empty() && m_nRemaining > 0) {
        const long long page = std::min<long long>(kLinkPage, m_nRemaining);
        // The first page: every link after the stamp; then after the last one sent.
        const bool first = m_nLastTree < 0;
        PGresult* result = Run("select lawid,treeid,updatetime from " + m_strTable +
                                   " where (updatetime,treeid,lawid)>($1,$2::bigint,$3::bigint)"
                                   " order by updatetime,treeid,lawid limit " +
                                   std::to_string(page),
                               {m_strLastStamp, first ? kMaxId : std::to_string(m_nLastTree),
                                first ? kMaxId : std::to_string(m_nLastId)});
        if (!result)
            return -1;
        for (int i = 0; i < PQntuples(result); ++i) {
            CPublishedLink row;
            row.m_nLawId = Number(result, i, 0);
            row.m_nTreeId = Number(result, i, 1);
            row.m_strStamp = Text(result, i, 2);
            m_links.push_back(std::move(row));
        }
        PQclear(result);
        if (m_links.empty())
            m_nRemaining = 0;
    }
    if (m_links.empty() || m_nRemaining <= 0)
        return 0;
    link = std::move(m_links.front());
    m_links.pop_front();
    --m_nRemaining;
    m_strLastStamp = link.m_strStamp;
    m_nLastTree = link.m_nTreeId;
    m_nLastId = link.m_nLawId;
    return 1;
}
