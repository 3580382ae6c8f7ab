#include "data/BigramTokenizer.h"

#include "ground/TextUtil.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sqlite3.h>
#include <vector>

namespace {

// One character as the engine's like reads it: a lead byte from 0xC0 takes every
// continuation byte after it; what decodes to an invalid code point reads as U+FFFD.
uint32_t ReadChar(const unsigned char* s, size_t n, size_t& pos) {
    uint32_t c = s[pos++];
    if (c < 0xC0)
        return c;
    static const unsigned char kLead[64] = {
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c,
        0x0d, 0x0e, 0x0f, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19,
        0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
        0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x00, 0x01, 0x02, 0x03,
        0x04, 0x05, 0x06, 0x07, 0x00, 0x01, 0x02, 0x03, 0x00, 0x01, 0x00, 0x00};
    c = kLead[c - 0xC0];
    while (pos < n && (s[pos] & 0xC0) == 0x80)
        c = (c << 6) + (0x3F & s[pos++]);
    if (c < 0x80 || (c & 0xFFFFF800) == 0xD800 || (c & 0xFFFFFFFE) == 0xFFFE)
        c = 0xFFFD;
    return c;
}

bool IsIndexed(uint32_t c) {
    if (c < 0x80)
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (c < 0xA0 || c > 0x10FFFF || c == 0xFFFD)
        return false;
    if ((c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F))
        return false; // general and CJK punctuation, the ideographic space
    if ((c >= 0xFF00 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
        (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65))
        return false; // full-width punctuation
    return true;
}

// Writes `c` as UTF-8 at `out` (ASCII letters lowered); answers the bytes written.
size_t Encode(char* out, uint32_t c) {
    if (c >= 'A' && c <= 'Z')
        c += 'a' - 'A';
    return EncodeUtf8(c, out);
}

// Calls `f(token, start, end, joined)` for each pair of indexed characters in `text`;
// `joined` tells that the pair's first character is the last of the pair before it (the
// two stand in one run of indexed characters).
template <class F> void ForEachPair(std::string_view text, F&& f) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    char token[8];
    size_t prevBytes = 0;
    bool havePrev = false;
    bool joined = false;
    uint32_t prev = 0;
    size_t prevStart = 0;
    for (size_t pos = 0; pos < n;) {
        const size_t start = pos;
        const uint32_t c = ReadChar(s, n, pos);
        if (!IsIndexed(c)) {
            havePrev = false;
            joined = false;
            continue;
        }
        if (havePrev) {
            // The previous character's bytes are already in place from the last pair.
            if (prevBytes == 0)
                prevBytes = Encode(token, prev);
            const size_t bytes = Encode(token + prevBytes, c);
            if (!f(std::string_view(token, prevBytes + bytes), static_cast<int>(prevStart),
                   static_cast<int>(pos), joined))
                return;
            joined = true;
            std::memmove(token, token + prevBytes, bytes);
            prevBytes = bytes;
        } else {
            prevBytes = 0;
        }
        havePrev = true;
        prev = c;
        prevStart = start;
    }
}

// The kinds of tokenizer, told apart by their handle: reading a text to its end or only up
// to its first NUL (the argument CBigramTokenizer::kStopAtNul), and handing each pair of a
// document once or every pair in its place (CBigramTokenizer::kPositions).
struct Kind {
    bool upToNul;
    bool positions;
};
const Kind g_kinds[4] = {{false, false}, {true, false}, {false, true}, {true, true}};

int Create(void*, const char** args, int count, Fts5Tokenizer** out) {
    int kind = 0;
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(args[i], CBigramTokenizer::kStopAtNul) == 0)
            kind |= 1;
        else if (std::strcmp(args[i], CBigramTokenizer::kPositions) == 0)
            kind |= 2;
        else
            return SQLITE_ERROR;
    }
    *out = reinterpret_cast<Fts5Tokenizer*>(const_cast<Kind*>(&g_kinds[kind]));
    return SQLITE_OK;
}

void Delete(Fts5Tokenizer*) {}

