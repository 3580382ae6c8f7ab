#include "data/CitationParser.h"

#include <array>

namespace {

// A title longer than this is no title: an unclosed 《 runs on into the text.
constexpr size_t kMaxTitleBytes = 600;

// The code point at `pos` and its length in bytes; a byte that starts no valid sequence is
// taken alone.
char32_t CodePointAt(std::string_view text, size_t pos, size_t& length) {
    const auto b = static_cast<unsigned char>(text[pos]);
    size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
    if (pos + n > text.size())
        n = 1;
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t i = 1; i < n; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            length = 1;
            return b;
        }
        c = (c << 6) | (next & 0x3F);
    }
    length = n;
    return c;
}

char32_t CodePointAt(std::string_view text, size_t pos) {
    size_t length = 0;
    return CodePointAt(text, pos, length);
}

bool StartsWith(std::string_view text, size_t pos, std::string_view what) {
    return text.substr(pos, what.size()) == what;
}

bool EndsWith(std::string_view text, size_t pos, std::string_view what) {
    return pos >= what.size() && text.substr(pos - what.size(), what.size()) == what;
}

int DigitValue(char32_t c) {
    static constexpr std::u32string_view digits = U"零一二三四五六七八九";
    if (c == U'〇')
        return 0;
    if (c == U'两')
        return 2;
    const size_t at = digits.find(c);
    if (at != std::u32string_view::npos)
        return static_cast<int>(at);
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'０' && c <= U'９')
        return static_cast<int>(c - U'０');
    return -1;
}

int UnitValue(char32_t c) {
    return c == U'十' ? 10 : c == U'百' ? 100 : c == U'千' ? 1000 : 0;
}

bool IsNumeral(char32_t c) {
    return DigitValue(c) >= 0 || UnitValue(c) > 0;
}

bool IsBlank(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\u3000' || c == U'\u00A0';
}

// The numeral at `pos`, its value in `value`; answers the position past it (`pos` when none).
size_t ReadNumeral(std::string_view text, size_t pos, int& value) {
    size_t end = pos;
    while (end < text.size()) {
        size_t length = 0;
        if (!IsNumeral(CodePointAt(text, end, length)))
            break;
        end += length;
    }
    value = end == pos ? 0 : CCitationParser::NumeralValue(text.substr(pos, end - pos));
    return value > 0 ? end : pos;
}

// 第<numeral><unit> at `pos`: the position past it and the number; `pos` when not there.
size_t ReadOrdinal(std::string_view text, size_t pos, std::string_view unit, int& number) {
    number = 0;
    if (!StartsWith(text, pos, "第"))
        return pos;
    const size_t end = ReadNumeral(text, pos + 3, number);
    if (end == pos + 3 || !StartsWith(text, end, unit)) {
        number = 0;
        return pos;
    }
    return end + unit.size();
}

// The article, paragraph and item after a title or 本法 at `pos` (第X条[之N][第Y款][第Z项], or
// 第Z项 alone). Answers the position past what was read; `pos` when nothing was.
size_t ReadArticle(std::string_view text, size_t pos, CCitation& out) {
    int number = 0;
    size_t at = ReadOrdinal(text, pos, "条", number);
    if (at == pos)
        return pos;
    int sub = 0;
    if (StartsWith(text, at, "之")) {
        const size_t end = ReadNumeral(text, at + 3, sub);
        if (end != at + 3)
            at = end;
        else
            sub = 0;
    }
    out.m_nArticle = CCitationParser::ArticleKey(number, sub);
    int paragraph = 0;
    size_t next = ReadOrdinal(text, at, "款", paragraph);
    if (next != at) {
        out.m_nParagraph = paragraph;
        at = next;
    }
    int item = 0;
    next = ReadOrdinal(text, at, "项", item);
    if (next != at) {
        out.m_nItem = item;
        at = next;
    }
    return at;
}

// The position just past the 》 that closes the 《 at `pos`; `pos` when it is not closed
// within a title's length, on its line.
size_t TitleEnd(std::string_view text, size_t pos) {
    int depth = 0;
    size_t at = pos;
    while (at < text.size() && at - pos <= kMaxTitleBytes) {
        size_t length = 0;
        const char32_t c = CodePointAt(text, at, length);
        if (c == U'\n' || c == U'<' || c == U'>')
            return pos;
        if (c == U'《' || c == U'〈')
            ++depth;
        else if (c == U'》' || c == U'〉')
            --depth;
        at += length;
        if (depth == 0)
            return at;
    }
    return pos;
}

