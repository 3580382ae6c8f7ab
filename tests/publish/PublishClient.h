#pragma once
// Clients of the publisher's tests over loopback: plain sockets from a chosen source address
// (any of 127.0.0.0/8) and one request through libcurl.

#include <string>

// A connected socket from `source` to 127.0.0.1:`port`, -1 on failure. A small receive
// buffer makes a client that does not read stall the server's writes early.
int ConnectFrom(const std::string& source, int port, int receiveBuffer = 0);
// Sends all of `bytes`; false when the connection refuses them.
bool SendAll(int fd, const std::string& bytes);
// Whether the server closed the connection within `timeoutMs` (reads and drops what comes).
bool ClosedWithin(int fd, int timeoutMs);

struct CHttpResult {
    bool m_bOk = false; // a complete reply arrived
    long m_nStatus = 0;
    std::string m_strBody;
    double m_dSeconds = 0;
    std::string m_strError;
};

// GET http://127.0.0.1:port/target from `source`, given up after `timeoutMs`.
CHttpResult HttpGet(const std::string& source, int port, const std::string& target, int timeoutMs);
