#include "update/UpdateSettings.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

std::string Trim(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    const size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

// A value as the window's settings (Qt's INI format) write it: plain, or in double quotes
// with backslash escapes.
std::string IniValue(const std::string& raw) {
    const std::string text = Trim(raw);
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        return text;
    std::string value;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '\\' && i + 2 < text.size())
            ++i;
        value += text[i];
    }
    return value;
}

} // namespace

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

bool CUpdateSettings::ApplyConfigFile(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        return false;
    bool inUpdate = false;
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text[0] == ';' || text[0] == '#')
            continue;
        if (text.front() == '[') {
            inUpdate = text == "[Update]";
            continue;
        }
        const size_t equals = text.find('=');
        if (!inUpdate || equals == std::string::npos)
            continue;
        const std::string key = Trim(text.substr(0, equals));
        const std::string value = IniValue(text.substr(equals + 1));
        if (key == "Server" && !value.empty())
            m_strServer = value;
        else if (key == "Charset" && !value.empty())
            m_strCharset = value;
    }
    return true;
}

std::vector<std::string> CUpdateSettings::ConfigFiles() {
    static const char kFile[] = "/morvexal/tolvarin.conf";
    std::vector<std::string> files;
    const char* dirsEnv = std::getenv("XDG_CONFIG_DIRS");
    const std::string dirs = dirsEnv && *dirsEnv ? dirsEnv : "/etc/xdg";
    std::vector<std::string> system;
    for (size_t start = 0; start <= dirs.size();) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir[0] == '/')
            system.push_back(dir + kFile);
        start = end + 1;
    }
    // The first system folder listed is the most important: it is applied last of them.
    files.assign(system.rbegin(), system.rend());
    const char* home = std::getenv("XDG_CONFIG_HOME");
    if (home && *home == '/')
        files.push_back(std::string(home) + kFile);
    else if (const char* user = std::getenv("HOME"); user && *user)
        files.push_back(std::string(user) + "/.config" + kFile);
    return files;
}

void CUpdateSettings::ApplyConfigFiles() {
    for (const std::string& file : ConfigFiles())
        ApplyConfigFile(file);
}
