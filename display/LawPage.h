#pragma once
// Builds the HTML page of one law: the body converted to HTML line breaks and full-width
// blanks, the words of the body search marked blue and the find words marked red, all filled
// into the edition's page template. Values are not escaped: law texts are HTML.

#include <string>
#include <vector>

class CDbConnection;

struct CLawFields {
    std::string m_strTopic;
    std::string m_strBumen;
    std::string m_strWenhao;
    std::string m_strDatum; // the date part, at most 10 characters
    std::string m_strBody;
};

class CLawPage {
public:
    static constexpr const char* kSearchColor = "#0033FF";
    static constexpr const char* kFindColor = "#FF1500";
    // The most the body may add to a page through placeholders that stand inside the fields.
    static constexpr size_t kMaxBodyCopiesBytes = 64u << 20;

    // The statement that reads a law from `lawTable`.
    static std::string LawQuery(const char* lawTable, int lawid);

    // Reads a law on `db`; false when the statement fails or finds no row.
    static bool Load(CDbConnection& db, const char* lawTable, int lawid, CLawFields& out);

    // Line feeds and backspaces become "<br>", two ASCII blanks one full-width blank.
    static void ConvertBody(std::string& body);

    // Marks the words of the body search blue and the find words red: every occurrence in
    // the text of the body, never inside markup and never inside an earlier mark of the same
    // colour. Where both apply the red mark lies inside the blue one, so red shows. Returns
    // how many occurrences of the find words were marked.
    static size_t HighlightWords(std::string& body, const std::vector<std::string>& searchWords,
                                 const std::vector<std::string>& findWords);
    // The same with one list, in `color` (kSearchColor or kFindColor).
    static void Highlight(std::string& body, const std::vector<std::string>& words,
                          const char* color);

    // The whole page: conversions, blue then red marks on the body, then the placeholders;
    // `findCount` receives how many occurrences of the find words were marked.
    static std::string Render(const CLawFields& law, const std::string& pageTemplate,
                              const std::vector<std::string>& searchWords,
                              const std::vector<std::string>& findWords,
                              size_t* findCount = nullptr);
};
