#pragma once
// Finds the citations in a law text: 《title》 (with 〈〉 inside read as 《》), optionally
// followed by 第X条, 第X条第Y款 and 第Z项 (Chinese or Arabic numerals, 之一 forms), and the
// references of a law to its own articles (本法第十条, 本条例第三条, 前款, 依照第五条).
// Plain text work: which law a title names is decided by CCitationTable.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CCitation {
    size_t m_nBegin = 0; // byte offsets of the whole citation in the text
    size_t m_nEnd = 0;
    // The cited title normalised (NormaliseTitle); empty for a reference to the law itself.
    std::string m_strTitle;
    // Articles as ArticleKey numbers (0: none).
    int m_nArticle = 0;
    int m_nParagraph = 0;
    int m_nItem = 0;
    // The article of the citing law the citation stands in (0: before the first article).
    int m_nCitingArticle = 0;

    bool IsSameLaw() const { return m_strTitle.empty(); }
};

class CCitationParser {
public:
    // A title compared as a title: blanks (ASCII, full-width, tab) left out, 〈〉 read as
    // 《》, full-width parentheses as ASCII ones.
    static std::string NormaliseTitle(std::string_view title);
    // The title without a leading 中华人民共和国, as laws cite one another; empty when the
    // normalised title does not begin with it.
    static std::string ShortTitle(std::string_view normalisedTitle);

    // The value of a numeral in Chinese (二百三十二, 一百零五, 两千) or Arabic digits; 0 when
    // it is none or out of range.
    static int NumeralValue(std::string_view numeral);
    // An article's number with its 之N: 232 → 23200, 第一百二十条之一 → 12001.
    static int ArticleKey(int number, int sub = 0) { return number * 100 + sub; }
    // "第二百三十二条", "第一百二十条之一" for an ArticleKey.
    static std::string ArticleLabel(int key);

    // The article heading a line begins with ("第十条" in "第十条　…"), as an ArticleKey; 0
    // when the line begins with none.
    static int HeadingAt(std::string_view text, size_t lineStart);

    // Every citation in `text`, in order, each with the article it stands in.
    static std::vector<CCitation> Parse(std::string_view text);

    // The text of article `key` of a law text, from its heading up to the next article's,
    // at most about `maxChars` characters (an ellipsis marks a cut); the law's beginning for
    // key 0; empty when the law has no such article.
    static std::string ArticleText(std::string_view text, int key, size_t maxChars = 300);

    // The sentence around [begin, end) of `text`: from the end of the sentence before to the
    // end of this one (。；！？ or a line break), at most about `maxChars` characters each side.
    static std::string SentenceAround(std::string_view text, size_t begin, size_t end,
                                      size_t maxChars = 80);
};
