#include "tests/publish/LocalCluster.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

CLocalCluster::CLocalCluster(const std::string& dir, const std::string& collection, int publishers)
    : m_strDir(dir + "/cluster") {
    // The database runs as an unprivileged account, which must reach its folder.
    std::filesystem::permissions(
        dir, std::filesystem::perms::group_exec | std::filesystem::perms::others_exec,
        std::filesystem::perm_options::add);
    const std::string log = dir + "/cluster-start.log";
    const std::string command = std::string(TOLVARIN_SOURCE_DIR) + "/deploy/local-cluster start '" +
                                m_strDir + "' --publishers " + std::to_string(publishers) +
                                " --collection '" + collection + "' --build '" +
                                TOLVARIN_BUILD_DIR + "' >'" + log + "' 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream logIn(log);
    std::stringstream text;
    text << logIn.rdbuf();
    m_strLog = text.str();
    if (status != 0)
        return;
    std::ifstream env(m_strDir + "/cluster.env");
    for (std::string line; std::getline(env, line);) {
        if (line.rfind("PG_URI=", 0) == 0)
            m_strUri = line.substr(7);
        else if (line.rfind("PROXY_URL=", 0) == 0)
            m_strProxyUrl = line.substr(10);
    }
}

CLocalCluster::~CLocalCluster() {
    const std::string command = std::string(TOLVARIN_SOURCE_DIR) + "/deploy/local-cluster stop '" +
                                m_strDir + "' >/dev/null 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str());
}

std::string CLocalCluster::Diagnostics() const {
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(m_strDir)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".log")
            continue;
        std::ifstream in(entry.path());
        std::stringstream content;
        content << in.rdbuf();
        std::string tail = content.str();
        if (tail.size() > 2000)
            tail = "..." + tail.substr(tail.size() - 2000);
        text += "\n== " + name + "\n" + tail;
    }
    return text;
}
