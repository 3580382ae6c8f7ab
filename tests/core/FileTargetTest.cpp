// What a command that writes a named file does with what is at the name.
#include "ground/FileTarget.h"
#include "TestDb.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A disk that fills after a few bytes.
ssize_t FullAfterTen(int fd, const void* data, size_t size) {
    if (size > 10)
        return ::write(fd, data, 10);
    errno = ENOSPC;
    return -1;
}

} // namespace

TEST(FileTarget, WritesRegularFilesAndThroughLinksAndRefusesEverythingElse) {
    TempDir dir;
    std::ofstream(dir.File("old.pdf")) << "old";
    ::chmod(dir.File("old.pdf").c_str(), 0640);
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    fs::create_directory(dir.File("folder"));
    fs::create_directory(dir.File("elsewhere"));
    std::ofstream(dir.File("elsewhere/real.pdf")) << "old";
    fs::create_symlink("elsewhere/real.pdf", dir.File("link.pdf"));
    fs::create_symlink("link.pdf", dir.File("link2.pdf"));
    fs::create_symlink("elsewhere/new.pdf", dir.File("dangling.pdf"));
    fs::create_symlink("/dev/null", dir.File("null.pdf"));
    fs::create_symlink("loop1", dir.File("loop2"));
    fs::create_symlink("loop2", dir.File("loop1"));

    const struct {
        std::string target;
        std::string written; // the file that takes the bytes; "" when refused
        const char* error;
    } cases[] = {
        {dir.File("new.pdf"), dir.File("new.pdf"), ""},
        {dir.File("old.pdf"), dir.File("old.pdf"), ""},
        {dir.File("link.pdf"), dir.File("elsewhere/real.pdf"), ""},
        {dir.File("link2.pdf"), dir.File("elsewhere/real.pdf"), ""},
        {dir.File("dangling.pdf"), dir.File("elsewhere/new.pdf"), ""},
        {dir.File("pipe"), "", "named pipe"},
        {dir.File("folder"), "", "folder"},
        {dir.File("null.pdf"), "", "character device"},
        {"/dev/full", "", "character device"},
        {dir.File("loop1"), "", "symbolic links"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        std::string error;
        const bool written = CFileTarget::Write(c.target, "%PDF-new", error);
        EXPECT_EQ(written, !c.written.empty()) << error;
        if (c.written.empty()) {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(Read(c.written), "%PDF-new");
    }
    // The links stay links; the pipe, the device and the folder stay what they were.
    EXPECT_TRUE(fs::is_symlink(dir.File("link.pdf")));
    EXPECT_TRUE(fs::is_symlink(dir.File("dangling.pdf")));
    EXPECT_TRUE(fs::is_fifo(dir.File("pipe")));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_TRUE(fs::is_directory(dir.File("folder")));
    EXPECT_EQ(fs::status(dir.File("old.pdf")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{
                                     "dangling.pdf", "elsewhere", "folder", "link.pdf", "link2.pdf",
                                     "loop1", "loop2", "new.pdf", "null.pdf", "old.pdf", "pipe"}));
}

TEST(FileTarget, AFullDiskFailsAndLeavesTheTargetAsItWasAndNothingElse) {
    TempDir dir;
    std::ofstream(dir.File("old.pdf")) << "old";
    for (const char* name : {"old.pdf", "new.pdf"}) {
        SCOPED_TRACE(name);
        std::string error;
        EXPECT_FALSE(
            CFileTarget::Write(dir.File(name), std::string(1000, 'x'), error, &FullAfterTen));
        EXPECT_NE(error.find("No space left"), std::string::npos) << error;
    }
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"old.pdf"});
    EXPECT_EQ(Read(dir.File("old.pdf")), "old");
}
