#include "search/QuickSearch.h"

#include "data/SearchIndex.h"
#include "search/SearchComposer.h"
#include "search/SearchLimits.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>

namespace {

const char kNationPrefix[] = "中华人民共和国";

// Length of the Unicode blank at `pos` (0 when none): ASCII white space, U+0085, U+00A0,
// U+1680, U+2000-U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
size_t BlankAt(const std::string& s, size_t pos) {
    const auto b = [&](size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u; };
    const unsigned c = b(pos);
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        return 1;
    if (c == 0xC2 && (b(pos + 1) == 0x85 || b(pos + 1) == 0xA0))
        return 2;
    if (c == 0xE1 && b(pos + 1) == 0x9A && b(pos + 2) == 0x80)
        return 3;
    if (c == 0xE2 && b(pos + 1) == 0x80 &&
        (b(pos + 2) <= 0x8A || b(pos + 2) == 0xA8 || b(pos + 2) == 0xA9 || b(pos + 2) == 0xAF))
        return b(pos + 2) >= 0x80 ? 3 : 0;
    if (c == 0xE2 && b(pos + 1) == 0x81 && b(pos + 2) == 0x9F)
        return 3;
    if (c == 0xE3 && b(pos + 1) == 0x80 && b(pos + 2) == 0x80)
        return 3;
    return 0;
}

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

// A GLOB pattern that matches the titles beginning with `text`: its metacharacters are
// matched as themselves.
std::string PrefixGlob(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '*' || c == '?' || c == '[')
            out += std::string("[") + c + "]";
        else
            out += c;
    }
    return out + "*";
}

// The rank groups of a title search, shared by the ranked and the streamed statement: the
// title is the words together, or it begins with the first word (either with the nation's
// name before it or without).
std::string TitleIsTheWords(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& w : words)
        joined += w;
    return "law.topic in (" + Quote(joined) + "," + Quote(kNationPrefix + joined) + ")";
}
std::string TitleBeginsWithTheFirstWord(const std::vector<std::string>& words) {
    const std::string& head = words.front();
    return "(instr(law.topic," + Quote(head) + ")=1 or instr(law.topic," +
           Quote(kNationPrefix + head) + ")=1)";
}

// The laws linked to the request's category subtree; empty for every law.
std::string InCategory(const CQuickSearch::Request& r) {
    if (r.categoryId == 0)
        return {};
    return " and law.lawid in (select lawid from " + r.linkTable +
           " where treeid>=" + std::to_string(r.categoryId) + " and treeid<" +
           std::to_string(r.rangeEnd) + ")";
}

} // namespace

