#include "update/ReplyCharset.h"

#include "ground/GbkCodec.h"

#include <algorithm>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The start as the reader decodes its lines: without a line cut at its end (unless the start
// is the whole reply), and without the CR and NUL bytes that the reader drops.
std::string WholeLines(std::string_view text, bool whole) {
    if (!whole) {
        const size_t lf = text.rfind('\n');
        if (lf != std::string_view::npos)
            text = text.substr(0, lf + 1);
    }
    std::string lines;
    lines.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\0')
            lines += c;
    return lines;
}

} // namespace

CReplyCharset::CReplyCharset(std::string wireCharset, std::string declared)
    : m_strWire(std::move(wireCharset)), m_strDeclared(std::move(declared)), m_strName(m_strWire),
      m_strLineCharset(m_strWire) {}

CReplyCharset::Kind CReplyCharset::Classify(const std::string& declared) {
    const std::string name = Lower(declared);
    if (name == "utf-8" || name == "utf8")
        return Kind::Utf8;
    if (name == "utf-16" || name == "utf-16le" || name == "utf-16be" || name == "utf16" ||
        name == "ucs-2")
        return Kind::Utf16;
    if (name == "gbk" || name == "gb2312" || name == "cp936" || name == "x-gbk" ||
        name == "ms936" || name == "windows-936" || name == "euc-cn" || name == "gb18030")
        return Kind::Gbk;
    return Kind::Wire;
}

bool CReplyCharset::Enough(std::string_view held) {
    if (held.size() >= kMaxHeld)
        return true;
    const auto first = std::find_if(held.begin(), held.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return first != held.end() && size_t(held.end() - first) >= kWindow;
}

void CReplyCharset::Choose(std::string_view start, bool whole) {
    m_strName = m_strLineCharset = m_strWire;
    m_bUtf16 = false;
    switch (Classify(m_strDeclared)) {
    case Kind::Wire:
        return;
    case Kind::Gbk:
        m_strName = m_strLineCharset = "GBK";
        return;
    case Kind::Utf8: {
        CGbkCodec utf8("UTF-8");
        bool valid = true;
        utf8.ToUtf8(WholeLines(start, whole), &valid);
        if (valid)
            m_strName = m_strLineCharset = "UTF-8";
        return;
    }
    case Kind::Utf16: {
        const std::string name = Lower(m_strDeclared);
        bool bigEndian = false;
        if (StartsWith(start, "\xFF\xFE"))
            bigEndian = false;
        else if (StartsWith(start, "\xFE\xFF"))
            bigEndian = true;
        else if (name == "utf-16le" && StartsWith(start, std::string_view("<\0", 2)))
            bigEndian = false;
        else if (name == "utf-16be" && StartsWith(start, std::string_view("\0<", 2)))
            bigEndian = true;
        else if (name != "utf-16le" && name != "utf-16be" &&
                 StartsWith(start, std::string_view("<\0", 2)))
            bigEndian = false;
        else if (name != "utf-16le" && name != "utf-16be" &&
                 StartsWith(start, std::string_view("\0<", 2)))
            bigEndian = true;
        else
            return;
        std::string_view text16 = start;
        if (StartsWith(text16, bigEndian ? "\xFE\xFF" : "\xFF\xFE"))
            text16.remove_prefix(2);
        std::string pending;
        const std::string text = Utf16ToUtf8(text16, bigEndian, whole, pending);
        if (text.find('\xFF') != std::string::npos)
            return;
        m_bUtf16 = true;
        m_bBigEndian = bigEndian;
        m_bBomDone = false;
        m_strName = bigEndian ? "UTF-16BE" : "UTF-16LE";
        m_strLineCharset = "UTF-8";
        return;
    }
    }
}

std::string CReplyCharset::Transcode(std::string_view bytes, bool last) {
    if (!m_bUtf16)
        return std::string(bytes);
    std::string in = std::move(m_strPending);
    m_strPending.clear();
    in.append(bytes);
    std::string_view view(in);
    if (!m_bBomDone) {
        if (view.size() < 2 && !last) {
            m_strPending = in;
            return {};
        }
        m_bBomDone = true;
        if (StartsWith(view, m_bBigEndian ? "\xFE\xFF" : "\xFF\xFE"))
            view.remove_prefix(2);
    }
    return Utf16ToUtf8(view, m_bBigEndian, last, m_strPending);
}

std::string CReplyCharset::Utf16ToUtf8(std::string_view bytes, bool bigEndian, bool last,
                                       std::string& pending) {
    const auto unit = [&](size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (unsigned(a) << 8 | b) : (unsigned(b) << 8 | a);
    };
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    size_t i = 0;
    while (i + 2 <= bytes.size()) {
        const unsigned u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 4 > bytes.size()) {
                if (!last)
                    break;
                out += "\xFF\xFF";
                i += 2;
                continue;
            }
            const unsigned v = unit(i + 2);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                i += 4;
            } else {
                out += "\xFF\xFF";
                i += 2;
            }
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            out += "\xFF\xFF";
            i += 2;
        } else {
            AppendUtf8(out, u);
            i += 2;
        }
    }
    if (i < bytes.size()) {
        if (last)
            out.append(bytes.size() - i, '\xFF');
        else
            pending.assign(bytes.substr(i));
    }
    return out;
}

bool CReplyCharset::IsForeign(std::string_view start, CGbkCodec& codec, bool whole) {
    const std::string text = WholeLines(start, whole);
    size_t replaced = 0;
    codec.ToUtf8(text, nullptr, &replaced);
    const auto nonAscii = static_cast<size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
    return replaced >= kForeignMinBytes && replaced * 100 > nonAscii;
}
