#include "tools/publish/Publisher.h"

#include "app/GbkCodec.h"
#include "data/JetSql.h"

#include <algorithm>
#include <condition_variable>
#include <httplib.h>
#include <map>
#include <mutex>
#include <set>
#include <sqlite3.h>
#include <vector>

namespace {

enum class Kind { Tree, Law, Link };

struct Page {
    const char* path;
    Kind kind;
    int edition;
};

const Page kPages[] = {
    {"/demolaws/lawtrees.asp", Kind::Tree, 0}, {"/demolaws/en_lawtrees.asp", Kind::Tree, 1},
    {"/demolaws/law.asp", Kind::Law, 0},       {"/demolaws/en_law.asp", Kind::Law, 1},
    {"/demolaws/lawas.asp", Kind::Link, 0},    {"/demolaws/en_lawas.asp", Kind::Link, 1},
};

constexpr size_t kChunkBytes = 64 * 1024;

// A value line of a single-line field: line breaks become spaces.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

// The entities the client decodes in titles, departments, numbers and law text: a line that
// ends in ">" would otherwise be taken for an element line.
std::string Encode(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    size_t start = 0;
    for (size_t at = text.find_first_of("&>"); at != std::string::npos;
         at = text.find_first_of("&>", start)) {
        out.append(text, start, at - start);
        out += text[at] == '&' ? "&amp;" : "&rt;";
        start = at + 1;
    }
    out.append(text, start, std::string::npos);
    return out;
}

void Element(std::string& out, const char* name, const std::string& value) {
    out += '<';
    out += name;
    out += ">\n";
    if (!value.empty()) {
        out += value;
        out += '\n';
    }
    out += "</";
    out += name;
    out += ">\n";
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column)))
                : std::string();
}

class CStatement {
public:
    CStatement(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_pStmt, nullptr) != SQLITE_OK)
            m_pStmt = nullptr;
    }
    ~CStatement() { sqlite3_finalize(m_pStmt); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;
    sqlite3_stmt* Get() const { return m_pStmt; }
    bool Ok() const { return m_pStmt != nullptr; }

private:
    sqlite3_stmt* m_pStmt = nullptr;
};

struct TreeRow {
    long long id = 0;
    long long parid = 0;
    std::string name;
    long long xh = 0;
    std::string stamp;
    int depth = 0;
};

struct LinkRow {
    long long lawid = 0;
    long long treeid = 0;
    std::string stamp;
};

