#include "data/JetSql.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <vector>

namespace {

enum class Tok { Word, Number, String, Date, Punct, Space };

struct Token {
    Tok kind;
    std::string text;
};

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool Tokenize(std::string_view s, std::vector<Token>& out, std::string& error) {
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\'') {
            // Law texts make long literals: jump from quote to quote.
            size_t j = i + 1;
            for (;;) {
                j = s.find('\'', j);
                if (j == std::string_view::npos) {
                    error = "Syntax error in string in query expression.";
                    return false;
                }
                if (j + 1 < s.size() && s[j + 1] == '\'') {
                    j += 2;
                    continue;
                }
                break;
            }
            out.push_back({Tok::String, std::string(s.substr(i, j + 1 - i))});
            i = j + 1;
        } else if (c == '#') {
            const size_t j = s.find('#', i + 1);
            if (j == std::string_view::npos) {
                error = "Syntax error in date in query expression.";
                return false;
            }
            out.push_back({Tok::Date, std::string(s.substr(i + 1, j - i - 1))});
            i = j + 1;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            size_t j = i;
            while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j])))
                ++j;
            out.push_back({Tok::Space, std::string(s.substr(i, j - i))});
            i = j;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            size_t j = i;
            while (j < s.size() && IsWordChar(s[j]))
                ++j;
            out.push_back({Tok::Number, std::string(s.substr(i, j - i))});
            i = j;
        } else if (IsWordChar(c)) {
            size_t j = i;
            while (j < s.size() && IsWordChar(s[j]))
                ++j;
            out.push_back({Tok::Word, std::string(s.substr(i, j - i))});
            i = j;
        } else {
            // Comparison operators are kept together.
            size_t j = i + 1;
            if ((c == '<' || c == '>' || c == '!') && j < s.size() &&
                (s[j] == '=' || (c == '<' && s[j] == '>')))
                ++j;
            out.push_back({Tok::Punct, std::string(s.substr(i, j - i))});
            i = j;
        }
    }
    return true;
}

bool IsComparison(const std::string& p) {
    return p == "=" || p == "<" || p == ">" || p == "<=" || p == ">=" || p == "<>" || p == "!=";
}

// The body of a text literal without its quotes, '' undoubled.
std::string Unquote(const std::string& literal) {
    std::string v;
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        v += literal[i];
        if (literal[i] == '\'')
            ++i;
    }
    return v;
}

bool CanonicaliseLiteral(Token& t, std::string& error) {
    std::string canonical;
    if (!CJetSql::CanonicalDate(Unquote(t.text), canonical)) {
        error = "Data type mismatch in criteria expression.";
        return false;
    }
    t.text = "'" + canonical + "'";
    return true;
}

size_t NextSignificant(const std::vector<Token>& toks, size_t i) {
    while (i < toks.size() && toks[i].kind == Tok::Space)
        ++i;
    return i;
}

// insert into T ( a,b ) values( x,y ): canonicalise the values given for date columns.
bool FixInsert(std::vector<Token>& toks, std::string& error) {
    size_t i = NextSignificant(toks, 0);
    if (i >= toks.size() || !IEquals(toks[i].text, "insert"))
        return true;
    size_t open = i;
    while (open < toks.size() && toks[open].text != "(")
        ++open;
    std::vector<std::string> columns;
    size_t k = open + 1;
    for (; k < toks.size() && toks[k].text != ")"; ++k)
        if (toks[k].kind == Tok::Word)
            columns.push_back(toks[k].text);
    size_t values = k;
    while (values < toks.size() && toks[values].text != "(")
        ++values;
    int depth = 0;
    size_t column = 0;
    std::vector<size_t> valueTokens;
    for (size_t v = values + 1; v < toks.size(); ++v) {
        const std::string& text = toks[v].text;
        if (toks[v].kind == Tok::Punct && text == "(") {
            ++depth;
        } else if (toks[v].kind == Tok::Punct && text == ")") {
            if (depth-- == 0)
                break;
        } else if (depth == 0 && toks[v].kind == Tok::Punct && text == ",") {
            if (valueTokens.size() == 1 && column < columns.size() &&
                CJetSql::IsDateColumn(columns[column]) &&
                toks[valueTokens[0]].kind == Tok::String &&
                !CanonicaliseLiteral(toks[valueTokens[0]], error))
                return false;
            valueTokens.clear();
            ++column;
            continue;
        }
        if (toks[v].kind != Tok::Space)
            valueTokens.push_back(v);
    }
    if (valueTokens.size() == 1 && column < columns.size() &&
        CJetSql::IsDateColumn(columns[column]) && toks[valueTokens[0]].kind == Tok::String &&
        !CanonicaliseLiteral(toks[valueTokens[0]], error))
        return false;
    return true;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        return 29;
    return days[m - 1];
}

