#pragma once
// Two versions of a law side by side: their units (the preamble, the 编, 章 and 节 headings
// and the articles, see CLawArticles) aligned by heading, each row the same, changed, added
// or removed, and within a changed row the characters that differ. The differences are
// found by dtl (the diff template library); this class only aligns and presents them.

#include <string>
#include <string_view>
#include <vector>

struct CCompareSpan {
    std::string m_strText;
    bool m_bChanged = false;
};

struct CCompareRow {
    enum State { Same, Changed, Added, Removed };
    State m_nState = Same;
    std::string m_strHeading;        // the unit's heading ("" for the preamble)
    std::vector<CCompareSpan> m_old; // the older version's text (empty when added)
    std::vector<CCompareSpan> m_new; // the newer version's (empty when removed)
};

class CVersionCompare {
public:
    // Units whose texts are longer than this (bytes, both together) are compared line
    // by line, and characters only within lines of at most kLineChars each.
    static constexpr size_t kUnitChars = 12000;
    static constexpr size_t kLineChars = 4000;

    // Compares the text of the older version with the newer one.
    static std::vector<CCompareRow> Compare(std::string_view older, std::string_view newer);

    struct CCounts {
        int m_nChanged = 0;
        int m_nAdded = 0;
        int m_nRemoved = 0;
        int Total() const { return m_nChanged + m_nAdded + m_nRemoved; }
    };
    static CCounts Count(const std::vector<CCompareRow>& rows);

    // The comparison as HTML in two columns under the two captions; every row that is not
    // the same carries an anchor "change<N>" (N from 1, in order). Texts are escaped.
    // HtmlHead and HtmlRows give the same in pieces: the captions, then one piece per row.
    static std::string Html(const std::vector<CCompareRow>& rows, const std::string& oldCaption,
                            const std::string& newCaption);
    static std::string HtmlHead(const std::string& oldCaption, const std::string& newCaption);
    static std::vector<std::string> HtmlRows(const std::vector<CCompareRow>& rows);
    static constexpr const char* kTableStart =
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
        "style=\"border-collapse:collapse\">";
    static std::string ChangeAnchor(int n) { return "change" + std::to_string(n); }

    // The colours: the row's background per state, and the changed characters'.
    static constexpr const char* kChangedBack = "#FFF6D5";
    static constexpr const char* kAddedBack = "#E3F6E3";
    static constexpr const char* kRemovedBack = "#FBE3E3";
    static constexpr const char* kOldCharBack = "#F4A8A8";
    static constexpr const char* kNewCharBack = "#9ED89E";
};