// One reply being produced: validated parameters, the selected records and the position.
class CReplyStream {
public:
    CReplyStream(const std::string& database, Kind kind, int edition, std::string charset,
                 int maxRecords)
        : m_strDatabase(database), m_kind(kind), m_strPrefix(edition == 1 ? "en_" : ""),
          m_codec(std::move(charset)), m_nMaxRecords(maxRecords) {}
    ~CReplyStream() {
        m_pLawStmt.reset(); // statements go before their connection
        if (m_pDb) {
            sqlite3_exec(m_pDb, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close_v2(m_pDb);
        }
    }
    CReplyStream(const CReplyStream&) = delete;
    CReplyStream& operator=(const CReplyStream&) = delete;

    // Checks the parameters (wire bytes) and selects the records. False with the text of
    // the error reply.
    bool Prepare(const std::string& updatetime, const std::string& id, std::string& error);
    // The next piece of the reply in the wire charset; false when the reply is complete.
    bool Next(std::string& chunk);
    std::string ErrorReply(const std::string& text) {
        return m_codec.FromUtf8("<error>\n" + OneLine(text) + "\n");
    }

private:
    bool OpenDatabase(std::string& error);
    bool SelectTrees(std::string& error);
    bool SelectLaws(std::string& error);
    bool SelectLinks(std::string& error);
    void WriteLaw(std::string& out, long long lawid, const std::string& stamp);

    std::string m_strDatabase;
    Kind m_kind;
    std::string m_strPrefix;
    CGbkCodec m_codec;
    int m_nMaxRecords;
    sqlite3* m_pDb = nullptr;
    std::string m_strStamp; // canonical request stamp, "" for none
    long long m_nId = -1;   // request id, -1 for none
    bool m_bHeaderDone = false;
    size_t m_nNext = 0;
    std::string m_strHeaderStamp;
    std::vector<TreeRow> m_trees;
    std::vector<std::pair<long long, std::string>> m_laws;
    std::vector<LinkRow> m_links;
    std::unique_ptr<CStatement> m_pLawStmt;
};

bool CReplyStream::OpenDatabase(std::string& error) {
    if (sqlite3_open_v2(m_strDatabase.c_str(), &m_pDb, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        error = "数据库无法打开";
        return false;
    }
    sqlite3_busy_timeout(m_pDb, 10000);
    // One snapshot for the whole reply, whatever is written meanwhile.
    sqlite3_exec(m_pDb, "BEGIN", nullptr, nullptr, nullptr);
    return true;
}

bool CReplyStream::Prepare(const std::string& updatetime, const std::string& id,
                           std::string& error) {
    if (!updatetime.empty() && !CJetSql::CanonicalDate(updatetime, m_strStamp)) {
        error = "参数错误：updatetime=" + m_codec.ToUtf8(updatetime);
        return false;
    }
    if (!id.empty()) {
        const bool digits = id.size() <= 18 && std::all_of(id.begin(), id.end(), [](char c) {
                                return c >= '0' && c <= '9';
                            });
        if (!digits) {
            error = std::string("参数错误：") + (m_kind == Kind::Law ? "lawid=" : "id=") +
                    m_codec.ToUtf8(id);
            return false;
        }
        m_nId = std::stoll(id);
    }
    if (!OpenDatabase(error))
        return false;
    switch (m_kind) {
    case Kind::Tree:
        return SelectTrees(error);
    case Kind::Law:
        return SelectLaws(error);
    case Kind::Link:
        return SelectLinks(error);
    }
    return false;
}

// Where a limit may cut a list in stamp order without parting rows of one stamp.
template <class T>
size_t CutAtStamp(const std::vector<T>& rows, int maxRecords, std::string T::*stamp) {
    if (maxRecords <= 0 || rows.size() <= static_cast<size_t>(maxRecords))
        return rows.size();
    size_t cut = static_cast<size_t>(maxRecords);
    while (cut < rows.size() && rows[cut].*stamp == rows[cut - 1].*stamp)
        ++cut;
    return cut;
}

bool CReplyStream::SelectTrees(std::string& error) {
    CStatement stmt(m_pDb, "select id,parid,name,xh,ifnull(updatetime,'" +
                               std::string(CPublisher::kBaseStamp) + "') from " + m_strPrefix +
                               "dorntree");
    if (!stmt.Ok()) {
        error = "分类表无法读取";
        return false;
    }
    std::map<long long, TreeRow> all;
    while (sqlite3_step(stmt.Get()) == SQLITE_ROW) {
        TreeRow row;
        row.id = sqlite3_column_int64(stmt.Get(), 0);
        row.parid = sqlite3_column_int64(stmt.Get(), 1);
        row.name = ColumnText(stmt.Get(), 2);
        row.xh = sqlite3_column_int64(stmt.Get(), 3);
        row.stamp = ColumnText(stmt.Get(), 4);
        all[row.id] = row;
    }
    std::vector<TreeRow> newer;
    for (const auto& [id, row] : all)
        if (row.stamp > m_strStamp)
            newer.push_back(row);
    std::sort(newer.begin(), newer.end(), [](const TreeRow& a, const TreeRow& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.id < b.id;
    });
    newer.resize(CutAtStamp(newer, m_nMaxRecords, &TreeRow::stamp));
    m_strHeaderStamp = newer.empty() ? m_strStamp : newer.back().stamp;

    // A category comes with its ancestors that the client cannot have yet, so that it is
    // never filed without its parent. Depth orders parents before children.
    std::set<long long> chosen;
    for (const TreeRow& row : newer)
        chosen.insert(row.id);
    for (const TreeRow& row : newer) {
        long long parent = row.parid;
        for (int guard = 0; guard < 16 && parent != 0; ++guard) {
            const auto it = all.find(parent);
            if (it == all.end() || it->second.stamp <= m_strStamp)
                break;
            chosen.insert(parent);
            parent = it->second.parid;
        }
    }
    for (const long long id : chosen) {
        TreeRow row = all[id];
        long long parent = row.parid;
        for (int guard = 0; guard < 16 && parent != 0 && all.count(parent); ++guard) {
            ++row.depth;
            parent = all[parent].parid;
        }
        m_trees.push_back(std::move(row));
    }
    std::stable_sort(m_trees.begin(), m_trees.end(), [](const TreeRow& a, const TreeRow& b) {
        return a.depth != b.depth ? a.depth < b.depth : a.id < b.id;
    });
    return true;
}

bool CReplyStream::SelectLaws(std::string& error) {
    std::string sql = "select lawid,ut from (select lawid,ifnull(updatetime,'" +
                      std::string(CPublisher::kBaseStamp) + "') as ut from " + m_strPrefix +
                      "dornlaws) where ut>?1 or (ut=?1 and lawid>?2) order by ut,lawid";
    if (m_nMaxRecords > 0)
        sql += " limit " + std::to_string(m_nMaxRecords);
    CStatement stmt(m_pDb, sql);
    m_pLawStmt = std::make_unique<CStatement>(m_pDb, "select topic,bumen,wenhao,datum,body from " +
                                                         m_strPrefix + "dornlaws where lawid=?1");
    if (!stmt.Ok() || !m_pLawStmt->Ok()) {
        error = "法规表无法读取";
        return false;
    }
    sqlite3_bind_text(stmt.Get(), 1, m_strStamp.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(stmt.Get(), 2, m_nId);
    while (sqlite3_step(stmt.Get()) == SQLITE_ROW)
        m_laws.emplace_back(sqlite3_column_int64(stmt.Get(), 0), ColumnText(stmt.Get(), 1));
    return true;
}

bool CReplyStream::SelectLinks(std::string& error) {
    CStatement stmt(m_pDb, "select lawid,treeid,ut from (select lawid,treeid,ifnull(updatetime,'" +
                               std::string(CPublisher::kBaseStamp) + "') as ut from " +
                               m_strPrefix + "dornlawas) where ut>?1 order by ut,treeid,lawid");
    if (!stmt.Ok()) {
        error = "分类链接表无法读取";
        return false;
    }
    sqlite3_bind_text(stmt.Get(), 1, m_strStamp.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(stmt.Get()) == SQLITE_ROW) {
        LinkRow row;
        row.lawid = sqlite3_column_int64(stmt.Get(), 0);
        row.treeid = sqlite3_column_int64(stmt.Get(), 1);
        row.stamp = ColumnText(stmt.Get(), 2);
        m_links.push_back(std::move(row));
    }
    return true;
}

void CReplyStream::WriteLaw(std::string& out, long long lawid, const std::string& stamp) {
    sqlite3_stmt* stmt = m_pLawStmt->Get();
    sqlite3_reset(stmt);
    sqlite3_bind_int64(stmt, 1, lawid);
    if (sqlite3_step(stmt) != SQLITE_ROW)
        return;
    out += "<tree>\n";
    Element(out, "lawid", std::to_string(lawid));
    Element(out, "topic", Encode(OneLine(ColumnText(stmt, 0))));
    Element(out, "bumen", Encode(OneLine(ColumnText(stmt, 1))));
    Element(out, "wenhao", Encode(OneLine(ColumnText(stmt, 2))));
    Element(out, "datum", OneLine(ColumnText(stmt, 3)));
    out += "<body>\n";
    const std::string body = ColumnText(stmt, 4);
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string::npos)
            end = body.size();
        std::string line = body.substr(start, end - start);
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        out += Encode(line);
        out += '\n';
        start = end + 1;
        if (end + 1 == body.size()) // a text ending in a line feed keeps it
            out += '\n';
    }
    out += "</body>\n";
    Element(out, "hangye", "");
    Element(out, "updatetime", stamp);
    out += "</tree>\n";
}

bool CReplyStream::Next(std::string& chunk) {
    std::string out;
    if (!m_bHeaderDone) {
        m_bHeaderDone = true;
        const size_t count = m_kind == Kind::Tree  ? m_trees.size()
                             : m_kind == Kind::Law ? m_laws.size()
                                                   : m_links.size();
        out += "<header>\n" + std::to_string(count) + "\n";
        if (m_kind == Kind::Tree)
            out += m_strHeaderStamp + "\n";
        out += "</header>\n";
    }
    const size_t total = m_kind == Kind::Tree  ? m_trees.size()
                         : m_kind == Kind::Law ? m_laws.size()
                                               : m_links.size();
    while (m_nNext < total && out.size() < kChunkBytes) {
        const size_t i = m_nNext++;
        if (m_kind == Kind::Tree) {
            const TreeRow& row = m_trees[i];
            out += "<tree>\n";
            Element(out, "id", std::to_string(row.id));
            Element(out, "name", OneLine(row.name));
            Element(out, "parid", std::to_string(row.parid));
            Element(out, "xh", std::to_string(row.xh));
            Element(out, "updatetime", row.stamp);
            out += "</tree>\n";
        } else if (m_kind == Kind::Law) {
            WriteLaw(out, m_laws[i].first, m_laws[i].second);
        } else {
            const LinkRow& row = m_links[i];
            out += "<tree>\n";
            Element(out, "lawid", std::to_string(row.lawid));
            Element(out, "treeid", std::to_string(row.treeid));
            Element(out, "updatetime", row.stamp);
            out += "</tree>\n";
        }
    }
    if (out.empty())
        return false;
    chunk = m_codec.FromUtf8(out);
    return true;
}

} // namespace

