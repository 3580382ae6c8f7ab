#include "data/HitFunctions.h"

#include "data/LikeMatcher.h"

#include <algorithm>
#include <sqlite3.h>
#include <string_view>

namespace {

std::string Lowered(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::vector<std::string> Words(int argc, sqlite3_value** argv) {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i)
        if (const auto* w = sqlite3_value_text(argv[i]))
            words.emplace_back(reinterpret_cast<const char*>(w),
                               static_cast<size_t>(sqlite3_value_bytes(argv[i])));
    return words;
}

std::string Text(sqlite3_value* value) {
    const auto* t = sqlite3_value_text(value);
    return t ? std::string(reinterpret_cast<const char*>(t),
                           static_cast<size_t>(sqlite3_value_bytes(value)))
             : std::string();
}

void HitRank(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    long long occurrences = 0, first = 0;
    CHitFunctions::Score(Text(argv[0]), Words(argc, argv), occurrences, first);
    // Occurrences first (more is better), then the first hit (earlier is better).
    sqlite3_result_int64(ctx, -std::min(occurrences, 1000000LL) * 100000000LL +
                                  std::min(first, 99999999LL));
}

void HitSnippet(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const std::string snippet = CHitFunctions::Snippet(Text(argv[0]), Words(argc, argv));
    sqlite3_result_text(ctx, snippet.c_str(), static_cast<int>(snippet.size()), SQLITE_TRANSIENT);
}

size_t NextChar(const std::string& s, size_t pos) {
    ++pos;
    while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80)
        ++pos;
    return pos;
}

size_t PrevChar(const std::string& s, size_t pos) {
    while (pos > 0) {
        --pos;
        if ((static_cast<unsigned char>(s[pos]) & 0xC0) != 0x80)
            break;
    }
    return pos;
}

} // namespace

int CHitFunctions::Register(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    return sqlite3_create_function_v2(db, "hit_rank", -1, flags, nullptr, &HitRank, nullptr,
                                      nullptr, nullptr) == SQLITE_OK &&
                   sqlite3_create_function_v2(db, "hit_snippet", -1, flags, nullptr, &HitSnippet,
                                              nullptr, nullptr, nullptr) == SQLITE_OK
               ? 1
               : 0;
}

void CHitFunctions::Score(const std::string& text, const std::vector<std::string>& words,
                          long long& occurrences, long long& first) {
    occurrences = 0;
    first = static_cast<long long>(text.size());
    for (const std::string& word : words) {
        if (word.empty())
            continue;
        const std::string needle = Lowered(word);
        const bool letters =
            needle != word ||
            std::any_of(needle.begin(), needle.end(), [](char c) { return c >= 'a' && c <= 'z'; });
        std::string_view hay(text);
        size_t offset = 0;
        for (size_t at; (at = CLikeMatcher::FindFolded(hay.substr(offset), needle, letters)) !=
                        std::string_view::npos;) {
            first = std::min(first, static_cast<long long>(offset + at));
            ++occurrences;
            offset += at + needle.size();
        }
    }
}

std::string CHitFunctions::Snippet(const std::string& text, const std::vector<std::string>& words,
                                   int chars) {
    long long occurrences = 0, first = 0;
    Score(text, words, occurrences, first);
    if (occurrences == 0)
        return {};
    // A third of the snippet before the hit, the rest after it.
    size_t start = static_cast<size_t>(first);
    for (int i = 0; i < chars / 3 && start > 0; ++i)
        start = PrevChar(text, start);
    size_t end = static_cast<size_t>(first);
    for (int i = 0; i < chars - chars / 3 && end < text.size(); ++i)
        end = NextChar(text, end);
    std::string out = start > 0 ? "…" : "";
    bool blank = false;
    for (size_t i = start; i < end; ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
            if (!blank)
                out += ' ';
            blank = true;
            continue;
        }
        blank = false;
        out += c;
    }
    if (end < text.size())
        out += "…";
    return out;
}
