#pragma once
// Articles as units of a law's text: the lines that begin with a heading "第…条" (and the
// 编, 章 and 节 headings between them), the numbers of the headings in Chinese numerals, and
// the citation of one article. Texts are UTF-8; offsets are bytes.

#include <string>
#include <string_view>
#include <vector>

struct CLawUnit {
    enum Kind { Preamble = -1, Part = 0, Chapter = 1, Section = 2, Article = 3 };
    int m_nKind = Preamble;
    int m_nNumber = 0;        // 0 for the preamble or a numeral that is not read
    std::string m_strHeading; // "第二百三十二条", "第三章"; "" for the preamble
    size_t m_nBegin = 0;      // the heading line's start
    size_t m_nEnd = 0;        // where the next unit begins (or the text ends)
};

class CLawArticles {
public:
    // "二百三十二", "232", "一千零五" → the number; 0 when the text is no numeral.
    static int ParseNumber(std::string_view numerals);
    // 232 → "二百三十二" (ASCII digits from 10,000 up).
    static std::string ChineseNumber(int n);
    // 232 → "第二百三十二条".
    static std::string ArticleHeading(int n);
    // The heading a line begins with (after blanks): "第三章", "第二百三十二条"; "" when none.
    // `kind` receives its CLawUnit::Kind, `number` its number.
    static std::string HeadingOf(std::string_view line, int* kind = nullptr, int* number = nullptr);

    // The text cut into units: the preamble (when there is text before the first heading),
    // then one unit per heading line, each up to the next heading line.
    static std::vector<CLawUnit> Split(std::string_view text);

    // The article holding byte `pos` of `text`, or, when `pos` lies in a 编, 章 or 节
    // heading or the preamble, none (false). `unit` receives it.
    static bool ArticleAt(std::string_view text, size_t pos, CLawUnit& unit);
    // The units from the article holding `from` to the one holding `to` (a selection over
    // several articles); false when neither end lies in an article.
    static bool ArticlesBetween(std::string_view text, size_t from, size_t to, CLawUnit& first,
                                CLawUnit& last);

    // "《title》第二百三十二条" and, on the next line, the article's text with its blank lines
    // left out. `articleText` is the unit's text as it stands in the law.
    static std::string Citation(std::string_view title, std::string_view heading,
                                std::string_view articleText);
    // The heading typed for --article: "232" or "第二百三十二条" → "第二百三十二条"; "" when
    // it names no article.
    static std::string ArticleFromArgument(std::string_view text);
};
