#include "display/LawArticles.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view kDi = "第";
constexpr std::array<std::string_view, 4> kKinds = {"编", "章", "节", "条"};

// The value of one numeral character at `pos` (its byte length in `len`): a digit 0-9, or
// 10, 100, 1000 for 十百千; -1 when none.
int NumeralAt(std::string_view text, size_t pos, size_t& len) {
    const char c = text[pos];
    if (c >= '0' && c <= '9') {
        len = 1;
        return c - '0';
    }
    static constexpr std::array<std::pair<std::string_view, int>, 14> kNumerals = {{{"零", 0},
                                                                                    {"〇", 0},
                                                                                    {"一", 1},
                                                                                    {"二", 2},
                                                                                    {"两", 2},
                                                                                    {"三", 3},
                                                                                    {"四", 4},
                                                                                    {"五", 5},
                                                                                    {"六", 6},
                                                                                    {"七", 7},
                                                                                    {"八", 8},
                                                                                    {"九", 9},
                                                                                    {"十", 10},
                                                                                    {"百", 100}}};
    for (const auto& [name, value] : kNumerals)
        if (text.substr(pos, name.size()) == name) {
            len = name.size();
            return value;
        }
    if (text.substr(pos, 3) == "千") {
        len = 3;
        return 1000;
    }
    return -1;
}

size_t SkipBlanks(std::string_view text, size_t pos) {
    while (pos < text.size()) {
        if (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r')
            ++pos;
        else if (text.substr(pos, 3) == "\u3000")
            pos += 3;
        else
            break;
    }
    return pos;
}

} // namespace

int CLawArticles::ParseNumber(std::string_view numerals) {
    if (numerals.empty())
        return 0;
    if (std::all_of(numerals.begin(), numerals.end(),
                    [](char c) { return c >= '0' && c <= '9'; })) {
        if (numerals.size() > 6)
            return 0;
        int n = 0;
        for (char c : numerals)
            n = n * 10 + (c - '0');
        return n;
    }
    int total = 0;
    int digit = -1;
    for (size_t pos = 0; pos < numerals.size();) {
        size_t len = 0;
        const int value = NumeralAt(numerals, pos, len);
        if (value < 0 || (value < 10 && numerals[pos] >= '0' && numerals[pos] <= '9'))
            return 0;
        pos += len;
        if (value < 10) {
            digit = value;
        } else {
            // "十二": ten leads without a digit before it.
            total += (digit < 0 ? 1 : digit) * value;
            digit = -1;
        }
    }
    if (digit > 0)
        total += digit;
    return total;
}

std::string CLawArticles::ChineseNumber(int n) {
    static constexpr std::array<std::string_view, 10> kDigits = {"零", "一", "二", "三", "四",
                                                                 "五", "六", "七", "八", "九"};
    static constexpr std::array<std::string_view, 4> kUnits = {"千", "百", "十", ""};
    if (n <= 0 || n >= 10000)
        return std::to_string(n);
    const int parts[] = {n / 1000, n / 100 % 10, n / 10 % 10, n % 10};
    std::string out;
    bool zero = false;
    for (size_t i = 0; i < 4; ++i) {
        if (parts[i] == 0) {
            zero = !out.empty();
            continue;
        }
        if (zero)
            out += kDigits[0];
        zero = false;
        if (!(i == 2 && parts[i] == 1 && out.empty()))
            out += kDigits[static_cast<size_t>(parts[i])];
        out += kUnits[i];
    }
    return out;
}

std::string CLawArticles::ArticleHeading(int n) {
    return std::string(kDi) + ChineseNumber(n) + "条";
}

