// Where the program finds its collection, and what it counts as one.
#include "data/CollectionLocator.h"
#include "TestDb.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// Points the working directory and the XDG folders into a scratch tree for one test.
class ScratchHome {
public:
    ScratchHome() {
        m_previous = std::filesystem::current_path();
        for (const char* sub : {"work", "data", "sys1", "sys2"})
            std::filesystem::create_directories(m_dir.Path() / sub);
        std::filesystem::current_path(m_dir.Path() / "work");
        Save("XDG_DATA_HOME", Path("data"));
        Save("XDG_DATA_DIRS", Path("sys1") + ":" + Path("sys2"));
    }
    ~ScratchHome() {
        std::filesystem::current_path(m_previous);
        for (const auto& [name, value] : m_saved) {
            if (value.second)
                setenv(name.c_str(), value.first.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    std::string Path(const std::string& sub) const { return (m_dir.Path() / sub).string(); }
    // An empty collection at sub/tolvarin/db1.mdb (sub "work": the working directory's db1.mdb).
    std::string Collection(const std::string& sub) const {
        const std::string file =
            sub == "work" ? Path("work/db1.mdb") : Path(sub + "/tolvarin/db1.mdb");
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::string error;
        EXPECT_TRUE(CSchema::CreateDatabase(file, false, error)) << error;
        return file;
    }

private:
    void Save(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        m_saved.emplace_back(name, std::make_pair(std::string(old ? old : ""), old != nullptr));
        setenv(name.c_str(), value.c_str(), 1);
    }
    TempDir m_dir;
    std::filesystem::path m_previous;
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> m_saved;
};

} // namespace

TEST(CollectionLocator, LooksInOrderAndTakesTheFirstCollection) {
    const struct {
        const char* what;
        std::vector<std::string> present; // where collections are
        const char* expected;             // which one is opened ("" for none)
    } cases[] = {
        {"none anywhere", {}, ""},
        {"working directory first", {"work", "data", "sys1"}, "work/db1.mdb"},
        {"the user's over the system's", {"data", "sys2"}, "data/tolvarin/db1.mdb"},
        {"first system folder listed", {"sys1", "sys2"}, "sys1/tolvarin/db1.mdb"},
        {"second system folder", {"sys2"}, "sys2/tolvarin/db1.mdb"},
    };
    for (const auto& c : cases) {
        ScratchHome home;
        for (const std::string& where : c.present)
            home.Collection(where);
        const CCollectionLocator::Result found = CCollectionLocator::Find("");
        EXPECT_EQ(found.m_strFile, *c.expected ? home.Path(c.expected) : "") << c.what;
        EXPECT_TRUE(found.m_strRejected.empty()) << c.what;
        if (!*c.expected) {
            // Every place, with its full path, in the order looked at.
            EXPECT_EQ(found.m_arrLooked,
                      (std::vector<std::string>{
                          home.Path("work/db1.mdb"), home.Path("data/tolvarin/db1.mdb"),
                          home.Path("sys1/tolvarin/db1.mdb"), home.Path("sys2/tolvarin/db1.mdb")}))
                << c.what;
        }
    }
}

TEST(CollectionLocator, AnExplicitFileIsTheOnlyOneLookedAt) {
    ScratchHome home;
    home.Collection("work");
    home.Collection("data");
    const std::string other = home.Collection("sys1");
    // Relative to the working directory, reported with its full path.
    const auto named = CCollectionLocator::Find("../sys1/tolvarin/db1.mdb");
    EXPECT_EQ(named.m_strFile, other);
    const auto missing = CCollectionLocator::Find("nothing.mdb");
    EXPECT_EQ(missing.m_strFile, "");
    EXPECT_EQ(missing.m_arrLooked, std::vector<std::string>{home.Path("work/nothing.mdb")});
}

TEST(CollectionLocator, AFileThatHoldsNoCollectionIsReportedNotPassedOver) {
    const struct {
        const char* what;
        std::string bytes; // "" with sqlite: an SQLite file without the law tables
        bool sqlite;
        const char* reason;
    } cases[] = {
        {"text", std::string(5000, 'x'), false, "不是数据库"},
        {"empty", "", false, "不是数据库"},
        {"access", std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20) + std::string(4096, '\0'),
         false, "Microsoft Access"},
        {"other database", "", true, "缺少 dorntree"},
    };
    for (const auto& c : cases) {
        ScratchHome home;
        const std::string user = home.Collection("data");
        const std::string file = home.Path("work/db1.mdb");
        if (c.sqlite) {
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
            sqlite3_exec(db, "create table notes(x)", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        } else {
            std::ofstream(file, std::ios::binary) << c.bytes;
        }
        const auto found = CCollectionLocator::Find("");
        EXPECT_EQ(found.m_strFile, "") << c.what;
        EXPECT_EQ(found.m_strRejected, file) << c.what;
        EXPECT_NE(found.m_strReason.find(c.reason), std::string::npos)
            << c.what << ": " << found.m_strReason;
        std::string reason;
        EXPECT_TRUE(CCollectionLocator::IsCollection(user, reason)) << reason;
        EXPECT_FALSE(CCollectionLocator::IsCollection(home.Path("work"), reason)) << c.what;
    }
}

// A --db that names a named pipe, a device or a socket is refused at once, never opened to
// wait for a writer; a link to a collection is one.
TEST(CollectionLocator, ANamedFileThatIsNoRegularFileIsRefusedAtOnce) {
    ScratchHome home;
    const std::string collection = home.Collection("data");
    const std::string fifo = home.Path("work/pipe.mdb");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string device = home.Path("work/device.mdb");
    std::filesystem::create_symlink("/dev/null", device);
    const std::string socketFile = home.Path("work/socket.mdb");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketFile.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string link = home.Path("work/link.mdb");
    std::filesystem::create_symlink(collection, link);

    const struct {
        std::string file;
        const char* reason; // "" for a collection
    } cases[] = {{fifo, "命名管道"}, {device, "设备"}, {socketFile, "套接字"}, {link, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto found =
            std::async(std::launch::async, [&] { return CCollectionLocator::Find(c.file); });
        if (found.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // Stuck opening the pipe: a writer lets it go so that the test can fail.
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
            found.wait();
            ADD_FAILURE() << "waited on " << c.file;
            continue;
        }
        const CCollectionLocator::Result result = found.get();
        if (!*c.reason) {
            EXPECT_EQ(result.m_strFile, CCollectionLocator::Absolute(c.file));
            continue;
        }
        EXPECT_EQ(result.m_strFile, "");
        EXPECT_EQ(result.m_strRejected, c.file);
        EXPECT_NE(result.m_strReason.find(c.reason), std::string::npos) << result.m_strReason;
    }
    ::close(listener);
}
