#include "data/LikeMatcher.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TOLVARIN_X86 1
#endif

namespace {

constexpr size_t npos = std::string_view::npos;

inline unsigned char Lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

inline unsigned char Upper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

inline const unsigned char* Bytes(const char* p) {
    return reinterpret_cast<const unsigned char*>(p);
}

// Whether `n` bytes at `text` equal `lowered`, ASCII letters of `text` taken in lower case.
inline bool EqualFolded(const char* text, const char* lowered, size_t n, bool hasLetters) {
    if (!hasLetters)
        return std::memcmp(text, lowered, n) == 0;
    for (size_t i = 0; i < n; ++i)
        if (Lower(Bytes(text)[i]) != Bytes(lowered)[i])
            return false;
    return true;
}

// Start of the character after the one at `pos`: a lead byte takes the continuation bytes
// that follow it, as the engine reads UTF-8.
inline size_t NextChar(std::string_view text, size_t pos) {
    const unsigned char lead = Bytes(text.data())[pos++];
    if (lead >= 0xC0)
        while (pos < text.size() && (Bytes(text.data())[pos] & 0xC0) == 0x80)
            ++pos;
    return pos;
}

size_t FindScalar(std::string_view hay, std::string_view needle, bool hasLetters, size_t from) {
    const size_t k = needle.size();
    if (hay.size() < k)
        return npos;
    if (!hasLetters) {
        const void* hit = memmem(hay.data() + from, hay.size() - from, needle.data(), k);
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - hay.data()) : npos;
    }
    for (size_t i = from; i + k <= hay.size(); ++i)
        if (EqualFolded(hay.data() + i, needle.data(), k, true))
            return i;
    return npos;
}

#ifdef TOLVARIN_X86
// Compares the needle's first and last bytes with 32 positions at once and checks the
// middle only where both agree: close to the speed of reading the text.
__attribute__((target("avx2"))) size_t FindAvx2(std::string_view hay, std::string_view needle,
                                                bool hasLetters) {
    const size_t k = needle.size();
    const size_t n = hay.size();
    if (n < k)
        return npos;
    const unsigned char first = Bytes(needle.data())[0];
    const unsigned char last = Bytes(needle.data())[k - 1];
    const __m256i f1 = _mm256_set1_epi8(static_cast<char>(first));
    const __m256i f2 = _mm256_set1_epi8(static_cast<char>(Upper(first)));
    const __m256i l1 = _mm256_set1_epi8(static_cast<char>(last));
    const __m256i l2 = _mm256_set1_epi8(static_cast<char>(Upper(last)));
    const char* p = hay.data();
    size_t i = 0;
    for (; i + k - 1 + 32 <= n; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + k - 1));
        const __m256i ea = _mm256_or_si256(_mm256_cmpeq_epi8(a, f1), _mm256_cmpeq_epi8(a, f2));
        const __m256i eb = _mm256_or_si256(_mm256_cmpeq_epi8(b, l1), _mm256_cmpeq_epi8(b, l2));
        unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(ea, eb)));
        while (mask) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
            if (k <= 2 || EqualFolded(p + at + 1, needle.data() + 1, k - 2, hasLetters))
                return at;
            mask &= mask - 1;
        }
    }
    return FindScalar(hay, needle, hasLetters, i);
}

__attribute__((target("sse2"))) size_t FindSse2(std::string_view hay, std::string_view needle,
                                                bool hasLetters) {
    const size_t k = needle.size();
    const size_t n = hay.size();
    if (n < k)
        return npos;
    const unsigned char first = Bytes(needle.data())[0];
    const unsigned char last = Bytes(needle.data())[k - 1];
    const __m128i f1 = _mm_set1_epi8(static_cast<char>(first));
    const __m128i f2 = _mm_set1_epi8(static_cast<char>(Upper(first)));
    const __m128i l1 = _mm_set1_epi8(static_cast<char>(last));
    const __m128i l2 = _mm_set1_epi8(static_cast<char>(Upper(last)));
    const char* p = hay.data();
    size_t i = 0;
    for (; i + k - 1 + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + k - 1));
        const __m128i ea = _mm_or_si128(_mm_cmpeq_epi8(a, f1), _mm_cmpeq_epi8(a, f2));
        const __m128i eb = _mm_or_si128(_mm_cmpeq_epi8(b, l1), _mm_cmpeq_epi8(b, l2));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(ea, eb)));
        while (mask) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
            if (k <= 2 || EqualFolded(p + at + 1, needle.data() + 1, k - 2, hasLetters))
                return at;
            mask &= mask - 1;
        }
    }
    return FindScalar(hay, needle, hasLetters, i);
}