bool ReadNumber(std::string_view s, size_t& i, int maxDigits, int& value) {
    const size_t start = i;
    value = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) &&
           static_cast<int>(i - start) < maxDigits) {
        value = value * 10 + (s[i] - '0');
        ++i;
    }
    return i > start;
}

} // namespace

bool CJetSql::IsDateColumn(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name = name.substr(dot + 1);
    return IEquals(name, "datum") || IEquals(name, "updatetime");
}

bool CJetSql::CanonicalDate(std::string_view text, std::string& out) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    const size_t yearStart = i;
    if (!ReadNumber(text, i, 4, y) || i >= text.size() || (text[i] != '-' && text[i] != '/'))
        return false;
    // A year of one or two digits is read as Jet reads it: 00-29 are 2000-2029, 30-99 are
    // 1930-1999. Three or four digits are the year as written.
    if (i - yearStart <= 2)
        y += y < 30 ? 2000 : 1900;
    const char sep = text[i++];
    if (!ReadNumber(text, i, 2, mo) || i >= text.size() || text[i] != sep)
        return false;
    ++i;
    if (!ReadNumber(text, i, 2, d))
        return false;
    if (i < text.size() && (text[i] == ' ' || text[i] == 'T')) {
        while (i < text.size() && (text[i] == ' ' || text[i] == 'T'))
            ++i;
        if (i < text.size()) {
            if (!ReadNumber(text, i, 2, h) || i >= text.size() || text[i] != ':')
                return false;
            ++i;
            if (!ReadNumber(text, i, 2, mi))
                return false;
            if (i < text.size() && text[i] == ':') {
                ++i;
                if (!ReadNumber(text, i, 2, se))
                    return false;
            }
            // Fractions of a second are dropped.
            if (i < text.size() && text[i] == '.') {
                ++i;
                while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
                    ++i;
            }
        }
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size())
        return false;
    if (y < 100 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h > 23 || mi > 59 ||
        se > 59)
        return false;
    // "%04d-%02d-%02d %02d:%02d:%02d" (every field has at most its width of digits), written
    // by hand: this runs for every date of every row a listing reads.
    char buf[20] = "0000-00-00 00:00:00";
    auto put = [&buf](size_t end, int value, int width) {
        for (int k = 0; k < width; ++k, value /= 10)
            buf[end - static_cast<size_t>(k)] = static_cast<char>('0' + value % 10);
    };
    put(3, y, 4);
    put(6, mo, 2);
    put(9, d, 2);
    put(12, h, 2);
    put(15, mi, 2);
    put(18, se, 2);
    out.assign(buf, 19);
    return true;
}

bool CJetSql::Translate(std::string_view jet, std::string& out, std::string& error) {
    std::vector<Token> toks;
    if (!Tokenize(jet, toks, error))
        return false;

    // Date literals between '#' signs.
    for (Token& t : toks) {
        if (t.kind != Tok::Date)
            continue;
        std::string canonical;
        if (!CanonicalDate(t.text, canonical)) {
            error = "Syntax error in date in query expression '#" + t.text + "#'.";
            return false;
        }
        t.kind = Tok::String;
        t.text = "'" + canonical + "'";
    }

    if (!FixInsert(toks, error))
        return false;

    // date column <op> 'text' anywhere (SET assignments and comparisons).
    for (size_t i = 0; i < toks.size(); ++i) {
        if (toks[i].kind != Tok::Word || !IsDateColumn(toks[i].text))
            continue;
        const size_t op = NextSignificant(toks, i + 1);
        if (op >= toks.size() || toks[op].kind != Tok::Punct || !IsComparison(toks[op].text))
            continue;
        const size_t value = NextSignificant(toks, op + 1);
        if (value < toks.size() && toks[value].kind == Tok::String &&
            !CanonicaliseLiteral(toks[value], error))
            return false;
    }

    // select [distinct] top N ... -> select [distinct] ... limit N
    std::string limit;
    {
        size_t i = NextSignificant(toks, 0);
        if (i < toks.size() && IEquals(toks[i].text, "select")) {
            size_t j = NextSignificant(toks, i + 1);
            if (j < toks.size() &&
                (IEquals(toks[j].text, "distinct") || IEquals(toks[j].text, "all")))
                j = NextSignificant(toks, j + 1);
            if (j < toks.size() && IEquals(toks[j].text, "top")) {
                const size_t n = NextSignificant(toks, j + 1);
                if (n < toks.size() && toks[n].kind == Tok::Number) {
                    limit = toks[n].text;
                    for (size_t k = j; k <= n; ++k)
                        toks[k].text.clear();
                    if (n + 1 < toks.size() && toks[n + 1].kind == Tok::Space)
                        toks[n + 1].text.clear();
                }
            }
        }
    }

    out.clear();
    out.reserve(jet.size() + 16);
    for (const Token& t : toks)
        out += t.text;
    if (!limit.empty()) {
        while (!out.empty() && (out.back() == ' ' || out.back() == ';'))
            out.pop_back();
        out += " limit " + limit;
    }
    return true;
}
