#pragma once
// Splits one fuzz input into the several texts a target needs: the parts between the
// separator byte 0x01, missing parts empty.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

inline std::vector<std::string> SplitFuzzInput(const uint8_t* data, size_t size, size_t parts) {
    std::vector<std::string> out(parts);
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    for (size_t i = 0; i < parts && start <= in.size(); ++i) {
        size_t end = in.find('\x01', start);
        if (end == std::string_view::npos || i + 1 == parts)
            end = in.size();
        out[i] = std::string(in.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// Whether a text is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
inline bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t len = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > s.size())
            return false;
        for (size_t k = 1; k < len; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += len;
    }
    return true;
}

// Stops the fuzzer (and fails the replay) with a message when a property does not hold.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
