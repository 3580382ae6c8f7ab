#include "data/LawVersions.h"

#include "data/DbConnection.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

struct CFold {
    std::string_view m_from;
    std::string_view m_to; // empty: dropped
};

// Blanks dropped and bracket forms folded into one.
constexpr CFold kFolds[] = {{" ", ""},      {"\t", ""},     {"\r", ""},   {"\n", ""},
                            {"\u3000", ""}, {"\u00A0", ""}, {"〈", "《"}, {"〉", "》"},
                            {"(", "（"},    {")", "）"},    {"[", "〔"},  {"]", "〕"},
                            {"［", "〔"},   {"］", "〕"},   {"《", "《"}, {"》", "》"},
                            {"（", "（"},   {"）", "）"},   {"〔", "〔"}, {"〕", "〕"}};

// The fold that starts at `pos`, or nullptr.
const CFold* FoldAt(std::string_view text, size_t pos) {
    for (const CFold& fold : kFolds)
        if (text.substr(pos, fold.m_from.size()) == fold.m_from)
            return &fold;
    return nullptr;
}

// The smallest text above every text beginning with `prefix` (empty: none).
std::string UpperBound(std::string_view prefix) {
    std::string upper(prefix);
    while (!upper.empty() && static_cast<unsigned char>(upper.back()) == 0xFF)
        upper.pop_back();
    if (!upper.empty())
        upper.back() = static_cast<char>(static_cast<unsigned char>(upper.back()) + 1);
    return upper;
}

std::string Column(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<size_t>(sqlite3_column_bytes(stmt, column)))
                : std::string();
}

} // namespace

std::string CLawVersions::NormaliseTitle(std::string_view title) {
    std::string out;
    out.reserve(title.size());
    for (size_t i = 0; i < title.size();) {
        if (const CFold* fold = FoldAt(title, i)) {
            out += fold->m_to;
            i += fold->m_from.size();
        } else {
            out += title[i++];
        }
    }
    return out;
}

std::string_view CLawVersions::SharedPrefix(std::string_view title) {
    for (size_t i = 0; i < title.size(); ++i)
        if (FoldAt(title, i))
            return title.substr(0, i);
    return title;
}

std::vector<CLawVersion> CLawVersions::Find(CDbConnection& db, const std::string& lawTable,
                                            std::string_view title) {
    std::vector<CLawVersion> versions;
    sqlite3* handle = db.GetConnectionHandle();
    if (!handle || title.empty())
        return versions;
    const std::string want = NormaliseTitle(title);
    if (want.empty())
        return versions;
    const std::string_view prefix = SharedPrefix(title);
    const std::string upper = UpperBound(prefix);
    // The title index holds (topic, datum): the titles in the prefix's range are read from it
    // alone.
    std::string sql = "SELECT lawid, topic, datum FROM \"" + lawTable + "\" WHERE topic >= ?1";
    if (!upper.empty())
        sql += " AND topic < ?2";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return versions;
    }
    sqlite3_bind_text(stmt, 1, prefix.data(), static_cast<int>(prefix.size()), SQLITE_TRANSIENT);
    if (!upper.empty())
        sqlite3_bind_text(stmt, 2, upper.data(), static_cast<int>(upper.size()), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        std::string topic = Column(stmt, 1);
        if (NormaliseTitle(topic) != want)
            continue;
        CLawVersion version;
        version.m_nLawId = sqlite3_column_int(stmt, 0);
        version.m_strTopic = std::move(topic);
        version.m_strDatum = Column(stmt, 2).substr(0, 10);
        versions.push_back(std::move(version));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        return {};
    std::sort(versions.begin(), versions.end(), [](const CLawVersion& a, const CLawVersion& b) {
        if (a.m_strDatum != b.m_strDatum)
            return a.m_strDatum > b.m_strDatum;
        return a.m_nLawId > b.m_nLawId;
    });
    return versions;
}

std::vector<CLawVersion> CLawVersions::OfLaw(CDbConnection& db, const std::string& lawTable,
                                             int lawid) {
    sqlite3* handle = db.GetConnectionHandle();
    if (!handle || lawid <= 0)
        return {};
    const std::string sql = "SELECT topic FROM \"" + lawTable + "\" WHERE lawid = ?1";
    sqlite3_stmt* stmt = nullptr;
    std::string title;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_int(stmt, 1, lawid);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            title = Column(stmt, 0);
    }
    sqlite3_finalize(stmt);
    std::vector<CLawVersion> versions = Find(db, lawTable, title);
    if (versions.size() < 2)
        versions.clear();
    return versions;
}

bool CLawVersions::IsHistorical(const std::vector<CLawVersion>& versions, int lawid) {
    for (size_t i = 1; i < versions.size(); ++i)
        if (versions[i].m_nLawId == lawid)
            return true;
    return false;
}
