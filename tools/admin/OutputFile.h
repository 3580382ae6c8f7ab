#pragma once

#include <string>

// Where a command writes a new database: a temporary file beside the target, moved into place
// only when everything is written. A command that fails, or is killed, leaves no target
// behind, and an existing target it was to replace stays as it was.
class COutputFile {
public:
    COutputFile() = default;
    // Removes the temporary file with its journal files unless it was committed.
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Refuses an existing target unless `replace`, and always one that is no regular file (a
    // folder, a device, a named pipe); a symbolic link is followed, so that the file it
    // leads to is replaced and the link stays. Picks the temporary file (".NAME.tmp-PID" in
    // that file's directory) and clears what a killed run may have left there.
    bool Begin(const std::string& target, bool replace, std::string& error);
    // The file to write into, until Commit.
    const std::string& Path() const { return m_strTemp; }
    // Moves the written file into place, replacing the target and the target's own journal
    // files. Every connection to the temporary file must be closed.
    bool Commit(std::string& error);

private:
    void RemoveTemp();

    std::string m_strTarget;
    std::string m_strTemp;
    bool m_bActive = false;
};