using FindFunction = size_t (*)(std::string_view, std::string_view, bool);

FindFunction ChooseFind() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? &FindAvx2 : &FindSse2;
}

const FindFunction theFind = ChooseFind();
#endif

// Valid UTF-8 without NUL: such a pattern compares the same byte by byte as character by
// character.
bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = Bytes(text.data())[i];
        size_t extra = 0;
        unsigned minimum = 0;
        if (c == 0) {
            return false; // the engine's text ends there
        } else if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, minimum = 0x10000;
        } else {
            return false;
        }
        unsigned code = c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            if (i + k >= text.size())
                return false;
            const unsigned char next = Bytes(text.data())[i + k];
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code & 0xFFFFF800) == 0xD800 ||
            (code & 0xFFFFFFFE) == 0xFFFE)
            return false;
        i += extra + 1;
    }
    return true;
}

// One character as the engine reads UTF-8: a lead byte takes every continuation byte after
// it; overlong forms, surrogates and U+FFFE/U+FFFF read as U+FFFD.
unsigned ReadChar(const unsigned char*& z) {
    static const unsigned char kTrans1[] = {
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c,
        0x0d, 0x0e, 0x0f, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19,
        0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
        0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x00, 0x01, 0x02, 0x03,
        0x04, 0x05, 0x06, 0x07, 0x00, 0x01, 0x02, 0x03, 0x00, 0x01, 0x00, 0x00,
    };
    unsigned c = *z++;
    if (c >= 0xC0) {
        c = kTrans1[c - 0xC0];
        while ((*z & 0xC0) == 0x80)
            c = (c << 6) + (0x3F & *z++);
        if (c < 0x80 || (c & 0xFFFFF800) == 0xD800 || (c & 0xFFFFFFFE) == 0xFFFE)
            c = 0xFFFD;
    }
    return c;
}

enum { kMatch, kNoMatch, kNoWildcardMatch };

int CompareCharacters(const unsigned char* pattern, const unsigned char* text) {
    unsigned c;
    while ((c = ReadChar(pattern)) != 0) {
        if (c == '%') {
            while ((c = ReadChar(pattern)) == '%' || c == '_')
                if (c == '_' && ReadChar(text) == 0)
                    return kNoWildcardMatch;
            if (c == 0)
                return kMatch;
            if (c < 0x80) {
                const char stop[3] = {static_cast<char>(Upper(static_cast<unsigned char>(c))),
                                      static_cast<char>(Lower(static_cast<unsigned char>(c))), 0};
                while (true) {
                    text += std::strcspn(reinterpret_cast<const char*>(text), stop);
                    if (text[0] == 0)
                        break;
                    ++text;
                    const int match = CompareCharacters(pattern, text);
                    if (match != kNoMatch)
                        return match;
                }
            } else {
                unsigned c2;
                while ((c2 = ReadChar(text)) != 0) {
                    if (c2 != c)
                        continue;
                    const int match = CompareCharacters(pattern, text);
                    if (match != kNoMatch)
                        return match;
                }
            }
            return kNoWildcardMatch;
        }
        const unsigned c2 = ReadChar(text);
        if (c == c2)
            continue;
        if (c < 0x80 && c2 < 0x80 &&
            Lower(static_cast<unsigned char>(c)) == Lower(static_cast<unsigned char>(c2)))
            continue;
        if (c == '_' && c2 != 0)
            continue;
        return kNoMatch;
    }
    return *text == 0 ? kMatch : kNoMatch;
}

} // namespace