// Words after which a bare 第X条 names an article of the law itself.
constexpr std::array<std::string_view, 8> kOwnArticleLead = {"依照", "依据", "根据", "按照",
                                                             "违反", "适用", "参照", "对照"};
// What joins a further article to the citation before it (《刑法》第十条、第十二条).
constexpr std::array<std::string_view, 7> kJoiners = {"、", "和", "或者", "及", "以及", "至", "或"};
constexpr std::array<std::string_view, 5> kOwnLaw = {"本法", "本条例", "本规定", "本办法",
                                                     "本解释"};

} // namespace

std::string CCitationParser::NormaliseTitle(std::string_view title) {
    std::string out;
    out.reserve(title.size());
    for (size_t at = 0; at < title.size();) {
        size_t length = 0;
        const char32_t c = CodePointAt(title, at, length);
        if (IsBlank(c) || c == U'\n') {
        } else if (c == U'〈') {
            out += "《";
        } else if (c == U'〉') {
            out += "》";
        } else if (c == U'（') {
            out += '(';
        } else if (c == U'）') {
            out += ')';
        } else {
            out.append(title.substr(at, length));
        }
        at += length;
    }
    return out;
}

std::string CCitationParser::ShortTitle(std::string_view normalisedTitle) {
    static constexpr std::string_view prc = "中华人民共和国";
    if (normalisedTitle.size() <= prc.size() || normalisedTitle.substr(0, prc.size()) != prc)
        return {};
    return std::string(normalisedTitle.substr(prc.size()));
}

int CCitationParser::NumeralValue(std::string_view numeral) {
    long total = 0;
    long section = 0;
    long digit = -1;
    bool arabic = true;
    for (size_t at = 0; at < numeral.size();) {
        size_t length = 0;
        const char32_t c = CodePointAt(numeral, at, length);
        at += length;
        if (!(c >= U'0' && c <= U'9') && !(c >= U'０' && c <= U'９'))
            arabic = false;
        const int d = DigitValue(c);
        const int unit = UnitValue(c);
        if (d < 0 && unit == 0)
            return 0;
        if (d >= 0) {
            digit = (arabic && digit >= 0 ? digit * 10 : 0) + d;
        } else {
            section += (digit < 0 ? 1 : digit) * unit;
            digit = -1;
        }
        if (total + section + digit > 1000000)
            return 0;
    }
    total += section + (digit < 0 ? 0 : digit);
    return static_cast<int>(total);
}

std::string CCitationParser::ArticleLabel(int key) {
    if (key <= 0)
        return {};
    auto chinese = [](int n) {
        static constexpr std::array<std::string_view, 10> digits = {"零", "一", "二", "三", "四",
                                                                    "五", "六", "七", "八", "九"};
        static constexpr std::array<std::string_view, 4> units = {"千", "百", "十", ""};
        if (n >= 10000)
            return std::to_string(n);
        const int parts[] = {n / 1000, n / 100 % 10, n / 10 % 10, n % 10};
        std::string out;
        bool zero = false;
        for (int i = 0; i < 4; ++i) {
            if (parts[i] == 0) {
                zero = !out.empty();
                continue;
            }
            if (zero)
                out += digits[0];
            zero = false;
            // "十二", not "一十二", when ten leads.
            if (!(i == 2 && parts[i] == 1 && out.empty()))
                out += digits[static_cast<size_t>(parts[i])];
            out += units[static_cast<size_t>(i)];
        }
        return out;
    };
    std::string label = "第" + chinese(key / 100) + "条";
    if (key % 100)
        label += "之" + chinese(key % 100);
    return label;
}

int CCitationParser::HeadingAt(std::string_view text, size_t lineStart) {
    size_t at = lineStart;
    while (at < text.size()) {
        size_t length = 0;
        if (!IsBlank(CodePointAt(text, at, length)))
            break;
        at += length;
    }
    CCitation heading;
    if (ReadArticle(text, at, heading) == at)
        return 0;
    return heading.m_nArticle;
}

