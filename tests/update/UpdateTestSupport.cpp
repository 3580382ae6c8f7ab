#include "tests/update/UpdateTestSupport.h"

#include "data/Schema.h"
#include "data/SearchIndex.h"
#include "ground/GbkCodec.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <httplib.h>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

CScratchDir::CScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tolvarin-update-XXXXXX").string();
    m_strPath = mkdtemp(pattern.data());
    m_strPrevious = std::filesystem::current_path().string();
    std::filesystem::current_path(m_strPath);
    CreateCollection(File("db1.mdb"));
}

CScratchDir::~CScratchDir() {
    std::error_code ec;
    std::filesystem::current_path(m_strPrevious, ec);
    std::filesystem::remove_all(m_strPath, ec);
}

void CreateCollection(const std::string& path) {
    std::string error;
    ASSERT_TRUE(CSchema::CreateDatabase(path, true, error)) << error;
}

void Exec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 10000);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string text = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << text << "\n" << sql;
}

std::string IndexDifference(const std::string& path) {
    CSearchIndex::RegisterEverywhere();
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        result = "cannot open " + path;
    } else {
        for (const std::string table : {"dornlaws", "en_dornlaws"}) {
            std::string difference;
            if (!CSearchIndex::MatchesTable(db, table, difference))
                result += table + ": " + difference + "\n";
            else if (CSearchIndex::BuiltUpTo(db, table) != CSearchIndex::kComplete)
                result += table + ": index not complete\n";
        }
    }
    sqlite3_close(db);
    return result;
}

Rows Query(const std::string& path, const std::string& sql) {
    Rows rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path;
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db) << "\n" << sql;
        sqlite3_close(db);
        return rows;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            row.emplace_back(text ? text : "<null>");
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

void CTestHost::PostProgress(int message, int total, int count) {
    {
        std::lock_guard lock(m_mutex);
        m_log.push_back({message, total, count});
    }
    if (m_onProgress)
        m_onProgress(message, total, count);
}

bool CTestHost::ConfirmUpdate() {
    ++m_nConfirmations;
    return m_bConfirm;
}

void CTestHost::UpdateFinished() {
    ++m_nFinished;
}

void CTestHost::RunWarning(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_strWarning = text;
}

std::string CTestHost::Warning() const {
    std::lock_guard lock(m_mutex);
    return m_strWarning;
}

void CTestHost::RunEnded(bool) {
    m_bEnded = true;
}

std::vector<CTestHost::Progress> CTestHost::ProgressLog() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

void CRunFixture::RunTo(const std::string& server, CTestHost& host, const std::string& charset) {
    CUpdateSettings settings;
    settings.m_strServer = server;
    settings.m_strCharset = charset;
    ASSERT_TRUE(m_run.Start(host, settings));
    m_run.Wait();
    EXPECT_EQ(m_bDownloading.load(), 0);
}

