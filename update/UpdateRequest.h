#pragma once

#include <string>

class CGbkCodec;

// One GET request of the update: the page address and the query built so far.
// Values are escaped byte by byte over their wire encoding.
class CUpdateRequest {
public:
    // `codec` turns UTF-8 values into wire bytes; without one values are escaped as they are.
    explicit CUpdateRequest(CGbkCodec* codec = nullptr) : m_pCodec(codec) {}
    virtual ~CUpdateRequest() = default;

    void Empty();
    void SetPage(const std::string& page) { m_strPage = page; }
    // Appends "&" when the query is not empty, then the name, "=" and the escaped value.
    void AddParam(const std::string& name, const std::string& value);
    std::string GetUrl() const;

    // Every byte but letters, digits and the marks without meaning in a query value
    // ("-._~:/@!$'()*,") becomes "%XX" (upper-case hex): bytes of 0x80 and above, "%", " ",
    // the bytes with a meaning in a URL ("#&=+?;" and the rest) and control bytes.
    static std::string EscapeValue(const std::string& wireBytes);

private:
    CGbkCodec* m_pCodec;
    std::string m_strPage;
    std::string m_strQuery;
};
