#include "tools/admin/OutputFile.h"

#include "ground/FileTarget.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const char* const kJournalSuffixes[] = {"-wal", "-shm", "-journal"};

// Makes the file's contents durable before it takes the target's name (the writers run
// without syncing).
bool SyncFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        error = path + ": " + std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace

COutputFile::~COutputFile() {
    if (m_bActive)
        RemoveTemp();
}

void COutputFile::RemoveTemp() {
    std::error_code ec;
    std::filesystem::remove(m_strTemp, ec);
    for (const char* suffix : kJournalSuffixes)
        std::filesystem::remove(m_strTemp + suffix, ec);
}

bool COutputFile::Begin(const std::string& target, bool replace, std::string& error) {
    // A link is written through: its file takes the new database and the link stays.
    std::string resolved;
    if (!CFileTarget::Resolve(target, resolved, error))
        return false;
    std::error_code ec;
    if (!replace && std::filesystem::exists(resolved, ec)) {
        error = "already exists (use --force to replace it)";
        return false;
    }
    const std::filesystem::path path(resolved);
    std::filesystem::path temp = path.parent_path();
    temp /= "." + path.filename().string() + ".tmp-" + std::to_string(::getpid());
    m_strTarget = resolved;
    m_strTemp = temp.string();
    RemoveTemp();
    m_bActive = true;
    return true;
}

bool COutputFile::Commit(std::string& error) {
    if (!m_bActive) {
        error = "nothing to commit";
        return false;
    }
    // Whatever is still in the write-ahead log goes into the file itself: the log keeps its
    // temporary name and is removed with it.
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(m_strTemp.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
        error = m_strTemp + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return false;
    }
    sqlite3_close(db);
    if (!SyncFile(m_strTemp, error))
        return false;
    std::error_code ec;
    // The journal files of a replaced database would be taken as the new one's.
    for (const char* suffix : kJournalSuffixes) {
        std::filesystem::remove(m_strTarget + suffix, ec);
        if (ec) {
            error = m_strTarget + suffix + ": " + ec.message();
            return false;
        }
    }
    if (std::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0) {
        error = m_strTarget + ": " + std::strerror(errno);
        return false;
    }
    m_bActive = false;
    for (const char* suffix : kJournalSuffixes)
        std::filesystem::remove(m_strTemp + suffix, ec);
    return true;
}
