#pragma once

#include <mutex>
#include <string>
#include <vector>

struct pg_conn;

// Idle PostgreSQL connections of one publisher, lent for one statement at a time, so that
// a reply holds no connection while its client is slow and the publisher needs no more
// connections than it has threads.
class CPgConnectionPool {
public:
    explicit CPgConnectionPool(std::string uri);
    ~CPgConnectionPool();
    CPgConnectionPool(const CPgConnectionPool&) = delete;
    CPgConnectionPool& operator=(const CPgConnectionPool&) = delete;

    // A connection (an idle one, or a new one), null with `error` when none can be made.
    pg_conn* Take(std::string& error);
    // Gives a connection back; a broken one is closed.
    void Give(pg_conn* connection);

private:
    std::string m_strUri;
    std::mutex m_mutex;
    std::vector<pg_conn*> m_idle;
};
