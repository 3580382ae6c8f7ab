#include "display/CitationLinks.h"

#include "data/CitationParser.h"
#include "data/CitationTable.h"
#include "display/HtmlText.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string_view>
#include <utility>

std::string CCitationLinks::Href(const std::vector<int>& lawids, int article) {
    std::string href = std::string(kScheme) + ':';
    for (size_t i = 0; i < lawids.size(); ++i)
        href += (i ? "," : "") + std::to_string(lawids[i]);
    return href + '#' + std::to_string(article);
}

bool CCitationLinks::ParseHref(const std::string& href, std::vector<int>& lawids, int& article) {
    lawids.clear();
    article = 0;
    const std::string prefix = std::string(kScheme) + ':';
    if (href.compare(0, prefix.size(), prefix) != 0)
        return false;
    const size_t hash = href.find('#', prefix.size());
    std::string_view ids(href);
    ids =
        ids.substr(prefix.size(), (hash == std::string::npos ? href.size() : hash) - prefix.size());
    while (!ids.empty()) {
        const size_t comma = ids.find(',');
        const std::string id(ids.substr(0, comma));
        char* end = nullptr;
        const long value = std::strtol(id.c_str(), &end, 10);
        if (id.empty() || *end || value <= 0 || value > 2147483647L)
            return false;
        lawids.push_back(static_cast<int>(value));
        ids = comma == std::string_view::npos ? std::string_view() : ids.substr(comma + 1);
    }
    if (hash != std::string::npos)
        article = std::atoi(href.c_str() + hash + 1);
    return !lawids.empty();
}

std::string CCitationLinks::Insert(const std::string& body, int lawid, const std::string& date,
                                   sqlite3* db, const std::string& lawTable,
                                   const std::string& missingTip, size_t* links, size_t* missing) {
    size_t linked = 0, unknown = 0;
    std::vector<std::pair<size_t, size_t>> runs;
    CHtmlText::Scan(
        body, [&](size_t begin, size_t end) { runs.emplace_back(begin, end); },
        [](size_t, size_t) {});
    const std::vector<CCitation> citations = CCitationParser::Parse(body);
    std::set<std::string> titles;
    for (const CCitation& c : citations)
        if (!c.IsSameLaw())
            titles.insert(c.m_strTitle);
    bool exhaustive = false;
    const std::map<std::string, std::vector<int>> resolved =
        CCitationTable::ResolveAll(db, lawTable, titles, date, &exhaustive);
    // A title not found is the collection's lack only when every law was looked at.
    const bool complete =
        exhaustive && db && CCitationTable::BuiltUpTo(db, lawTable) == CCitationTable::kComplete;
    std::string out;
    size_t copied = 0;
    auto run = runs.begin();
    for (const CCitation& c : citations) {
        // Only a citation that lies within one run of text.
        while (run != runs.end() && run->second <= c.m_nBegin)
            ++run;
        if (run == runs.end())
            break;
        if (c.m_nBegin < run->first || c.m_nEnd > run->second)
            continue;
        std::vector<int> lawids;
        if (c.IsSameLaw()) {
            lawids.push_back(lawid);
        } else if (auto it = resolved.find(c.m_strTitle); it != resolved.end()) {
            lawids = it->second;
        }
        if (lawids.empty() && !complete)
            continue;
        if (out.empty())
            out.reserve(body.size() + body.size() / 16);
        out.append(body, copied, c.m_nBegin - copied);
        if (!lawids.empty()) {
            out += "<a href=\"" + Href(lawids, c.m_nArticle) + "\">";
            ++linked;
        } else {
            std::string tip;
            for (char ch : missingTip)
                tip += ch == '"'   ? std::string("&quot;")
                       : ch == '<' ? std::string("&lt;")
                                   : std::string(1, ch);
            out +=
                std::string("<span title=\"") + tip + "\" style=\"color:" + kMissingColor + "\">";
            ++unknown;
        }
        out.append(body, c.m_nBegin, c.m_nEnd - c.m_nBegin);
        out += lawids.empty() ? "</span>" : "</a>";
        copied = c.m_nEnd;
    }
    if (links)
        *links = linked;
    if (missing)
        *missing = unknown;
    if (copied == 0)
        return body;
    out.append(body, copied, std::string::npos);
    return out;
}
