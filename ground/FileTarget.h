#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// A file that a command is told to write. It may be a new name or a regular file, which the
// new contents replace; a symbolic link is written through: the file it leads to takes the
// new contents and the link stays as it is (a link to a name not yet taken makes that file).
// Anything else at the name (a folder, a device, a named pipe, a socket) is refused before
// anything is written.
class CFileTarget {
public:
    // How the bytes reach the disk; tests put a failing one in its place.
    using WriteFunction = ssize_t (*)(int fd, const void* data, size_t size);

    // The path to write for `target`: itself, or the file its links lead to. False with
    // `error` (for the command line, in English) when that is not a regular file or the
    // links go round in a circle.
    static bool Resolve(const std::string& target, std::string& resolved, std::string& error);

    // Writes `bytes` as the file `target` (resolved as above): into a new file beside it,
    // synced and then renamed over it, so that a failure (a full disk) leaves the target as
    // it was and no other file behind. A file replaced keeps its mode.
    static bool Write(const std::string& target, std::string_view bytes, std::string& error,
                      WriteFunction write = nullptr);

    // What a file of this mode is, for a message: "a folder", "a named pipe (FIFO)", ...
    static const char* KindName(mode_t mode);
};
