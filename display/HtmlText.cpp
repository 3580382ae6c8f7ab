#include "display/HtmlText.h"

namespace {

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiAlnum(char c) {
    return IsAsciiAlpha(c) || (c >= '0' && c <= '9');
}

// Past the '>' that closes a tag whose name starts at `pos`; quoted attribute values may hold
// a '>'.
size_t TagEnd(std::string_view html, size_t pos) {
    char quote = 0;
    char previous = 0;
    for (; pos < html.size(); ++pos) {
        const char c = html[pos];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if ((c == '"' || c == '\'') && previous == '=') {
            quote = c;
            continue;
        }
        if (c == '>')
            return pos + 1;
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f')
            previous = c;
    }
    return html.size();
}

size_t PastText(std::string_view html, size_t pos, std::string_view closing) {
    const size_t at = html.find(closing, pos);
    return at == std::string_view::npos ? html.size() : at + closing.size();
}

} // namespace

size_t CHtmlText::MarkupEnd(std::string_view html, size_t pos) {
    if (pos >= html.size())
        return pos;
    const char next = pos + 1 < html.size() ? html[pos + 1] : '\0';
    if (html[pos] == '&') {
        // "&name;", "&#123;" or "&#x1F;"
        size_t i = pos + 1;
        if (next == '#') {
            ++i;
            if (i < html.size() && (html[i] == 'x' || html[i] == 'X'))
                ++i;
        }
        const size_t first = i;
        while (i < html.size() && IsAsciiAlnum(html[i]) && i - first < 32)
            ++i;
        return i > first && i < html.size() && html[i] == ';' ? i + 1 : pos;
    }
    if (html[pos] != '<')
        return pos;
    if (IsAsciiAlpha(next))
        return TagEnd(html, pos + 1);
    if (next == '/') {
        const char after = pos + 2 < html.size() ? html[pos + 2] : '\0';
        if (IsAsciiAlpha(after))
            return TagEnd(html, pos + 2);
        if (after == '>')
            return pos + 3; // "</>" is dropped
        if (pos + 2 >= html.size())
            return pos;                      // a lone "</" at the end stays text
        return PastText(html, pos + 2, ">"); // a bogus comment
    }
    if (next == '!') {
        if (html.substr(pos, 4) == "<!--")
            return PastText(html, pos + 4, "-->");
        return PastText(html, pos + 2, ">");
    }
    if (next == '?')
        return PastText(html, pos + 2, ">");
    return pos;
}

bool CHtmlText::IsTag(std::string_view html, size_t pos, size_t end, std::string_view name) {
    if (end <= pos + 1 || html[pos] != '<')
        return false;
    size_t i = pos + 1;
    for (char want : name) {
        if (i >= end)
            return false;
        char c = html[i++];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != want)
            return false;
    }
    return i < end && !IsAsciiAlnum(html[i]);
}
