#pragma once
// The publishing service of deploy/local-cluster (PostgreSQL, publishers, nginx) in a scratch
// folder, started for a test and stopped with it.

#include <string>

class CLocalCluster {
public:
    // Starts the service with `collection` (an SQLite file) copied into its database.
    CLocalCluster(const std::string& dir, const std::string& collection, int publishers = 2);
    ~CLocalCluster();
    CLocalCluster(const CLocalCluster&) = delete;
    CLocalCluster& operator=(const CLocalCluster&) = delete;

    bool Started() const { return !m_strProxyUrl.empty(); }
    const std::string& Log() const { return m_strLog; }
    const std::string& DatabaseUri() const { return m_strUri; }
    const std::string& ProxyUrl() const { return m_strProxyUrl; }
    // The ends of nginx's error log and of each publisher's log, for a failed assertion.
    std::string Diagnostics() const;

private:
    std::string m_strDir;
    std::string m_strUri;
    std::string m_strProxyUrl;
    std::string m_strLog;
};
