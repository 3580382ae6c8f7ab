#pragma once

#include <string>
#include <vector>

// Where the online update fetches from and how its wire text is encoded. The GUI reads the
// values from the settings profile; the environment overrides them for tests and scripts.
struct CUpdateSettings {
    // Scheme and host (and port) to which the page paths are appended.
    std::string m_strServer = kDefaultServer;
    // Charset of requests and replies on the wire.
    std::string m_strCharset = "GBK";
    // How long a stage waits for the database while another program holds its write lock.
    int m_nLockWaitSeconds = 60;

    static constexpr const char* kDefaultServer = "http://127.0.0.1:8642";
    static constexpr const char* kServerEnv = "TOLVARIN_UPDATE_SERVER";
    static constexpr const char* kCharsetEnv = "TOLVARIN_UPDATE_CHARSET";

    // Applies TOLVARIN_UPDATE_SERVER / TOLVARIN_UPDATE_CHARSET when set and not empty.
    void ApplyEnvironment();
    // Applies [Update] Server and Charset of the window's settings file morvexal/tolvarin.conf:
    // first of each system folder of $XDG_CONFIG_DIRS (/etc/xdg), the first listed winning,
    // then the user's $XDG_CONFIG_HOME (~/.config) over them, as the window reads them.
    void ApplyConfigFiles();
    // Applies [Update] Server and Charset of one settings file; false when it cannot be read.
    bool ApplyConfigFile(const std::string& path);
    // The settings files ApplyConfigFiles reads, the weakest first.
    static std::vector<std::string> ConfigFiles();
    // The server without trailing slashes.
    std::string ServerBase() const;
};
