#pragma once
// The citations of a law page as links: each citation of a law the collection holds becomes a
// link to it at the article cited, one of a law it lacks is marked as such (never linked, never
// guessed). Plain text work on the law text before it becomes the page; the page's own markup
// and the marks of the searches stay as they are.

#include <string>
#include <vector>

struct sqlite3;

class CCitationLinks {
public:
    // The links' scheme: "tolvarin-cite:12#23200" (law 12 at article 232),
    // "tolvarin-cite:12,40#0" (a short title two laws share).
    static constexpr const char* kScheme = "tolvarin-cite";
    // The colour of a citation of a law the collection lacks.
    static constexpr const char* kMissingColor = "#8A6D3B";

    static std::string Href(const std::vector<int>& lawids, int article);
    // Reads a link made by Href; false when it is none.
    static bool ParseHref(const std::string& href, std::vector<int>& lawids, int& article);

    // `body` (the stored text of law `lawid` dated `date`, "YYYY-MM-DD") with its citations
    // wrapped: links for the laws `lawTable` of `db` holds (CCitationTable::Resolve), a span
    // titled `missingTip` in kMissingColor for those it lacks. Citations of other laws are
    // marked missing only when the collection's citation table is complete (until then a
    // title not found may yet be there). Text inside markup is left alone. `links` and
    // `missing` (when given) receive the counts.
    static std::string Insert(const std::string& body, int lawid, const std::string& date,
                              sqlite3* db, const std::string& lawTable,
                              const std::string& missingTip, size_t* links = nullptr,
                              size_t* missing = nullptr);
};