bool CLikeMatcher::MatchCharacters(const unsigned char* pattern, const unsigned char* text) {
    return CompareCharacters(pattern, text) == kMatch;
}

size_t CLikeMatcher::FindFolded(std::string_view hay, std::string_view needle, bool hasLetters) {
#ifdef TOLVARIN_X86
    return theFind(hay, needle, hasLetters);
#else
    return FindScalar(hay, needle, hasLetters, 0);
#endif
}

CLikeMatcher::CLikeMatcher(std::string_view pattern)
    : m_strPattern(pattern), m_bValidUtf8(IsValidUtf8(pattern)) {
    const bool hasPercent = pattern.find('%') != npos;
    m_bAnchoredStart = !pattern.empty() && pattern.front() != '%';
    m_bAnchoredEnd = !pattern.empty() && pattern.back() != '%';
    if (!hasPercent) {
        m_bAnchoredStart = m_bAnchoredEnd = true;
    }
    Run run;
    auto flush = [&] {
        if (!run.text.empty() || !hasPercent)
            m_arrRuns.push_back(run);
        run = Run();
    };
    for (const char c : pattern) {
        if (c == '%') {
            flush();
            continue;
        }
        const unsigned char lowered = Lower(static_cast<unsigned char>(c));
        run.hasLetters |= lowered >= 'a' && lowered <= 'z';
        run.hasAnyChar |= c == '_';
        run.text += static_cast<char>(lowered);
    }
    flush();
}

size_t CLikeMatcher::MatchRunAt(const Run& run, std::string_view text, size_t pos) {
    size_t p = pos;
    for (const char c : run.text) {
        if (p >= text.size())
            return npos;
        if (c == '_') {
            p = NextChar(text, p);
            continue;
        }
        if (Lower(Bytes(text.data())[p]) != static_cast<unsigned char>(c))
            return npos;
        ++p;
    }
    return p - pos;
}

size_t CLikeMatcher::FindRun(const Run& run, std::string_view text, size_t pos, size_t& start) {
    if (!run.hasAnyChar) {
        const size_t at = FindFolded(text.substr(pos), run.text, run.hasLetters);
        if (at == npos)
            return npos;
        start = pos + at;
        return start + run.text.size();
    }
    for (size_t s = pos; s < text.size(); s = NextChar(text, s)) {
        const size_t length = MatchRunAt(run, text, s);
        if (length != npos) {
            start = s;
            return s + length;
        }
    }
    return npos;
}

bool CLikeMatcher::Matches(std::string_view text, size_t* decided) const {
    if (decided)
        *decided = m_bAnchoredEnd ? text.size() : 0;
    if (!m_bValidUtf8) {
        if (decided)
            *decided = text.size();
        const std::string copy(text.substr(0, text.find('\0')));
        return MatchCharacters(Bytes(m_strPattern.c_str()), Bytes(copy.c_str()));
    }
    const size_t count = m_arrRuns.size();
    size_t pos = 0;
    for (size_t i = 0; i < count; ++i) {
        const Run& run = m_arrRuns[i];
        const bool atStart = i == 0 && m_bAnchoredStart;
        const bool atEnd = i + 1 == count && m_bAnchoredEnd;
        if (atStart) {
            const size_t length = MatchRunAt(run, text, 0);
            if (length == npos)
                return false;
            pos = length;
            if (atEnd)
                return pos == text.size();
            continue;
        }
        if (atEnd) {
            if (!run.hasAnyChar)
                return text.size() - pos >= run.text.size() &&
                       EqualFolded(text.data() + text.size() - run.text.size(), run.text.data(),
                                   run.text.size(), run.hasLetters);
            for (size_t s = pos; s < text.size(); s = NextChar(text, s))
                if (MatchRunAt(run, text, s) == text.size() - s)
                    return true;
            return false;
        }
        size_t start = 0;
        pos = FindRun(run, text, pos, start);
        if (pos == npos)
            return false;
    }
    if (decided && !m_bAnchoredEnd)
        *decided = pos;
    return true;
}
