#include "ground/FileTarget.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// As many links as the system itself follows in one path.
constexpr int kMaxLinks = 40;

std::string SystemError(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

} // namespace

const char* CFileTarget::KindName(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISFIFO(mode))
        return "a named pipe (FIFO)";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISLNK(mode))
        return "a symbolic link";
    return S_ISREG(mode) ? "a regular file" : "no regular file";
}

bool CFileTarget::Resolve(const std::string& target, std::string& resolved, std::string& error) {
    if (target.empty()) {
        error = "no file named";
        return false;
    }
    std::string current = target;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                error = SystemError(current);
                return false;
            }
            resolved = current; // a new file
            return true;
        }
        if (S_ISREG(st.st_mode)) {
            resolved = current;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            error = target;
            if (current != target)
                error += " (a link to " + current + ")";
            error += std::string(" is ") + KindName(st.st_mode) +
                     ", not a regular file: nothing was written";
            return false;
        }
        std::error_code ec;
        const fs::path link = fs::read_symlink(current, ec);
        if (ec) {
            error = current + ": " + ec.message();
            return false;
        }
        current = (link.is_absolute() ? link : fs::path(current).parent_path() / link)
                      .lexically_normal()
                      .string();
    }
    error = target + ": " + std::strerror(ELOOP);
    return false;
}

bool CFileTarget::Write(const std::string& target, std::string_view bytes, std::string& error,
                        WriteFunction write) {
    std::string path;
    if (!Resolve(target, path, error))
        return false;
    if (!write)
        write = &::write;
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;

    // The new file beside the target, so that the rename stays on one file system.
    const fs::path where(path);
    const std::string stem = (where.parent_path() / ("." + where.filename().string() + ".part-" +
                                                     std::to_string(::getpid())))
                                 .string();
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = attempt ? stem + "-" + std::to_string(attempt) : stem;
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            error = SystemError(path);
            return false;
        }
    }
    if (fd < 0) {
        error = SystemError(path);
        return false;
    }
    bool ok = !replacing || ::fchmod(fd, old.st_mode & 07777) == 0;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    // A full disk may show only when the file is synced or closed.
    ok = ok && ::fsync(fd) == 0;
    if (!ok)
        error = SystemError(path);
    if (::close(fd) != 0 && ok) {
        error = SystemError(path);
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        error = SystemError(path);
        ok = false;
    }
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}
