#include "app/GbkCodec.h"

#include <cerrno>
#include <iconv.h>

namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

// GBK, GB2312 and code page 936 are all subsets of GB18030: decode and encode with it.
std::string IconvName(const std::string& charset) {
    std::string upper;
    for (char c : charset)
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper == "GBK" || upper == "GB2312" || upper == "CP936" || upper == "GB18030")
        return "GB18030";
    return charset;
}

} // namespace

CGbkCodec::CGbkCodec(std::string charset) : m_charset(std::move(charset)) {
    const std::string name = IconvName(m_charset);
    m_toUtf8 = iconv_open("UTF-8", name.c_str());
    m_fromUtf8 = iconv_open(name.c_str(), "UTF-8");
}

CGbkCodec::~CGbkCodec() {
    if (m_toUtf8 != kInvalid)
        iconv_close(static_cast<iconv_t>(m_toUtf8));
    if (m_fromUtf8 != kInvalid)
        iconv_close(static_cast<iconv_t>(m_fromUtf8));
}

bool CGbkCodec::IsValid() const { return m_toUtf8 != kInvalid && m_fromUtf8 != kInvalid; }

std::string CGbkCodec::ToUtf8(std::string_view wire) { return Convert(m_toUtf8, wire, true); }

std::string CGbkCodec::FromUtf8(std::string_view utf8) { return Convert(m_fromUtf8, utf8, false); }

std::string CGbkCodec::Convert(void* handle, std::string_view in, bool toUtf8) {
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
        // EILSEQ or EINVAL: replace the offending byte (or UTF-8 sequence) and go on.
        if (out.size() - written < replacement.size())
            out.resize(out.size() * 2 + replacement.size());
        out.replace(written, replacement.size(), replacement);
        written += replacement.size();
        size_t skip = 1;
        if (!toUtf8) {
            while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80)
                ++skip;
        }
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
