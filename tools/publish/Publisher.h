#pragma once

#include <memory>
#include <string>

class CReplyStream;

// The publisher's update server: serves the six update pages of both editions from a
// collection database (the program's own schema; its ids are the server ids).
//
// For a request it answers the records newer than `updatetime`:
//  - laws: stamp later than `updatetime`, or equal and server id above `lawid`, in the
//    order (stamp, id); at most --max-records of them;
//  - categories: stamp later than `updatetime`, parents before children; the header stamp
//    is the newest stamp the reply covers, which the client stores for every category of
//    the reply (so no id is needed to go on from there); a newer ancestor of a category
//    in the reply always comes with it;
//  - links: stamp later than `updatetime`, in stamp order.
// A limit never cuts categories of one stamp apart: the client goes on from the stamp
// alone. Rows without a stamp count as stamped kBaseStamp.
//
// Connections are served by a few event-driven threads: a connection that is slow to send
// its request or to read its reply holds no thread while it waits, only its buffers (about
// 32 KB) and, while a reply is open, the reply's snapshot of the collection. A connection
// that makes no progress for the timeout is closed, and one address may hold only so many
// connections at once. Replies are made piece by piece as the client reads them.
//
// A collection in PostgreSQL is read through a few pooled connections, one short statement
// at a time; the publisher keeps nothing between requests, so any number of publishers on
// one database answer as one (see PgCollectionReader.h and PgSchema.h).
struct CPublisherOptions {
    // The collection: an SQLite file, or a PostgreSQL connection URI ("postgresql://...").
    std::string m_strDatabase;
    std::string m_strListen = "127.0.0.1";
    int m_nPort = 8642; // 0: any free port
    std::string m_strCharset = "GBK";
    // At most this many categories or laws in one reply (0: no limit), for publishers
    // that hand out a large collection over several runs. Links are always sent whole:
    // the client skips a link whose law has not arrived yet for good, so the last run
    // should be made without a limit.
    int m_nMaxRecords = 0;
    // Threads that serve the connections (each serves many).
    int m_nThreads = 4;
    // Seconds a connection may make no progress, reading its request or taking its reply.
    int m_nTimeoutSeconds = 20;
    // Connections one client address may hold at once (0: no limit). Behind a proxy every
    // connection comes from the proxy's address: the proxy limits its clients instead.
    int m_nPerAddressLimit = 32;
    // Connections held at once in all.
    int m_nMaxConnections = 4000;
};

class CPublisher {
public:
    static constexpr const char* kBaseStamp = "2000-01-01 00:00:00";

    explicit CPublisher(CPublisherOptions options);
    ~CPublisher();
    CPublisher(const CPublisher&) = delete;
    CPublisher& operator=(const CPublisher&) = delete;

    // Checks the database, binds the address and serves connections from then on. A port
    // that another program (another publisher) listens on already is refused. Answers the
    // port, or -1 with `error`.
    int Bind(std::string& error);
    // Waits until Stop (blocking).
    void Serve();
    void Stop();
    bool IsRunning() const;

    // The whole reply of one page (path as "/demolaws/law.asp") for the given parameters,
    // encoded in the wire charset. For tests and tools; the server streams the same text.
    std::string Reply(const std::string& path, const std::string& updatetime,
                      const std::string& id);

    const CPublisherOptions& Options() const { return m_options; }

    // A reply stream for a page path, or null for a path that is no update page. `id` is the
    // `id` or `lawid` parameter, whichever the page takes.
    std::unique_ptr<CReplyStream> OpenReply(const std::string& path);
    // Whether a collection is given as a PostgreSQL connection URI.
    static bool IsPostgres(const std::string& database);
    // The name of the page's id parameter ("id", "lawid", or "" for the link pages).
    static const char* IdParameter(const std::string& path);

private:
    struct Impl;
    CPublisherOptions m_options;
    std::unique_ptr<Impl> m_pImpl;
};