struct CPublisher::Impl {
    httplib::Server server;
    std::mutex mutex;
    std::condition_variable ready;
};

CPublisher::CPublisher(CPublisherOptions options)
    : m_options(std::move(options)), m_pImpl(std::make_unique<Impl>()) {
    const int threads = std::max(1, m_options.m_nThreads);
    m_pImpl->server.new_task_queue = [threads] { return new httplib::ThreadPool(size_t(threads)); };
    // A client may stop reading for a while (a message box waits for its user).
    m_pImpl->server.set_write_timeout(600, 0);
    // A reply is written in pieces (header, chunk sizes, chunks): without this each small
    // piece may wait for the client's delayed acknowledgement.
    m_pImpl->server.set_tcp_nodelay(true);
    const std::string contentType = "text/plain; charset=" + m_options.m_strCharset;
    for (const Page& page : kPages) {
        const Kind kind = page.kind;
        const int edition = page.edition;
        m_pImpl->server.Get(page.path, [this, kind, edition,
                                        contentType](const httplib::Request& request,
                                                     httplib::Response& response) {
            auto stream =
                std::make_shared<CReplyStream>(m_options.m_strDatabase, kind, edition,
                                               m_options.m_strCharset, m_options.m_nMaxRecords);
            const std::string updatetime = request.get_param_value("updatetime");
            const std::string id = request.get_param_value(kind == Kind::Law ? "lawid" : "id");
            std::string error;
            if (!stream->Prepare(updatetime, kind == Kind::Link ? std::string() : id, error)) {
                response.set_content(stream->ErrorReply(error), contentType.c_str());
                return;
            }
            response.set_chunked_content_provider(contentType,
                                                  [stream](size_t, httplib::DataSink& sink) {
                                                      std::string chunk;
                                                      if (!stream->Next(chunk)) {
                                                          sink.done();
                                                          return true;
                                                      }
                                                      return sink.write(chunk.data(), chunk.size());
                                                  });
        });
    }
}

