#include "data/CollectionLocator.h"

#include "data/Schema.h"
#include "ground/AppConstants.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kShippedCorpusName = "laws-zh.jsonl.xz";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string DataHome() {
    const std::string home = Env("XDG_DATA_HOME");
    if (!home.empty() && fs::path(home).is_absolute())
        return home;
    const std::string user = Env("HOME");
    return user.empty() ? std::string() : (fs::path(user) / ".local" / "share").string();
}

std::vector<std::string> SystemDataDirs() {
    std::vector<std::string> dirs;
    std::string list = Env("XDG_DATA_DIRS");
    const bool standard = list.empty();
    if (standard)
        list = "/usr/local/share:/usr/share";
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(':', start), list.size());
        const std::string dir = list.substr(start, end - start);
        if (!dir.empty() && fs::path(dir).is_absolute())
            dirs.push_back(fs::path(dir).lexically_normal().string());
        start = end + 1;
    }
#ifdef TOLVARIN_INSTALL_DATADIR
    // The folder the program was installed for, when the standard ones do not name it.
    if (!standard)
        return dirs;
    const std::string installed = fs::path(TOLVARIN_INSTALL_DATADIR).lexically_normal().string();
    bool listed = false;
    for (const std::string& dir : dirs)
        listed = listed || fs::path(dir) == fs::path(installed);
    if (!listed)
        dirs.push_back(installed);
#endif
    return dirs;
}

// What a file that is no regular file is, in the user's words.
const char* KindName(mode_t mode) {
    if (S_ISDIR(mode))
        return "是一个文件夹";
    if (S_ISFIFO(mode))
        return "是一个命名管道";
    if (S_ISSOCK(mode))
        return "是一个套接字";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "是一个设备";
    return "不是普通文件";
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

} // namespace

std::string CCollectionLocator::Absolute(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

std::vector<std::string> CCollectionLocator::Candidates(const std::string& explicitFile) {
    if (!explicitFile.empty())
        return {Absolute(explicitFile)};
    std::vector<std::string> files{Absolute(kDatabaseFileName)};
    if (const std::string user = UserCollectionFile(); !user.empty())
        files.push_back(user);
    for (const std::string& dir : SystemDataDirs())
        files.push_back((fs::path(dir) / "tolvarin" / kDatabaseFileName).string());
    return files;
}

CCollectionLocator::Result CCollectionLocator::Find(const std::string& explicitFile) {
    Result result;
    for (const std::string& file : Candidates(explicitFile)) {
        result.m_arrLooked.push_back(file);
        if (!IsFile(file))
            continue;
        std::string reason;
        if (IsCollection(file, reason)) {
            result.m_strFile = file;
            return result;
        }
        // A file in the way is reported rather than passed over: the user put it there.
        result.m_strRejected = file;
        result.m_strReason = reason;
        return result;
    }
    return result;
}

std::string CCollectionLocator::UserCollectionFile() {
    const std::string home = DataHome();
    return home.empty() ? std::string()
                        : (fs::path(home) / "tolvarin" / kDatabaseFileName).string();
}

std::string CCollectionLocator::ShippedCorpus() {
    std::vector<std::string> dirs;
    for (const std::string& dir : SystemDataDirs())
        dirs.push_back((fs::path(dir) / "tolvarin").string());
#ifdef TOLVARIN_SOURCE_CORPUS_DIR
    // Run from the build tree: the copy in the sources.
    dirs.push_back(TOLVARIN_SOURCE_CORPUS_DIR);
#endif
    for (const std::string& dir : dirs) {
        const std::string file = (fs::path(dir) / kShippedCorpusName).string();
        if (IsFile(file))
            return file;
    }
    return {};
}

bool CCollectionLocator::IsCollection(const std::string& path, std::string& reason) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        reason = "这是一个文件夹，不是法规库文件";
        return false;
    }
    {
        // Opened without waiting, so that a named pipe or a device cannot hold the program
        // up; only a regular file can be a collection.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            reason =
                std::string("这不是普通文件（") + KindName(st.st_mode) + "），不能作为法规库打开";
            return false;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            reason = errno == EACCES ? "无法读取这个文件（没有读取权限）"
                                     : std::string("无法读取这个文件：") + std::strerror(errno);
            return false;
        }
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            reason =
                std::string("这不是普通文件（") + KindName(st.st_mode) + "），不能作为法规库打开";
            return false;
        }
        char header[20] = {};
        size_t got = 0;
        while (got < sizeof header) {
            const ssize_t n = ::read(fd, header + got, sizeof header - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        ::close(fd);
        if (std::memcmp(header + 4, "Standard Jet DB", 15) == 0 ||
            std::memcmp(header + 4, "Standard ACE DB", 15) == 0) {
            reason = "这是 Microsoft Access 数据库文件，本程序只能打开 SQLite 格式的法规库";
            return false;
        }
        if (std::memcmp(header, "SQLite format 3", 15) != 0) {
            reason = "这不是数据库文件";
            return false;
        }
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        reason = std::string("无法打开这个数据库：") + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 5000);
    // Read first: a damaged or locked file says so in the engine's words.
    bool readable = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr,
                                 nullptr) == SQLITE_OK;
    const int code = sqlite3_errcode(db) & 0xff;
    std::string error = sqlite3_errmsg(db);
    if (!readable && (code == SQLITE_CANTOPEN || code == SQLITE_READONLY)) {
        // A collection on a read-only medium: read as it is, as the connection will.
        sqlite3_close(db);
        db = nullptr;
        std::string uri = "file:";
        for (const char c : path) {
            const auto b = static_cast<unsigned char>(c);
            if (c == '%' || c == '?' || c == '#' || b < 0x21 || b == 0x7F) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%%%02X", b);
                uri += hex;
            } else {
                uri += c;
            }
        }
        uri += "?immutable=1";
        readable = sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                                   nullptr) == SQLITE_OK &&
                   sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr,
                                nullptr) == SQLITE_OK;
        if (!readable && db)
            error = sqlite3_errmsg(db);
    }
    std::string missing;
    const bool collection = readable && CSchema::CheckCollection(db, missing);
    sqlite3_close(db);
    if (!readable) {
        reason = "无法读取这个数据库：" + error;
        return false;
    }
    if (!collection) {
        reason = "这个数据库里没有法规库的表和列（缺少 " + missing + "）";
        return false;
    }
    return true;
}
