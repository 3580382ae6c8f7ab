#pragma once
// Conversion between the program's UTF-8 and the update wire's multibyte charset (GBK by
// default, decoded and encoded as GB18030 so that no character is lost). Invalid input bytes
// become U+FFFD; nothing here throws.

#include <string>
#include <string_view>

class CGbkCodec {
public:
    explicit CGbkCodec(std::string charset = "GBK");
    ~CGbkCodec();
    CGbkCodec(const CGbkCodec&) = delete;
    CGbkCodec& operator=(const CGbkCodec&) = delete;

    const std::string& Charset() const { return m_charset; }
    // False when iconv does not know the charset; the conversions then pass bytes through.
    bool IsValid() const;

    std::string ToUtf8(std::string_view wire);
    std::string FromUtf8(std::string_view utf8);

    // Bytes the text takes in GBK: one per ASCII character, two per other character
    // (four for the few GB18030-only ones). Used for the byte limits of typed input.
    static size_t GbkByteCount(std::string_view utf8);

private:
    std::string Convert(void* cd, std::string_view in, bool toUtf8);

    std::string m_charset;
    void* m_toUtf8;
    void* m_fromUtf8;
};