std::string CLawArticles::HeadingOf(std::string_view line, int* kind, int* number) {
    const size_t start = SkipBlanks(line, 0);
    if (line.substr(start, kDi.size()) != kDi)
        return {};
    size_t pos = start + kDi.size();
    const size_t digitsStart = pos;
    size_t len = 0;
    while (pos < line.size() && NumeralAt(line, pos, len) >= 0)
        pos += len;
    if (pos == digitsStart || pos - digitsStart > 40)
        return {};
    for (size_t k = 0; k < kKinds.size(); ++k) {
        if (line.substr(pos, kKinds[k].size()) != kKinds[k])
            continue;
        if (kind)
            *kind = static_cast<int>(k);
        if (number)
            *number = ParseNumber(line.substr(digitsStart, pos - digitsStart));
        return std::string(line.substr(start, pos + kKinds[k].size() - start));
    }
    return {};
}

std::vector<CLawUnit> CLawArticles::Split(std::string_view text) {
    std::vector<CLawUnit> units;
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        // Most lines are no heading; look at their first characters only.
        CLawUnit unit;
        unit.m_strHeading =
            HeadingOf(text.substr(lineStart, std::min<size_t>(lineEnd - lineStart, 80)),
                      &unit.m_nKind, &unit.m_nNumber);
        if (!unit.m_strHeading.empty()) {
            if (!units.empty())
                units.back().m_nEnd = lineStart;
            else if (lineStart > 0 && text.substr(0, lineStart).find_first_not_of(" \t\r\n") !=
                                          std::string_view::npos)
                units.push_back({CLawUnit::Preamble, 0, {}, 0, lineStart});
            unit.m_nBegin = lineStart;
            unit.m_nEnd = text.size();
            units.push_back(std::move(unit));
        }
        lineStart = lineEnd + 1;
    }
    if (units.empty() && text.find_first_not_of(" \t\r\n") != std::string_view::npos)
        units.push_back({CLawUnit::Preamble, 0, {}, 0, text.size()});
    return units;
}

bool CLawArticles::ArticleAt(std::string_view text, size_t pos, CLawUnit& unit) {
    for (CLawUnit& u : Split(text)) {
        if (pos >= u.m_nBegin && (pos < u.m_nEnd || u.m_nEnd == text.size())) {
            if (u.m_nKind != CLawUnit::Article)
                return false;
            unit = std::move(u);
            return true;
        }
    }
    return false;
}

bool CLawArticles::ArticlesBetween(std::string_view text, size_t from, size_t to, CLawUnit& first,
                                   CLawUnit& last) {
    if (from > to)
        std::swap(from, to);
    const bool a = ArticleAt(text, from, first);
    const bool b = ArticleAt(text, to, last);
    if (!a && !b)
        return false;
    if (!a)
        first = last;
    if (!b)
        last = first;
    return true;
}

std::string CLawArticles::Citation(std::string_view title, std::string_view heading,
                                   std::string_view articleText) {
    std::string out = "《" + std::string(title) + "》" + std::string(heading);
    size_t lineStart = 0;
    bool first = true;
    while (lineStart <= articleText.size()) {
        size_t lineEnd = articleText.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = articleText.size();
        std::string_view line = articleText.substr(lineStart, lineEnd - lineStart);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        size_t from = SkipBlanks(line, 0);
        // The heading stands in the citation already: the text begins after it.
        if (first) {
            const std::string own = HeadingOf(line);
            if (!own.empty())
                from = SkipBlanks(line, line.find(own) + own.size());
        }
        if (from < line.size()) {
            out += '\n';
            out += line.substr(from);
        }
        first = false;
        lineStart = lineEnd + 1;
    }
    return out;
}

std::string CLawArticles::ArticleFromArgument(std::string_view text) {
    const size_t start = SkipBlanks(text, 0);
    text.remove_prefix(start);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty())
        return {};
    int kind = -1;
    int number = 0;
    const std::string heading = HeadingOf(text, &kind, &number);
    if (!heading.empty())
        return kind == CLawUnit::Article && heading.size() == text.size() && number > 0
                   ? ArticleHeading(number)
                   : std::string();
    const int n = ParseNumber(text);
    return n > 0 ? ArticleHeading(n) : std::string();
}
