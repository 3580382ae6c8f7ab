#include "browse/FirstRowsPlan.h"

#include "data/SqlStatement.h"

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

// The words of the title conditions of `condition`, a conjunction written by the search
// composer: "<alias>.topic like '%word%'" with the word's quotes doubled. Literals are read as
// the engine reads them, so a word typed never passes for a condition. Nothing when the
// condition is anything but conditions joined by " and ".
std::vector<std::string> TitleWords(std::string_view condition, const std::string& alias) {
    const std::string title = alias + ".topic like '";
    std::vector<std::string> words;
    std::size_t pos = 0;
    bool conjunctStart = true;
    while (pos < condition.size()) {
        if (conjunctStart && condition.substr(pos, title.size()) == title) {
            // The literal, up to its closing quote.
            std::string literal;
            std::size_t at = pos + title.size();
            bool closed = false;
            while (at < condition.size()) {
                if (condition[at] == '\'') {
                    if (at + 1 < condition.size() && condition[at + 1] == '\'') {
                        literal += '\'';
                        at += 2;
                        continue;
                    }
                    closed = true;
                    ++at;
                    break;
                }
                literal += condition[at++];
            }
            if (!closed || literal.size() < 2 || literal.front() != '%' || literal.back() != '%')
                return {};
            words.push_back(literal.substr(1, literal.size() - 2));
            pos = at;
            conjunctStart = false;
            continue;
        }
        conjunctStart = false;
        const char c = condition[pos];
        if (c == '\'') {
            // Any other literal: skipped whole.
            for (++pos; pos < condition.size(); ++pos)
                if (condition[pos] == '\'') {
                    if (pos + 1 < condition.size() && condition[pos + 1] == '\'')
                        ++pos;
                    else
                        break;
                }
            ++pos;
            continue;
        }
        if (condition.substr(pos, 5) == " and ") {
            pos += 5;
            conjunctStart = true;
            continue;
        }
        // Anything that could make a title condition less than required.
        if (c == '(' || c == ')' || condition.substr(pos, 4) == " or " ||
            condition.substr(pos, 4) == "not " || condition.substr(pos, 4) == "NOT " ||
            condition.substr(pos, 4) == " OR ")
            return {};
        ++pos;
    }
    return words;
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
    plan.m_titleWords = TitleWords(condition, alias);
    plan.m_strCondition = std::move(condition);
    return true;
}

std::string CFirstRowsPlan::Narrowed(const std::vector<int>& lawids) const {
    const std::string in = InCondition(m_strAlias + ".lawid", lawids);
    const std::size_t where = m_strStatement.find(" where ", m_strStatement.find(" on v.lawid="));
    std::string sql = m_strStatement;
    if (where == std::string::npos)
        sql += " where " + in;
    else
        sql = sql.substr(0, where) + " where " + in + " and (" + m_strCondition + ")";
    return sql + std::string(kOrder);
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

std::string CFirstRowsPlan::Rest() const {
    return m_strStatement + std::string(kOrder) + ",lawid DESC";
}
