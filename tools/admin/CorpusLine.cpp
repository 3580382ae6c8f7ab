#include "tools/admin/CorpusLine.h"

#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

namespace {

std::string Text(const nlohmann::json& law, const char* key) {
    const auto it = law.find(key);
    return it != law.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// A scanner over one line; every method answers false where the line leaves the plain shape.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    void SkipSpace() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\r' || m_text[m_pos] == '\n'))
            ++m_pos;
    }
    bool Take(char c) {
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool Peek(char c) {
        SkipSpace();
        return m_pos < m_text.size() && m_text[m_pos] == c;
    }
    bool AtEnd() {
        SkipSpace();
        return m_pos == m_text.size();
    }

    // A string with its escapes decoded and its UTF-8 checked as the JSON parser checks it.
    bool String(std::string& out) {
        out.clear();
        if (!Take('"'))
            return false;
        while (m_pos < m_text.size()) {
            // A run of plain characters, multibyte ones checked on the way, copied at once.
            const size_t start = m_pos;
            while (m_pos < m_text.size()) {
                const auto c = static_cast<unsigned char>(m_text[m_pos]);
                if (c >= 0x80) {
                    const size_t length = Utf8Length(m_pos);
                    if (length == 0)
                        return false;
                    m_pos += length;
                    continue;
                }
                if (c == '"' || c == '\\' || c < 0x20)
                    break;
                ++m_pos;
            }
            out.append(m_text.data() + start, m_pos - start);
            if (m_pos >= m_text.size())
                return false;
            const auto c = static_cast<unsigned char>(m_text[m_pos]);
            if (c == '"') {
                ++m_pos;
                return true;
            }
            if (c < 0x20)
                return false;
            // A backslash.
            if (m_pos + 1 >= m_text.size())
                return false;
            const char e = m_text[m_pos + 1];
            const char* from = "\"\\/bfnrt";
            const char* to = "\"\\/\b\f\n\r\t";
            const char* hit = e ? std::strchr(from, e) : nullptr;
            if (!hit)
                return false; // \u and anything else: the general parser
            out += to[hit - from];
            m_pos += 2;
        }
        return false;
    }

private:
    // Length of the well-formed UTF-8 sequence at `pos` (RFC 3629), 0 when there is none.
    size_t Utf8Length(size_t pos) const {
        auto at = [&](size_t i) {
            return i < m_text.size() ? static_cast<unsigned char>(m_text[i]) : 0u;
        };
        const unsigned c = at(pos);
        auto in = [](unsigned b, unsigned lo, unsigned hi) { return b >= lo && b <= hi; };
        if (in(c, 0xC2, 0xDF))
            return in(at(pos + 1), 0x80, 0xBF) ? 2 : 0;
        if (c == 0xE0)
            return in(at(pos + 1), 0xA0, 0xBF) && in(at(pos + 2), 0x80, 0xBF) ? 3 : 0;
        if (in(c, 0xE1, 0xEC) || c == 0xEE || c == 0xEF)
            return in(at(pos + 1), 0x80, 0xBF) && in(at(pos + 2), 0x80, 0xBF) ? 3 : 0;
        if (c == 0xED)
            return in(at(pos + 1), 0x80, 0x9F) && in(at(pos + 2), 0x80, 0xBF) ? 3 : 0;
        if (c == 0xF0)
            return in(at(pos + 1), 0x90, 0xBF) && in(at(pos + 2), 0x80, 0xBF) &&
                           in(at(pos + 3), 0x80, 0xBF)
                       ? 4
                       : 0;
        if (in(c, 0xF1, 0xF3))
            return in(at(pos + 1), 0x80, 0xBF) && in(at(pos + 2), 0x80, 0xBF) &&
                           in(at(pos + 3), 0x80, 0xBF)
                       ? 4
                       : 0;
        if (c == 0xF4)
            return in(at(pos + 1), 0x80, 0x8F) && in(at(pos + 2), 0x80, 0xBF) &&
                           in(at(pos + 3), 0x80, 0xBF)
                       ? 4
                       : 0;
        return 0;
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

// Offset of the first byte that does not start a well-formed UTF-8 sequence (RFC 3629),
// npos when the whole text is well formed.
size_t FirstInvalidUtf8(std::string_view text) {
    auto at = [&](size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    auto in = [](unsigned b, unsigned lo, unsigned hi) { return b >= lo && b <= hi; };
    for (size_t pos = 0; pos < text.size();) {
        const unsigned c = at(pos);
        size_t length = 0;
        if (c < 0x80)
            length = 1;
        else if (in(c, 0xC2, 0xDF))
            length = in(at(pos + 1), 0x80, 0xBF) ? 2 : 0;
        else if (in(c, 0xE0, 0xEF)) {
            const unsigned lo = c == 0xE0 ? 0xA0 : 0x80;
            const unsigned hi = c == 0xED ? 0x9F : 0xBF;
            length = in(at(pos + 1), lo, hi) && in(at(pos + 2), 0x80, 0xBF) ? 3 : 0;
        } else if (in(c, 0xF0, 0xF4)) {
            const unsigned lo = c == 0xF0 ? 0x90 : 0x80;
            const unsigned hi = c == 0xF4 ? 0x8F : 0xBF;
            length = in(at(pos + 1), lo, hi) && in(at(pos + 2), 0x80, 0xBF) &&
                             in(at(pos + 3), 0x80, 0xBF)
                         ? 4
                         : 0;
        }
        if (length == 0)
            return pos;
        pos += length;
    }
    return std::string_view::npos;
}

} // namespace

std::string CCorpusLine::Diagnose(const std::string& line) {
    if (const size_t bad = FirstInvalidUtf8(line); bad != std::string_view::npos) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(line[bad]));
        return "invalid UTF-8 at byte " + std::to_string(bad + 1) + " (" + byte +
               "): the corpus must be UTF-8 text";
    }
    try {
        const nlohmann::json value = nlohmann::json::parse(line);
        if (!value.is_object())
            return std::string("not a JSON object but ") + value.type_name();
    } catch (const nlohmann::json::parse_error& e) {
        std::string text = e.what();
        // "[json.exception.parse_error.101] parse error at line 1, column 5: ..."
        if (const size_t end = text.find("] ");
            text.rfind("[json.exception", 0) == 0 && end != std::string::npos)
            text.erase(0, end + 2);
        return "not valid JSON: " + text;
    }
    return "not a law";
}

bool CCorpusLine::ReadGeneral(const std::string& line, std::vector<std::string>& path,
                              CCollectionWriter::Law& law) {
    path.clear();
    law = CCollectionWriter::Law();
    const nlohmann::json value = nlohmann::json::parse(line, nullptr, false);
    if (value.is_discarded() || !value.is_object())
        return false;
    if (const auto it = value.find("category"); it != value.end() && it->is_array())
        for (const auto& name : *it)
            if (name.is_string() && !name.get<std::string>().empty())
                path.push_back(name.get<std::string>());
    law =
        CCollectionWriter::Law{Text(value, "title"), Text(value, "number"),
                               Text(value, "department"), Text(value, "date"), Text(value, "body")};
    return true;
}

bool CCorpusLine::ReadPlain(std::string_view line, std::vector<std::string>& path,
                            CCollectionWriter::Law& law) {
    Scanner s(line);
    path.clear();
    law = CCollectionWriter::Law();
    if (!s.Take('{'))
        return false;
    std::string key, text;
    bool first = true;
    while (!s.Peek('}')) {
        if (!first && !s.Take(','))
            return false;
        first = false;
        if (!s.String(key) || !s.Take(':'))
            return false;
        if (s.Peek('[')) {
            s.Take('[');
            std::vector<std::string> names;
            bool firstName = true;
            while (!s.Peek(']')) {
                if (!firstName && !s.Take(','))
                    return false;
                firstName = false;
                if (!s.String(text))
                    return false;
                if (!text.empty())
                    names.push_back(text);
            }
            s.Take(']');
            if (key == "category")
                path = std::move(names);
            else if (key == "title" || key == "number" || key == "department" || key == "date" ||
                     key == "body")
                return false; // not a text: the general parser decides
            continue;
        }
        if (!s.String(text))
            return false;
        if (key == "title")
            law.topic = text;
        else if (key == "number")
            law.wenhao = text;
        else if (key == "department")
            law.bumen = text;
        else if (key == "date")
            law.datum = text;
        else if (key == "body")
            law.body = text;
        else if (key == "category")
            path.clear(); // not an array: no path
    }
    s.Take('}');
    return s.AtEnd();
}

bool CCorpusLine::Read(const std::string& line, std::vector<std::string>& path,
                       CCollectionWriter::Law& law) {
    return ReadPlain(line, path, law) || ReadGeneral(line, path, law);
}
