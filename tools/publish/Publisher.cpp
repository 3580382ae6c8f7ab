#include "tools/publish/Publisher.h"

#include "ground/GbkCodec.h"
#include "tools/publish/PgCollectionReader.h"
#include "tools/publish/PgConnectionPool.h"
#include "tools/publish/ReplyStream.h"
#include "tools/publish/SqliteCollectionReader.h"

#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <libpq-fe.h>
#include <microhttpd.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Page {
    const char* path;
    EReplyKind kind;
    int edition;
};

const Page kPages[] = {
    {"/demolaws/lawtrees.asp", EReplyKind::Tree, 0},
    {"/demolaws/en_lawtrees.asp", EReplyKind::Tree, 1},
    {"/demolaws/law.asp", EReplyKind::Law, 0},
    {"/demolaws/en_law.asp", EReplyKind::Law, 1},
    {"/demolaws/lawas.asp", EReplyKind::Link, 0},
    {"/demolaws/en_lawas.asp", EReplyKind::Link, 1},
};

const Page* FindPage(const std::string& path) {
    for (const Page& page : kPages)
        if (path == page.path)
            return &page;
    return nullptr;
}

// Piece size of a streamed reply; below the connection's memory limit.
constexpr size_t kBlockBytes = 16 * 1024;

bool CheckSqlite(const std::string& path, std::string& error) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    if (ok) {
        for (const char* table :
             {"dorntree", "dornlaws", "dornlawas", "en_dorntree", "en_dornlaws", "en_dornlawas"}) {
            const std::string sql = std::string("select count(*) from ") + table;
            if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                error = path + ": " + sqlite3_errmsg(db);
                ok = false;
                break;
            }
        }
    } else {
        error = path + ": " + (db ? sqlite3_errmsg(db) : "cannot open");
    }
    sqlite3_close(db);
    return ok;
}

bool CheckPostgres(const std::string& uri, std::string& error) {
    PGconn* connection = PQconnectdb(uri.c_str());
    bool ok = PQstatus(connection) == CONNECTION_OK;
    if (!ok)
        error = PQerrorMessage(connection);
    for (const char* table :
         {"dorntree", "dornlaws", "dornlawas", "en_dorntree", "en_dornlaws", "en_dornlawas"}) {
        if (!ok)
            break;
        const std::string sql = std::string("select 1 from ") + table + " limit 1";
        PGresult* result = PQexec(connection, sql.c_str());
        if (PQresultStatus(result) != PGRES_TUPLES_OK) {
            error = PQresultErrorMessage(result);
            ok = false;
        }
        PQclear(result);
    }
    PQfinish(connection);
    while (!error.empty() && (error.back() == '\n' || error.back() == ' '))
        error.pop_back();
    return ok;
}

ssize_t ReadReply(void* cls, uint64_t, char* buffer, size_t size) {
    const long n = static_cast<CReplyStream*>(cls)->Read(buffer, size);
    if (n < 0)
        return MHD_CONTENT_READER_END_WITH_ERROR;
    if (n == 0)
        return MHD_CONTENT_READER_END_OF_STREAM;
    return static_cast<ssize_t>(n);
}

void FreeReply(void* cls) {
    delete static_cast<CReplyStream*>(cls);
}

// A reply that is no page of records (an error reply, an unknown page): a cache in front of
// the publishers must not keep it, since the fault behind it (a database that could not be
// read) may be gone at the next request.
MHD_Result QueueText(MHD_Connection* connection, unsigned status, const std::string& text,
                     const std::string& contentType) {
    MHD_Response* response = MHD_create_response_from_buffer(
        text.size(), const_cast<char*>(text.data()), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    const MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

// A query parameter's whole value, as decoded: "lawid=1%00abc" gives the five bytes
// "1\0abc", which the checks refuse, not "1". Empty when the parameter is missing.
std::string Parameter(MHD_Connection* connection, const char* name) {
    const char* value = nullptr;
    size_t size = 0;
    if (MHD_lookup_connection_value_n(connection, MHD_GET_ARGUMENT_KIND, name, std::strlen(name),
                                      &value, &size) != MHD_YES ||
        !value)
        return {};
    return std::string(value, size);
}

} // namespace

struct CPublisher::Impl {
    std::unique_ptr<CPgConnectionPool> pool; // for a collection in PostgreSQL
    std::mutex mutex;
    std::condition_variable stopped;
    MHD_Daemon* daemon = nullptr;
    bool bStopped = false;
    std::string contentType;

    static MHD_Result Answer(void* cls, MHD_Connection* connection, const char* url,
                             const char* method, const char*, const char*, size_t*, void**);
};

MHD_Result CPublisher::Impl::Answer(void* cls, MHD_Connection* connection, const char* url,
                                    const char* method, const char*, const char*, size_t*, void**) {
    auto* self = static_cast<CPublisher*>(cls);
    const std::string& contentType = self->m_pImpl->contentType;
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 &&
        std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0)
        return QueueText(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "", contentType);
    std::unique_ptr<CReplyStream> stream = self->OpenReply(url);
    if (!stream)
        return QueueText(connection, MHD_HTTP_NOT_FOUND, "", contentType);
    const char* idName = IdParameter(url);
    const std::string updatetime = Parameter(connection, "updatetime");
    const std::string id = *idName ? Parameter(connection, idName) : std::string();
    std::string error;
    if (!stream->Prepare(updatetime, id, error))
        return QueueText(connection, stream->IsBadRequest() ? MHD_HTTP_BAD_REQUEST : MHD_HTTP_OK,
                         stream->ErrorReply(error), contentType);
    CReplyStream* reply = stream.release();
    MHD_Response* response = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, kBlockBytes,
                                                               ReadReply, reply, FreeReply);
    if (!response) {
        delete reply;
        return MHD_NO;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType.c_str());
    const MHD_Result result = MHD_queue_response(connection, MHD_HTTP_OK, response);
    MHD_destroy_response(response);
    return result;
}

