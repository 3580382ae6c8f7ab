#include "update/UpdateSettings.h"

#include <cstdlib>

void CUpdateSettings::ApplyEnvironment() {
    if (const char* server = std::getenv(kServerEnv); server && *server)
        m_strServer = server;
    if (const char* charset = std::getenv(kCharsetEnv); charset && *charset)
        m_strCharset = charset;
}

std::string CUpdateSettings::ServerBase() const {
    std::string base = m_strServer;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}