CPublisherThread::CPublisherThread(const std::string& database, int maxRecords) {
    CPublisherOptions options;
    options.m_strDatabase = database;
    options.m_nPort = 0;
    options.m_nMaxRecords = maxRecords;
    options.m_nThreads = 8;
    m_pPublisher = std::make_unique<CPublisher>(options);
    std::string error;
    m_nPort = m_pPublisher->Bind(error);
    EXPECT_GT(m_nPort, 0) << error;
    m_thread = std::thread([this] { m_pPublisher->Serve(); });
    while (!m_pPublisher->IsRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

CPublisherThread::~CPublisherThread() {
    m_pPublisher->Stop();
    m_thread.join();
}

CScriptedServer::CScriptedServer() : m_pServer(std::make_unique<httplib::Server>()) {
    m_pServer->set_write_timeout(60, 0);
    m_pServer->set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            Handler handler;
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(request.target);
                const auto it = m_handlers.find(request.path);
                if (it != m_handlers.end())
                    handler = it->second;
            }
            if (!handler) {
                response.status = 404;
                response.set_content("<html><body>Not Found</body></html>", "text/html");
            } else {
                handler(request, response);
            }
            return httplib::Server::HandlerResponse::Handled;
        });
    m_nPort = m_pServer->bind_to_any_port("127.0.0.1");
    EXPECT_GT(m_nPort, 0);
    m_thread = std::thread([this] { m_pServer->listen_after_bind(); });
    // Stopping a server that is not listening yet would not stop it.
    while (!m_pServer->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

CScriptedServer::~CScriptedServer() {
    m_pServer->stop();
    m_thread.join();
}

void CScriptedServer::SetReply(const std::string& path, const std::string& bytes) {
    SetHandler(path, [bytes](const httplib::Request&, httplib::Response& response) {
        response.set_content(bytes, "text/plain; charset=GBK");
    });
}

void CScriptedServer::SetHandler(const std::string& path, Handler handler) {
    std::lock_guard lock(m_mutex);
    m_handlers[path] = std::move(handler);
}

std::vector<std::string> CScriptedServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int CScriptedServer::RequestCount(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    int count = 0;
    for (const std::string& target : m_requests)
        if (target.compare(0, path.size(), path) == 0 &&
            (target.size() == path.size() || target[path.size()] == '?'))
            ++count;
    return count;
}

std::string Gbk(const std::string& utf8) {
    CGbkCodec codec("GBK");
    return codec.FromUtf8(utf8);
}

static const char* const kStamp = "2004-05-01 10:20:30";

// A publisher collection of both editions: categories on three levels, laws whose texts
// need the entities, a title with a quote, links to every level.
void FillPublisher(const std::string& db) {
    const std::string s = std::string("'") + kStamp + "'";
    Exec(db,
         "begin;"
         "insert into dorntree(id,parid,name,xh,childs,oldid,updatetime) values"
         "(33554432,0,'法律',9,1,'33554432'," +
             s +
             "),"
             "(34078720,33554432,'刑法',5,1,'34078720'," +
             s +
             "),"
             "(34086912,34078720,'刑法修正案',1,0,'34086912'," +
             s +
             "),"
             "(67108864,0,'行政法规',8,0,'67108864'," +
             s +
             "),"
             "(100663296,0,'地方性法规 & 规章',7,0,'100663296'," +
             s +
             ");"
             "insert into dornlaws(lawid,topic,bumen,wenhao,datum,body,oldid,updatetime) values"
             "(1,'中华人民共和国刑法','全国人民代表大会','主席令第83号','1997-03-14 00:00:00',"
             "'第一章 <总则>\n\n第一条 为了惩罚犯罪 & 保护人民，制定本法。\n</p>\n&rt; &amp;',"
             "'1'," +
             s +
             "),"
             "(2,'O''Brien 条例','国务院',NULL,'2001-01-01 00:00:00','第一条\n第二条','2'," +
             s +
             "),"
             "(3,'无分类的规定',NULL,NULL,NULL,'正文','3'," +
             s +
             ");"
             "insert into dornlawas(lawid,treeid,updatetime) values"
             "(1,34078720," +
             s + "),(1,34086912," + s + "),(2,67108864," + s +
             "),"
             "(2,100663296," +
             s +
             ");"
             "insert into en_dorntree(id,parid,name,xh,childs,oldid,updatetime) values"
             "(33554432,0,'Laws',1,1,'33554432'," +
             s +
             "),"
             "(34078720,33554432,'Criminal law',1,0,'34078720'," +
             s +
             ");"
             "insert into en_dornlaws(lawid,topic,bumen,wenhao,datum,body,oldid,updatetime) values"
             "(1,'Criminal Law of the PRC','NPC','Order No. 83','1997-03-14 00:00:00',"
             "'Article 1 a > b','1'," +
             s +
             ");"
             "insert into en_dornlawas(lawid,treeid,updatetime) values(1,34078720," +
             s +
             ");"
             "commit;");
}

// A snapshot of everything the client stores.
Rows Snapshot(const std::string& db) {
    Rows all;
    for (const char* prefix : {"", "en_"}) {
        const std::string p = prefix;
        for (const std::string& sql :
             {"select id,parid,name,xh,childs,oldid,updatetime from " + p + "dorntree order by id",
              "select lawid,topic,bumen,wenhao,datum,body,oldid,updatetime from " + p +
                  "dornlaws order by lawid",
              "select lawid,treeid,updatetime from " + p + "dornlawas order by lawid,treeid"}) {
            const Rows rows = Query(db, sql);
            all.insert(all.end(), rows.begin(), rows.end());
            all.push_back({"--"});
        }
    }
    return all;
}

void RelayEdited(CScriptedServer& server, CPublisher& source,
                 std::function<void(const std::string& path, std::string& reply)> edit) {
    for (const char* page : {kTreePage, kEnTreePage, kLawPage, kEnLawPage, kLinkPage, kEnLinkPage})
        server.SetHandler(page, [&source, edit](const httplib::Request& request,
                                                httplib::Response& response) {
            const bool law = request.path.find("law.asp") != std::string::npos;
            std::string reply = source.Reply(request.path, request.get_param_value("updatetime"),
                                             request.get_param_value(law ? "lawid" : "id"));
            edit(request.path, reply);
            response.set_content(reply, "text/plain; charset=GBK");
        });
}

void RelaySlowly(CScriptedServer& server, CPublisher& source, std::chrono::milliseconds pause) {
    for (const char* page : {kTreePage, kEnTreePage, kLawPage, kEnLawPage, kLinkPage, kEnLinkPage})
        server.SetHandler(
            page, [&source, pause](const httplib::Request& request, httplib::Response& response) {
                const bool law = request.path.find("law.asp") != std::string::npos;
                auto reply = std::make_shared<std::string>(
                    source.Reply(request.path, request.get_param_value("updatetime"),
                                 request.get_param_value(law ? "lawid" : "id")));
                response.set_chunked_content_provider(
                    "text/plain", [reply, pause](size_t offset, httplib::DataSink& sink) {
                        if (offset >= reply->size()) {
                            sink.done();
                            return true;
                        }
                        std::this_thread::sleep_for(pause);
                        const size_t n = std::min<size_t>(64, reply->size() - offset);
                        return sink.write(reply->data() + offset, n);
                    });
            });
}
