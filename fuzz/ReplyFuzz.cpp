// Any bytes as an update reply, read and merged into a scratch database: never a crash, the
// reader always ends with a decision, and the category tree it builds stays sound (every
// category's child count matches its children, every child id lies in its parent's range).
// The first byte picks the stream (categories, laws, links) and the edition.

#include "FuzzInput.h"

#include "data/Schema.h"
#include "data/TreeNode.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "update/LawUpdater.h"
#include "update/LinkUpdater.h"
#include "update/ReplyReader.h"
#include "update/TreeUpdater.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>

namespace {

// A scratch directory with db1.mdb, made the working directory once.
void PrepareDatabase() {
    static bool done = false;
    if (done)
        return;
    done = true;
    std::string dir = (std::filesystem::temp_directory_path() / "reply-fuzz-XXXXXX").string();
    FUZZ_CHECK(mkdtemp(dir.data()) != nullptr);
    std::filesystem::current_path(dir);
    std::string error;
    FUZZ_CHECK(CSchema::CreateDatabase("db1.mdb", true, error));
}

void CheckTree(const char* table) {
    sqlite3* db = nullptr;
    FUZZ_CHECK(sqlite3_open_v2("db1.mdb", &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    const std::string rows = std::string("select id,childs from ") + table;
    FUZZ_CHECK(sqlite3_prepare_v2(db, rows.c_str(), -1, &stmt, nullptr) == SQLITE_OK);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        CTreeNode node;
        node.SetNodeId(sqlite3_column_int(stmt, 0));
        const int childs = sqlite3_column_int(stmt, 1);
        sqlite3_stmt* count = nullptr;
        const std::string q =
            std::string("select count(*),sum(id<=?1 or id>=?2) from ") + table + " where parid=?1";
        FUZZ_CHECK(sqlite3_prepare_v2(db, q.c_str(), -1, &count, nullptr) == SQLITE_OK);
        sqlite3_bind_int(count, 1, node.GetNodeId());
        sqlite3_bind_int(count, 2, node.GetRangeEnd());
        FUZZ_CHECK(sqlite3_step(count) == SQLITE_ROW);
        FUZZ_CHECK(sqlite3_column_int(count, 0) == childs);
        FUZZ_CHECK(sqlite3_column_int(count, 1) == 0);
        sqlite3_finalize(count);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CMessageRecorder messages; // database refusals are boxes; keep them quiet
    PrepareDatabase();
    if (size == 0)
        return 0;
    const int stream = data[0] % 3;
    theUpdateEditionConfig.SetEdition((data[0] / 3) % 2);
    std::unique_ptr<CUpdaterBase> updater;
    if (stream == 0) {
        auto tree = std::make_unique<CTreeUpdater>();
        tree->BeginEdition();
        updater = std::move(tree);
    } else if (stream == 1) {
        auto law = std::make_unique<CLawUpdater>();
        law->BeginEdition();
        updater = std::move(law);
    } else {
        auto link = std::make_unique<CLinkUpdater>();
        link->BeginEdition();
        updater = std::move(link);
    }
    CReplyReader reader(*updater, nullptr, nullptr, 4096);
    // Fed in pieces of varying size, as a transfer delivers it.
    size_t offset = 1;
    size_t piece = 1;
    while (offset < size && reader.Feed(reinterpret_cast<const char*>(data) + offset,
                                        std::min(piece, size - offset))) {
        offset += piece;
        piece = piece * 3 % 97 + 1;
    }
    reader.EndOfData();
    FUZZ_CHECK(reader.Error().empty() || !reader.GoOn());
    updater->EndEdition();
    updater.reset();
    messages.Clear();
    CheckTree(theUpdateEditionConfig.GetTreeTable());
    return 0;
}
