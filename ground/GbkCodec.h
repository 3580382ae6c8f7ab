#pragma once
// Conversion between the program's UTF-8 and the update wire's multibyte charset (GBK by
// default). GBK, GB2312 and CP936 are read as code page 936 (the byte 0x80 is the euro
// sign), and a sequence that code page lacks as GB18030, which adds the rest of Unicode;
// text is written in code page 936 where it has the character and in GB18030 otherwise, so
// that no character is lost and every text comes back as it went. Invalid input bytes
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

    // `valid`, when given, is set to whether every byte was valid in the charset, and
    // `replaced` to the number of bytes that became U+FFFD.
    std::string ToUtf8(std::string_view wire, bool* valid = nullptr, size_t* replaced = nullptr);
    std::string FromUtf8(std::string_view utf8);

    // Bytes the text takes in GBK: one per ASCII character, two per other character
    // (four for the few GB18030-only ones). Used for the byte limits of typed input.
    static size_t GbkByteCount(std::string_view utf8);

private:
    std::string Convert(void* cd, void* fallback, std::string_view in, bool toUtf8, bool* valid,
                        size_t* replaced);

    std::string m_charset;
    void* m_toUtf8;
    void* m_fromUtf8;
    // GB18030 for what code page 936 lacks (GBK family only).
    void* m_fallbackToUtf8;
    void* m_fallbackFromUtf8;
};
