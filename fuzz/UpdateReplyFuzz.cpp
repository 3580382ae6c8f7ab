// One update run's replies over any bytes: the category reply (opening style), then the law
// and the link replies (closing style), each read by the reply reader from the wire charset
// in pieces and merged into an in-memory database shared by the three updaters, as the
// workers do one after the other. Never a crash; afterwards the database is sound: it passes
// its integrity check, every category hangs under a stored parent that counts it, every law
// carries a server id, and every link joins a stored law to a stored category.

#include "FuzzInput.h"
#include "data/Schema.h"
#include "ground/EditionConfig.h"
#include "ground/GbkCodec.h"
#include "ground/MessageService.h"
#include "update/LawUpdater.h"
#include "update/LinkUpdater.h"
#include "update/ReplyReader.h"
#include "update/TreeUpdater.h"

#include <sqlite3.h>

namespace {

const char* const kMemoryDb =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=file:replyfuzz?mode=memory&cache=shared";

// Boxes of the data layer go nowhere.
class CSilentMessages : public CMessageService {
public:
    void Show(const std::string&, const std::string&, MsgIcon) override {}
};

// An updater on the shared in-memory database instead of db1.mdb.
template <class TUpdater> class CMemoryUpdater : public TUpdater {
public:
    CMemoryUpdater() {
        this->m_db.Close();
        this->m_db.Connect(kMemoryDb, 1);
    }
};

template <class TUpdater>
void Merge(const std::string& reply, size_t piece, int edition, int stop) {
    theUpdateEditionConfig.SetEdition(edition);
    static CGbkCodec codec("GBK");
    CMemoryUpdater<TUpdater> updater;
    updater.BeginEdition();
    CReplyReader reader(updater, nullptr, &codec, 1 << 16);
    size_t at = 0;
    while (at < reply.size() && reader.Feed(reply.data() + at, std::min(piece, reply.size() - at)))
        at += piece;
    if (stop)
        reader.Abandon();
    else
        reader.EndOfData();
    updater.EndEdition();
}

std::vector<std::vector<std::string>> Rows(sqlite3* db, const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* stmt = nullptr;
    FUZZ_CHECK(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto* text = sqlite3_column_text(stmt, i);
            row.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
        }
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CSilentMessages silent;
    static const bool ready = [] {
        SetMessageService(&silent);
        // The updaters' connections name the database by URI.
        return sqlite3_config(SQLITE_CONFIG_URI, 1) == SQLITE_OK;
    }();
    FUZZ_CHECK(ready);
    const std::vector<std::string> parts = SplitFuzzInput(data, size, 4);
    // The first part chooses the edition, the size of the pieces the reply arrives in and
    // whether the replies break off instead of ending.
    const unsigned char options = parts[0].empty() ? 0 : static_cast<unsigned char>(parts[0][0]);
    const int edition = options & 1;
    const size_t piece = size_t(1) << ((options >> 1) & 7); // 1 to 128 bytes
    const int stop = (options >> 4) & 1;

    // The database lives as long as this connection.
    sqlite3* keeper = nullptr;
    FUZZ_CHECK(sqlite3_open_v2("file:replyfuzz?mode=memory&cache=shared", &keeper,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                               nullptr) == SQLITE_OK);
    const std::string ddl = CSchema::EditionDdl("") + CSchema::EditionDdl("en_");
    FUZZ_CHECK(sqlite3_exec(keeper, ddl.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK);

    Merge<CTreeUpdater>(parts[1], piece, edition, stop);
    Merge<CLawUpdater>(parts[2], piece, edition, stop);
    Merge<CLinkUpdater>(parts[3], piece, edition, stop);

    const std::string p = edition ? "en_" : "";
    FUZZ_CHECK(Rows(keeper, "PRAGMA integrity_check") ==
               (std::vector<std::vector<std::string>>{{"ok"}}));
    FUZZ_CHECK(Rows(keeper, "select id from " + p +
                                "dorntree t where (parid<>0 and not exists "
                                "(select 1 from " +
                                p +
                                "dorntree u where u.id=t.parid)) or childs<>"
                                "(select count(*) from " +
                                p + "dorntree c where c.parid=t.id)")
                   .empty());
    FUZZ_CHECK(Rows(keeper, "select lawid from " + p + "dornlaws where oldid is null").empty());
    FUZZ_CHECK(Rows(keeper, "select lawid from " + p +
                                "dornlawas a where not exists (select 1 "
                                "from " +
                                p +
                                "dornlaws l where l.lawid=a.lawid) or not exists "
                                "(select 1 from " +
                                p + "dorntree t where t.id=a.treeid)")
                   .empty());
    // The other edition's tables stay untouched.
    const std::string other = edition ? "" : "en_";
    FUZZ_CHECK(Rows(keeper, "select (select count(*) from " + other +
                                "dorntree)+(select count(*) "
                                "from " +
                                other + "dornlaws)+(select count(*) from " + other +
                                "dornlawas)") == (std::vector<std::vector<std::string>>{{"0"}}));
    sqlite3_close(keeper);
    return 0;
}
