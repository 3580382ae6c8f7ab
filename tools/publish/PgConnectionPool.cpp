#include "tools/publish/PgConnectionPool.h"

#include <libpq-fe.h>

CPgConnectionPool::CPgConnectionPool(std::string uri) : m_strUri(std::move(uri)) {}

CPgConnectionPool::~CPgConnectionPool() {
    for (PGconn* connection : m_idle)
        PQfinish(connection);
}

PGconn* CPgConnectionPool::Take(std::string& error) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_idle.empty()) {
            PGconn* connection = m_idle.back();
            m_idle.pop_back();
            return connection;
        }
    }
    PGconn* connection = PQconnectdb(m_strUri.c_str());
    if (PQstatus(connection) != CONNECTION_OK) {
        error = PQerrorMessage(connection);
        PQfinish(connection);
        return nullptr;
    }
    PQsetClientEncoding(connection, "UTF8");
    return connection;
}

void CPgConnectionPool::Give(PGconn* connection) {
    if (!connection)
        return;
    if (PQstatus(connection) != CONNECTION_OK || PQtransactionStatus(connection) != PQTRANS_IDLE) {
        PQfinish(connection);
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_idle.push_back(connection);
}