std::vector<std::string> CQuickSearch::SplitBlanks(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (size_t pos = 0; pos < text.size();) {
        if (const size_t blank = BlankAt(text, pos)) {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
            pos += blank;
        } else {
            word += text[pos++];
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

std::vector<std::string> CQuickSearch::Words(const std::string& text, bool body) {
    static const char* const kOpening[] = {"《", "“", "‘", "「", "『", "\"", "'"};
    static const char* const kClosing[] = {"》", "”", "’", "」", "』", "\"", "'"};
    std::vector<std::string> words;
    // A `*` matches nothing itself: it separates what is around it as a blank does.
    std::string spaced = text;
    std::replace(spaced.begin(), spaced.end(), '*', ' ');
    for (std::string word : SplitBlanks(spaced)) {
        if (!body) {
            std::string bracketed;
            for (char c : word)
                bracketed += c == '('   ? std::string("（")
                             : c == ')' ? std::string("）")
                                        : std::string(1, c);
            word = std::move(bracketed);
        }
        // Marks around the word (a title in 《》, a quoted phrase), as many as there are.
        for (bool stripped = true; stripped && !word.empty();) {
            stripped = false;
            for (size_t i = 0; i < std::size(kOpening); ++i) {
                const std::string open = kOpening[i], close = kClosing[i];
                if (word.size() >= open.size() + close.size() && word.starts_with(open) &&
                    word.ends_with(close)) {
                    word = word.substr(open.size(), word.size() - open.size() - close.size());
                    stripped = true;
                } else if (i < 5 && (word == open || word == close)) {
                    word.clear();
                }
            }
        }
        if (!word.empty())
            words.push_back(std::move(word));
    }
    return CSearchLimits::Distinct(words);
}

bool CQuickSearch::ShouldStream(sqlite3* db, const Request& r) {
    if (r.body)
        return false;
    const std::vector<std::string> words = Words(r.text, r.body);
    if (words.empty() || !CSearchLimits::Refusal(words).empty())
        return false;
    const std::int64_t candidates =
        CSearchIndex::CountCandidates(db, r.lawTable, "topic", words, kRankWholeUpTo + 1);
    return candidates < 0 || candidates > kRankWholeUpTo;
}

// The titles' rank groups one after the other, each newest first, so that the first rows
// come before the last law is read: the title itself and the titles beginning with the first
// word through the title index, the rest from the list index in date order. The like
// conditions decide as in the ranked statement, and the groups do not overlap.
std::string CQuickSearch::StreamedTitleStatement(const Request& r,
                                                 const std::vector<std::string>& words) {
    const std::string columns = "select law.lawid as lawid,law.topic as topic,law.datum as "
                                "datum,law.wenhao as wenhao,law.bumen as bumen from " +
                                r.lawTable + " law where ";
    std::string likes;
    for (const std::string& w : words)
        likes += " and law.topic like " + Quote(CSearchComposer::LikeValue(w));
    likes += InCategory(r);
    const std::string exact = TitleIsTheWords(words);
    // The same prefixes as GLOB patterns, which the title index can look up.
    const std::string& head = words.front();
    const std::string beginsGlob = "(law.topic glob " + Quote(PrefixGlob(head)) +
                                   " or law.topic glob " + Quote(PrefixGlob(kNationPrefix + head)) +
                                   ")";
    const std::string begins = TitleBeginsWithTheFirstWord(words);
    const std::string order = " order by law.datum DESC";
    return "select * from (" + columns + exact + likes + order + ") union all select * from (" +
           columns + beginsGlob + " and not " + exact + likes + order +
           ") union all select * from (" + columns + "not " + exact + " and not " + begins + likes +
           order + ")";
}

std::string CQuickSearch::Refusal(const Request& r) {
    return CSearchLimits::Refusal(Words(r.text, r.body));
}

std::string CQuickSearch::Statement(const Request& r) {
    // A word typed twice finds the same laws once.
    const std::vector<std::string> words = Words(r.text, r.body);
    if (words.empty() || !CSearchLimits::Refusal(words).empty())
        return {};
    if (r.streamed && !r.body)
        return StreamedTitleStatement(r, words);
    const std::string column = r.body ? "law.body" : "law.topic";
    std::string sql = "select law.lawid as lawid,law.topic as topic,law.datum as datum,"
                      "law.wenhao as wenhao,law.bumen as bumen";
    std::string args;
    for (const std::string& w : words)
        args += "," + Quote(w);
    if (r.body)
        sql += ",hit_snippet(law.body" + args + ") as snippet";
    sql += " from " + r.lawTable + " law where ";
    std::string where;
    for (const std::string& w : words)
        where += (where.empty() ? "" : " and ") + column + " like " +
                 Quote(CSearchComposer::LikeValue(w));
    if (r.indexedUpTo > 0) {
        const std::string match = CSearchIndex::MatchQuery(words);
        if (!match.empty()) {
            const std::string table =
                CSearchIndex::IndexTable(r.lawTable, r.body ? "body" : "topic");
            std::string in = "law.lawid in (select rowid from " + table + " where " + table +
                             " match " + Quote(match) + ")";
            // The laws written since the index took in its log, and those above its mark,
            // are candidates too.
            in = "(" + in + " or law.lawid in (select lawid from " +
                 CSearchIndex::ChangesTable(r.lawTable) + ")" +
                 (r.indexedUpTo != CSearchIndex::kComplete
                      ? " or law.lawid>" + std::to_string(r.indexedUpTo)
                      : std::string()) +
                 ")";
            where = in + " and " + where;
        }
    }
    where += InCategory(r);
    sql += where + " order by ";
    if (r.body) {
        sql += "hit_rank(law.body" + args + "),law.datum DESC";
    } else {
        sql += "case when " + TitleIsTheWords(words) + " then 0 when " +
               TitleBeginsWithTheFirstWord(words) + " then 1 else 2 end,law.datum DESC";
    }
    return sql;
}
