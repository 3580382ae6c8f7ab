#include "ground/TextUtil.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

std::string ExtractFirstWord(std::string& text) {
    const size_t space = text.find(' ');
    if (space == std::string::npos) {
        std::string word;
        word.swap(text);
        return word;
    }
    std::string word = text.substr(0, space);
    size_t rest = space;
    while (rest < text.size() && IsBlank(text[rest]))
        ++rest;
    text.erase(0, rest);
    return word;
}

std::vector<std::string> SplitWords(std::string text) {
    std::vector<std::string> words;
    if (text.empty())
        return words;
    do {
        words.push_back(ExtractFirstWord(text));
    } while (!text.empty());
    return words;
}

size_t ReplaceAll(std::string& text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty() || text.size() < pattern.size())
        return 0;
    std::string out;
    size_t count = 0;
    size_t copied = 0;
    size_t pos = text.find(pattern);
    while (pos != std::string::npos) {
        if (IsUtf8Continuation(static_cast<unsigned char>(text[pos]))) {
            pos = text.find(pattern, pos + 1);
            continue;
        }
        if (count == 0)
            out.reserve(text.size() + (replacement.size() > pattern.size() ? text.size() / 8 : 0));
        out.append(text, copied, pos - copied);
        out.append(replacement);
        copied = pos + pattern.size();
        ++count;
        pos = text.find(pattern, copied);
    }
    if (count == 0)
        return 0;
    out.append(text, copied, std::string::npos);
    text.swap(out);
    return count;
}

void TrimRight(std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    text.resize(end);
}

std::string_view Utf8Prefix(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    size_t end = maxBytes;
    while (end > 0 && IsUtf8Continuation(static_cast<unsigned char>(text[end])))
        --end;
    return text.substr(0, end);
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}