int TokenizeText(Fts5Tokenizer* tokenizer, void* ctx, int flags, const char* text, int bytes,
                 int (*token)(void*, int, const char*, int, int, int)) {
    if (!text || bytes <= 0)
        return SQLITE_OK;
    int rc = SQLITE_OK;
    std::string_view view(text, static_cast<size_t>(bytes));
    const Kind& kind = *reinterpret_cast<const Kind*>(tokenizer);
    if (kind.upToNul)
        view = CBigramTokenizer::UpToNul(view);
    if (!(flags & FTS5_TOKENIZE_DOCUMENT)) {
        ForEachPair(view, [&](std::string_view t, int start, int end, bool) {
            rc = token(ctx, 0, t.data(), static_cast<int>(t.size()), start, end);
            return rc == SQLITE_OK;
        });
        return rc;
    }
    if (kind.positions) {
        // Every pair in its place, and a gap between runs: the pairs of a word stand at
        // consecutive positions exactly where the word's characters stand together in the
        // text, so the phrase of a word's pairs finds the texts that hold the word.
        bool first = true;
        ForEachPair(view, [&](std::string_view t, int start, int end, bool joined) {
            if (!joined && !first) {
                rc = token(ctx, 0, CBigramTokenizer::kGap, 1, start, start);
                if (rc != SQLITE_OK)
                    return false;
            }
            first = false;
            rc = token(ctx, 0, t.data(), static_cast<int>(t.size()), start, end);
            return rc == SQLITE_OK;
        });
        return rc;
    }
    // The index keeps no positions: a document's pair counts once, so the repeats (most of
    // the pairs of a long text) are not handed to the index at all. The table of pairs seen
    // is kept from one document to the next; a slot counts only when it carries the
    // current document's number, so nothing has to be cleared between documents.
    struct Seen {
        std::vector<std::uint64_t> keys;
        std::vector<std::uint32_t> docs;
        std::uint32_t doc = 0;
    };
    thread_local Seen seen;
    size_t slots = 64;
    while (slots < 2 * view.size())
        slots <<= 1;
    if (seen.keys.size() < slots || ++seen.doc == 0) {
        seen.keys.assign(std::max(slots, seen.keys.size()), 0);
        seen.docs.assign(seen.keys.size(), 0);
        seen.doc = 1;
    }
    // Only the document's own share of the table is used, which stays in the cache for
    // a short text even after a long one grew the table.
    const size_t mask = slots - 1;
    ForEachPair(view, [&](std::string_view t, int start, int end, bool) {
        // A pair is at most 8 bytes, none of them 0: packed, it is its own key, and the odd
        // multiplier spreads the keys without ever making two equal.
        std::uint64_t key = 0;
        for (char c : t)
            key = (key << 8) | static_cast<unsigned char>(c);
        key *= 0x9E3779B97F4A7C15ULL;
        for (size_t i = (key >> 17) & mask;; i = (i + 1) & mask) {
            if (seen.docs[i] != seen.doc) {
                seen.docs[i] = seen.doc;
                seen.keys[i] = key;
                break;
            }
            if (seen.keys[i] == key)
                return true;
        }
        rc = token(ctx, 0, t.data(), static_cast<int>(t.size()), start, end);
        return rc == SQLITE_OK;
    });
    return rc;
}

// The connection's FTS5 interface (version 2 or later), or null.
fts5_api* Fts5Api(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &stmt, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_bind_pointer(stmt, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    return api && api->iVersion >= 2 ? api : nullptr;
}

} // namespace

int CBigramTokenizer::RegisterAs(sqlite3* db, const std::string& name) {
    fts5_api* api = Fts5Api(db);
    if (!api)
        return 0;
    // Whatever its arguments: the table is only to be dropped.
    static fts5_tokenizer any = {[](void*, const char**, int, Fts5Tokenizer** out) {
                                     *out = reinterpret_cast<Fts5Tokenizer*>(
                                         const_cast<Kind*>(&g_kinds[0]));
                                     return SQLITE_OK;
                                 },
                                 &Delete, &TokenizeText};
    return api->xCreateTokenizer(api, name.c_str(), nullptr, &any, nullptr) == SQLITE_OK ? 1 : 0;
}

int CBigramTokenizer::Register(sqlite3* db) {
    fts5_api* api = Fts5Api(db);
    if (!api)
        return 0;
    static fts5_tokenizer tokenizer = {&Create, &Delete, &TokenizeText};
    return api->xCreateTokenizer(api, kName, nullptr, &tokenizer, nullptr) == SQLITE_OK ? 1 : 0;
}

void CBigramTokenizer::Tokenize(std::string_view text,
                                const std::function<void(std::string_view, int, int)>& token) {
    ForEachPair(text, [&](std::string_view t, int start, int end, bool) {
        token(t, start, end);
        return true;
    });
}

std::vector<std::string> CBigramTokenizer::PatternBigrams(std::string_view word) {
    std::vector<std::string> pairs;
    size_t runStart = 0;
    for (size_t i = 0; i <= word.size(); ++i) {
        if (i < word.size() && word[i] != '%' && word[i] != '_')
            continue;
        ForEachPair(word.substr(runStart, i - runStart), [&](std::string_view t, int, int, bool) {
            if (std::find(pairs.begin(), pairs.end(), t) == pairs.end())
                pairs.emplace_back(t);
            return true;
        });
        runStart = i + 1;
    }
    return pairs;
}

std::vector<std::vector<std::string>> CBigramTokenizer::PatternPhrases(std::string_view word) {
    std::vector<std::vector<std::string>> phrases;
    size_t runStart = 0;
    for (size_t i = 0; i <= word.size(); ++i) {
        if (i < word.size() && word[i] != '%' && word[i] != '_')
            continue;
        ForEachPair(word.substr(runStart, i - runStart),
                    [&](std::string_view t, int, int, bool joined) {
                        if (!joined || phrases.empty())
                            phrases.emplace_back();
                        phrases.back().emplace_back(t);
                        return true;
                    });
        runStart = i + 1;
    }
    return phrases;
}

bool CBigramTokenizer::IsOneRun(std::string_view word) {
    const auto* s = reinterpret_cast<const unsigned char*>(word.data());
    size_t pos = 0;
    int characters = 0;
    while (pos < word.size()) {
        if (!IsIndexed(ReadChar(s, word.size(), pos)))
            return false;
        ++characters;
    }
    return characters >= 2;
}

std::string_view CBigramTokenizer::UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}