CPublisher::CPublisher(CPublisherOptions options)
    : m_options(std::move(options)), m_pImpl(std::make_unique<Impl>()) {
    m_pImpl->contentType = "text/plain; charset=" + m_options.m_strCharset;
    if (IsPostgres(m_options.m_strDatabase))
        m_pImpl->pool = std::make_unique<CPgConnectionPool>(m_options.m_strDatabase);
}

bool CPublisher::IsPostgres(const std::string& database) {
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

CPublisher::~CPublisher() {
    Stop();
}

const char* CPublisher::IdParameter(const std::string& path) {
    const Page* page = FindPage(path);
    if (!page || page->kind == EReplyKind::Link)
        return "";
    return page->kind == EReplyKind::Law ? "lawid" : "id";
}

std::unique_ptr<CReplyStream> CPublisher::OpenReply(const std::string& path) {
    const Page* page = FindPage(path);
    if (!page)
        return nullptr;
    std::unique_ptr<CCollectionReader> reader;
    if (m_pImpl->pool)
        reader = std::make_unique<CPgCollectionReader>(*m_pImpl->pool);
    else
        reader = std::make_unique<CSqliteCollectionReader>(m_options.m_strDatabase);
    return std::make_unique<CReplyStream>(std::move(reader), page->kind, page->edition,
                                          m_options.m_strCharset, m_options.m_nMaxRecords);
}

int CPublisher::Bind(std::string& error) {
    if (m_pImpl->pool ? !CheckPostgres(m_options.m_strDatabase, error)
                      : !CheckSqlite(m_options.m_strDatabase, error))
        return -1;
    CGbkCodec codec(m_options.m_strCharset);
    if (!codec.IsValid()) {
        error = "unknown charset " + m_options.m_strCharset;
        return -1;
    }
    const std::string where = m_options.m_strListen + ":" + std::to_string(m_options.m_nPort);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(m_options.m_nPort);
    if (getaddrinfo(m_options.m_strListen.c_str(), port.c_str(), &hints, &found) != 0 || !found) {
        error = "cannot listen on " + where + ": unknown address";
        return -1;
    }
    const int family = found->ai_family;
    const int fd = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // SO_REUSEADDR only lets a restart take over a port whose old connections linger; a port
    // that a listener holds stays refused (no SO_REUSEPORT, which would share it).
    const int on = 1;
    // Connections inherit the listener's send buffer: a fixed one bounds what a client that
    // stops reading holds in the kernel, and the reply made in advance for it.
    const int sendBuffer = 128 * 1024;
    if (fd >= 0) {
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    }
    const bool bound = fd >= 0 && bind(fd, found->ai_addr, found->ai_addrlen) == 0;
    const int bindError = errno;
    freeaddrinfo(found);
    if (!bound || listen(fd, 1024) != 0) {
        if (bound || bindError != EADDRINUSE)
            error = "cannot listen on " + where + ": " + std::strerror(bound ? errno : bindError);
        else
            error = "cannot listen on " + where +
                    ": the port is in use (another publisher or program is listening there)";
        if (fd >= 0)
            close(fd);
        return -1;
    }
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    const int boundPort =
        ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                            : reinterpret_cast<sockaddr_in*>(&address)->sin_port);

    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_ITC;
    if (family == AF_INET6)
        flags |= MHD_USE_IPv6;
    const unsigned threads = static_cast<unsigned>(std::max(1, m_options.m_nThreads));
    MHD_Daemon* daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &Impl::Answer, this, MHD_OPTION_LISTEN_SOCKET, fd,
        MHD_OPTION_THREAD_POOL_SIZE, threads, MHD_OPTION_CONNECTION_TIMEOUT,
        static_cast<unsigned>(std::max(1, m_options.m_nTimeoutSeconds)),
        MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned>(std::max(1, m_options.m_nMaxConnections)),
        MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        static_cast<unsigned>(std::max(0, m_options.m_nPerAddressLimit)),
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(32 * 1024), MHD_OPTION_END);
    if (!daemon) {
        close(fd);
        error = "cannot serve on " + where;
        return -1;
    }
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    m_pImpl->daemon = daemon;
    m_pImpl->bStopped = false;
    return boundPort;
}

bool CPublisher::IsRunning() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->daemon != nullptr;
}

void CPublisher::Serve() {
    std::unique_lock<std::mutex> lock(m_pImpl->mutex);
    m_pImpl->stopped.wait(lock, [this] { return m_pImpl->bStopped || !m_pImpl->daemon; });
}

void CPublisher::Stop() {
    if (!m_pImpl)
        return;
    MHD_Daemon* daemon = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_pImpl->mutex);
        daemon = m_pImpl->daemon;
        m_pImpl->daemon = nullptr;
        m_pImpl->bStopped = true;
    }
    if (daemon)
        MHD_stop_daemon(daemon); // closes the listening socket too
    m_pImpl->stopped.notify_all();
}

std::string CPublisher::Reply(const std::string& path, const std::string& updatetime,
                              const std::string& id) {
    std::unique_ptr<CReplyStream> stream = OpenReply(path);
    if (!stream)
        return {};
    std::string error;
    if (!stream->Prepare(updatetime, *IdParameter(path) ? id : std::string(), error))
        return stream->ErrorReply(error);
    std::string reply;
    char buffer[kBlockBytes];
    long n;
    while ((n = stream->Read(buffer, sizeof buffer)) > 0)
        reply.append(buffer, static_cast<size_t>(n));
    return reply;
}
