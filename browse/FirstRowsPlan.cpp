#include "browse/FirstRowsPlan.h"

#include <string_view>

namespace {

constexpr std::string_view kOrder = " order by datum DESC";

// Reads a name of letters, digits and underscores at `pos`; empty when there is none.
std::string ReadName(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size()) {
        const char c = text[pos];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_'))
            break;
        ++pos;
    }
    return std::string(text.substr(start, pos - start));
}

// Consumes `expected` at `pos`.
bool Take(std::string_view text, std::size_t& pos, std::string_view expected) {
    if (text.substr(pos, expected.size()) != expected)
        return false;
    pos += expected.size();
    return true;
}

} // namespace

bool CFirstRowsPlan::Split(const std::string& statement, CFirstRowsPlan& plan) {
    std::string_view text(statement);
    if (text.size() < kOrder.size() || text.substr(text.size() - kOrder.size()) != kOrder)
        return false;
    text.remove_suffix(kOrder.size());
    std::size_t pos = 0;
    // The dialogs' statement builder writes "select  distinct".
    if (!Take(text, pos, "select ") ||
        !(Take(text, pos, "distinct ") || Take(text, pos, " distinct ")))
        return false;
    // The law id comes from the link ("v") in a category listing and from the law in a search.
    const std::string idFrom = ReadName(text, pos);
    if (idFrom.empty() || !Take(text, pos, ".lawid as lawid,"))
        return false;
    const std::string alias = ReadName(text, pos);
    if (alias.empty() || alias == "v" || (idFrom != "v" && idFrom != alias))
        return false;
    const std::string columns = alias + ".topic as topic," + alias + ".datum as datum," + alias +
                                ".wenhao as wenhao," + alias + ".bumen as bumen from (";
    if (!Take(text, pos, columns.substr(alias.size())))
        return false;
    const std::string links = ReadName(text, pos);
    if (links.empty() || !Take(text, pos, " v left join "))
        return false;
    const std::string laws = ReadName(text, pos);
    if (laws.empty() || !Take(text, pos, " " + alias + " on v.lawid=" + alias + ".lawid)"))
        return false;
    std::string condition;
    if (pos < text.size()) {
        // Everything after " where " is the condition, whatever it holds: the words typed
        // lie inside it, never in the part read above.
        if (!Take(text, pos, " where ") || pos == text.size())
            return false;
        condition = std::string(text.substr(pos));
    }
    plan.m_strStatement = std::string(text);
    plan.m_strLinks = links;
    plan.m_strLaws = laws;
    plan.m_strAlias = alias;
    plan.m_strCondition = std::move(condition);
    return true;
}

std::string CFirstRowsPlan::FirstRows(std::size_t limit) const {
    const std::string& a = m_strAlias;
    // The condition stays inside the link's subquery, where it names the link as "v" and the
    // law by its alias, as in the join.
    return "select " + a + ".lawid as lawid," + a + ".topic as topic," + a + ".datum as datum," +
           a + ".wenhao as wenhao," + a + ".bumen as bumen from " + m_strLaws + " " + a +
           " indexed by " + m_strLaws + "_list where " + a +
           ".datum is not null and exists (select 1 from " + m_strLinks + " v where v.lawid=" + a +
           ".lawid" + (m_strCondition.empty() ? "" : " and (" + m_strCondition + ")") +
           ") order by " + a + ".datum DESC," + a + ".lawid DESC limit " + std::to_string(limit);
}

std::string CFirstRowsPlan::Rest(std::size_t offset) const {
    std::string sql = m_strStatement + std::string(kOrder) + ",lawid DESC";
    if (offset > 0)
        sql += " limit -1 offset " + std::to_string(offset);
    return sql;
}