std::vector<CCitation> CCitationParser::Parse(std::string_view text) {
    std::vector<CCitation> found;
    int article = 0;
    bool lineStart = true;
    // The citation a joined article continues, and where it ended.
    const CCitation* last = nullptr;
    for (size_t at = 0; at < text.size();) {
        if (lineStart) {
            lineStart = false;
            if (const int heading = HeadingAt(text, at))
                article = heading;
        }
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == '\n') {
            lineStart = true;
            ++at;
            continue;
        }
        if (byte < 0x80) {
            ++at;
            continue;
        }
        CCitation c;
        c.m_nBegin = at;
        c.m_nCitingArticle = article;
        size_t end = at;
        if (StartsWith(text, at, "《")) {
            end = TitleEnd(text, at);
            if (end != at) {
                c.m_strTitle = NormaliseTitle(text.substr(at + 3, end - at - 6));
                if (c.m_strTitle.empty())
                    end = at;
                else
                    end = ReadArticle(text, end, c);
            }
        } else if (StartsWith(text, at, "本")) {
            for (std::string_view own : kOwnLaw)
                if (StartsWith(text, at, own)) {
                    end = ReadArticle(text, at + own.size(), c);
                    if (end == at + own.size())
                        end = at;
                    break;
                }
        } else if (StartsWith(text, at, "前款")) {
            end = at + 6;
            c.m_nArticle = article;
        } else if (StartsWith(text, at, "第")) {
            bool joined = false;
            if (last && last->m_nArticle != 0)
                for (std::string_view joiner : kJoiners)
                    if (last->m_nEnd + joiner.size() == at && EndsWith(text, at, joiner))
                        joined = true;
            bool own = joined;
            for (std::string_view lead : kOwnArticleLead)
                own = own || EndsWith(text, at, lead);
            if (own) {
                end = ReadArticle(text, at, c);
                if (joined && end != at)
                    c.m_strTitle = last->m_strTitle;
            }
        }
        if (end == at) {
            size_t length = 0;
            CodePointAt(text, at, length);
            at += length;
            continue;
        }
        c.m_nEnd = end;
        found.push_back(std::move(c));
        last = &found.back();
        at = end;
    }
    return found;
}

std::string CCitationParser::SentenceAround(std::string_view text, size_t begin, size_t end,
                                            size_t maxChars) {
    auto isStop = [](char32_t c) {
        return c == U'。' || c == U'；' || c == U'！' || c == U'？' || c == U'\n';
    };
    // Back to just past the sentence before, counting characters.
    size_t from = begin;
    for (size_t chars = 0; from > 0 && chars < maxChars; ++chars) {
        size_t prev = from - 1;
        while (prev > 0 && (static_cast<unsigned char>(text[prev]) & 0xC0) == 0x80)
            --prev;
        if (isStop(CodePointAt(text, prev)))
            break;
        from = prev;
    }
    size_t to = end;
    for (size_t chars = 0; to < text.size() && chars < maxChars; ++chars) {
        size_t length = 0;
        const char32_t c = CodePointAt(text, to, length);
        if (c == U'\n')
            break;
        to += length;
        if (isStop(c))
            break;
    }
    // Without the blanks a line begins with.
    while (from < begin) {
        size_t length = 0;
        if (!IsBlank(CodePointAt(text, from, length)))
            break;
        from += length;
    }
    std::string sentence(text.substr(from, to - from));
    while (!sentence.empty() && (sentence.back() == '\r' || sentence.back() == ' '))
        sentence.pop_back();
    return sentence;
}

std::string CCitationParser::ArticleText(std::string_view text, int key, size_t maxChars) {
    size_t from = key == 0 ? 0 : std::string_view::npos;
    for (size_t line = 0; key != 0 && line < text.size();) {
        if (HeadingAt(text, line) == key) {
            from = line;
            break;
        }
        const size_t next = text.find('\n', line);
        line = next == std::string_view::npos ? text.size() : next + 1;
    }
    if (from == std::string_view::npos)
        return {};
    // Up to the next heading: an article's, a chapter's, a section's or a part's.
    size_t to = from;
    size_t chars = 0;
    bool cut = false;
    while (to < text.size()) {
        if (text[to] == '\n' && to + 1 < text.size() && to > from) {
            size_t at = to + 1;
            while (at < text.size() && (text[at] == '\n' || text[at] == ' '))
                ++at;
            int n = 0;
            if (key != 0 &&
                (HeadingAt(text, at) != 0 || ReadOrdinal(text, at, "章", n) != at ||
                 ReadOrdinal(text, at, "节", n) != at || ReadOrdinal(text, at, "编", n) != at))
                break;
        }
        if (chars >= maxChars) {
            cut = true;
            break;
        }
        size_t length = 0;
        CodePointAt(text, to, length);
        to += length;
        ++chars;
    }
    std::string out(text.substr(from, to - from));
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
        out.pop_back();
    return cut ? out + "……" : out;
}
