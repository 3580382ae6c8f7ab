#include "ground/GbkCodec.h"

#include <cerrno>
#include <iconv.h>

namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

std::string Upper(const std::string& text) {
    std::string upper;
    for (char c : text)
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return upper;
}

// GBK, GB2312 and their other names are read as code page 936, GB18030 filling its gaps.
bool IsGbkFamily(const std::string& charset) {
    const std::string upper = Upper(charset);
    return upper == "GBK" || upper == "GB2312" || upper == "CP936" || upper == "X-GBK" ||
           upper == "MS936" || upper == "WINDOWS-936" || upper == "EUC-CN";
}

std::string IconvName(const std::string& charset) {
    return IsGbkFamily(charset) ? "CP936" : charset;
}

// Length of the multibyte sequence that starts at `p` in GB18030: four bytes when the second
// is a digit, else two; clipped to what is left.
size_t Gb18030SequenceLength(const char* p, size_t left) {
    if (left >= 4 && static_cast<unsigned char>(p[1]) >= 0x30 &&
        static_cast<unsigned char>(p[1]) <= 0x39)
        return 4;
    return left >= 2 ? 2 : 1;
}

// Length of the UTF-8 sequence that starts at `p` (1 for a stray byte).
size_t Utf8SequenceLength(const char* p, size_t left) {
    size_t n = 1;
    while (n < left && n < 4 && (static_cast<unsigned char>(p[n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

// Converts exactly `in` with `cd`, appending to `out`; false when any of it fails.
bool ConvertWhole(iconv_t cd, const char* in, size_t size, std::string& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buffer[32];
    char* src = const_cast<char*>(in);
    size_t srcLeft = size;
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0)
        return false;
    if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1))
        return false;
    out.append(buffer, sizeof buffer - dstLeft);
    return true;
}

} // namespace

CGbkCodec::CGbkCodec(std::string charset) : m_charset(std::move(charset)) {
    const std::string name = IconvName(m_charset);
    m_toUtf8 = iconv_open("UTF-8", name.c_str());
    m_fromUtf8 = iconv_open(name.c_str(), "UTF-8");
    const bool fallback = IsGbkFamily(m_charset);
    m_fallbackToUtf8 = fallback ? iconv_open("UTF-8", "GB18030") : kInvalid;
    m_fallbackFromUtf8 = fallback ? iconv_open("GB18030", "UTF-8") : kInvalid;
}

CGbkCodec::~CGbkCodec() {
    for (void* cd : {m_toUtf8, m_fromUtf8, m_fallbackToUtf8, m_fallbackFromUtf8})
        if (cd != kInvalid)
            iconv_close(static_cast<iconv_t>(cd));
}

bool CGbkCodec::IsValid() const {
    return m_toUtf8 != kInvalid && m_fromUtf8 != kInvalid;
}

std::string CGbkCodec::ToUtf8(std::string_view wire, bool* valid, size_t* replaced) {
    return Convert(m_toUtf8, m_fallbackToUtf8, wire, true, valid, replaced);
}

std::string CGbkCodec::FromUtf8(std::string_view utf8) {
    return Convert(m_fromUtf8, m_fallbackFromUtf8, utf8, false, nullptr, nullptr);
}

std::string CGbkCodec::Convert(void* handle, void* fallback, std::string_view in, bool toUtf8,
                               bool* valid, size_t* replaced) {
    if (valid)
        *valid = true;
    if (replaced)
        *replaced = 0;
    if (handle == kInvalid)
        return std::string(in);
    iconv_t cd = static_cast<iconv_t>(handle);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t written = 0;
    // What stands for an undecodable byte: U+FFFD in UTF-8, '?' in the wire charset.
    const std::string_view replacement = toUtf8 ? std::string_view("\xEF\xBF\xBD") : "?";
    while (srcLeft > 0) {
        char* dst = out.data() + written;
        size_t dstLeft = out.size() - written;
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        written = out.size() - dstLeft;
        if (rc != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL: a sequence the charset lacks. GB18030 may have it; otherwise the
        // offending byte (or UTF-8 sequence) is replaced.
        const size_t length =
            toUtf8 ? Gb18030SequenceLength(src, srcLeft) : Utf8SequenceLength(src, srcLeft);
        std::string piece;
        size_t skip = toUtf8 ? 1 : length;
        if (fallback != kInvalid &&
            ConvertWhole(static_cast<iconv_t>(fallback), src, length, piece)) {
            skip = length;
        } else {
            piece = replacement;
            if (valid)
                *valid = false;
            if (replaced)
                *replaced += skip;
        }
        out.resize(written);
        out += piece;
        written = out.size();
        out.resize(written + srcLeft * 2 + 16);
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(written);
    return out;
}

size_t CGbkCodec::GbkByteCount(std::string_view utf8) {
    size_t bytes = 0;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            bytes += 1;
            i += 1;
        } else if (c >= 0xF0) {
            bytes += 4; // outside the BMP: four bytes in GB18030
            i += 4;
        } else {
            bytes += 2;
            i += (c >= 0xE0) ? 3 : (c >= 0xC0 ? 2 : 1);
        }
    }
    return bytes;
}