CPublisher::~CPublisher() {
    Stop();
}

int CPublisher::Bind(std::string& error) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(m_options.m_strDatabase.c_str(), &db, SQLITE_OPEN_READONLY,
                              nullptr) == SQLITE_OK;
    if (ok) {
        for (const char* table :
             {"dorntree", "dornlaws", "dornlawas", "en_dorntree", "en_dornlaws", "en_dornlawas"}) {
            const std::string sql = std::string("select count(*) from ") + table;
            if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                error = m_options.m_strDatabase + ": " + sqlite3_errmsg(db);
                ok = false;
                break;
            }
        }
    } else {
        error = m_options.m_strDatabase + ": " + (db ? sqlite3_errmsg(db) : "cannot open");
    }
    sqlite3_close(db);
    if (!ok)
        return -1;
    CGbkCodec codec(m_options.m_strCharset);
    if (!codec.IsValid()) {
        error = "unknown charset " + m_options.m_strCharset;
        return -1;
    }
    int port = m_options.m_nPort;
    if (port == 0) {
        port = m_pImpl->server.bind_to_any_port(m_options.m_strListen);
    } else if (!m_pImpl->server.bind_to_port(m_options.m_strListen, port)) {
        port = -1;
    }
    if (port < 0)
        error =
            "cannot listen on " + m_options.m_strListen + ":" + std::to_string(m_options.m_nPort);
    return port;
}

bool CPublisher::IsRunning() const {
    return m_pImpl->server.is_running();
}

void CPublisher::Serve() {
    m_pImpl->server.listen_after_bind();
}

void CPublisher::Stop() {
    if (m_pImpl)
        m_pImpl->server.stop();
}

std::string CPublisher::Reply(const std::string& path, const std::string& updatetime,
                              const std::string& id) {
    for (const Page& page : kPages) {
        if (path != page.path)
            continue;
        CReplyStream stream(m_options.m_strDatabase, page.kind, page.edition,
                            m_options.m_strCharset, m_options.m_nMaxRecords);
        std::string error;
        if (!stream.Prepare(updatetime, page.kind == Kind::Link ? std::string() : id, error))
            return stream.ErrorReply(error);
        std::string reply, chunk;
        while (stream.Next(chunk))
            reply += chunk;
        return reply;
    }
    return {};
}
