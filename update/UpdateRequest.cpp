#include "update/UpdateRequest.h"

#include "app/GbkCodec.h"

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

std::string CUpdateRequest::EscapeValue(const std::string& wireBytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(wireBytes.size());
    for (const char ch : wireBytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x80 || byte == '%' || byte == ' ') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}
