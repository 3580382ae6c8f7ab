#include "update/UpdateRequest.h"

#include "ground/GbkCodec.h"

void CUpdateRequest::Empty() {
    m_strPage.clear();
    m_strQuery.clear();
}

void CUpdateRequest::AddParam(const std::string& name, const std::string& value) {
    if (!m_strQuery.empty())
        m_strQuery += '&';
    m_strQuery += name;
    m_strQuery += '=';
    m_strQuery += EscapeValue(m_pCodec ? m_pCodec->FromUtf8(value) : value);
}

std::string CUpdateRequest::GetUrl() const {
    return m_strPage + "?" + m_strQuery;
}

namespace {

// Bytes that go into a query value as they are: letters, digits and the marks that mean
// nothing there (":" keeps a stamp readable, 2004-05-01%2010:20:30). Every other byte is
// escaped: the high bytes of the wire charset, "%" and " " as always, and also the bytes
// that would end or change the value ("#", "&", "=", "+", "?", ";"), control bytes and the
// bytes no URL may hold (a server id with a tab would make every later request invalid).
bool CopiedAsIs(unsigned char byte) {
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9'))
        return true;
    switch (byte) {
    case '-':
    case '.':
    case '_':
    case '~':
    case ':':
    case '/':
    case '@':
    case '!':
    case '$':
    case '\'':
    case '(':
    case ')':
    case '*':
    case ',':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string CUpdateRequest::EscapeValue(const std::string& wireBytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(wireBytes.size());
    for (const char ch : wireBytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (CopiedAsIs(byte)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}
