// The update wire's charset: code page 936 read faithfully (0x80 is the euro sign), GB18030
// for what that code page lacks, and every text written so that it reads back unchanged.
#include "ground/GbkCodec.h"
#include "ground/TextUtil.h"

#include <gtest/gtest.h>

namespace {

std::string Utf8(char32_t c) {
    char bytes[4];
    return std::string(bytes, EncodeUtf8(c, bytes));
}

} // namespace

TEST(GbkCodec, ReadsCodePage936AndWhatGb18030Adds) {
    struct Case {
        const char* wire;
        const char* utf8;
        bool valid;
    };
    const Case cases[] = {
        {"\x80", "€", true},     // code page 936's one single-byte extra
        {"\xA2\xE3", "€", true}, // the euro sign as GB18030 writes it
        {"\xB7\xA8\xB9\xE6", "法规", true},
        {"\xA1\xA4", "·", true},                // U+00B7 in code page 936
        {"\x81\x30\x81\x30", "\xC2\x80", true}, // a four-byte GB18030 sequence (U+0080)
        {"\x95\x32\x82\x36", "𠀀", true},       // outside the BMP
        {"a\xFF", "a\xEF\xBF\xBD", false},
        {"\x81", "\xEF\xBF\xBD", false}, // a lead byte without its second byte
        {"\x81\x7F", "\xEF\xBF\xBD\x7F", false},
    };
    for (const char* name : {"GBK", "gbk", "GB2312", "CP936"}) {
        CGbkCodec codec(name);
        ASSERT_TRUE(codec.IsValid()) << name;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(name) + " " + c.utf8);
            bool valid = !c.valid;
            EXPECT_EQ(codec.ToUtf8(c.wire, &valid), c.utf8);
            EXPECT_EQ(valid, c.valid);
        }
    }
    CGbkCodec codec("GBK");
    EXPECT_EQ(codec.FromUtf8("€法"), "\x80\xB7\xA8");
}

TEST(GbkCodec, EveryCharacterComesBackAsItWent) {
    CGbkCodec codec("GBK");
    int unwritable = 0;
    for (char32_t c = 1; c < 0x110000; c += (c < 0x10000 ? 1 : 97)) {
        // Surrogates are no characters; the language tags the C library drops on every
        // conversion.
        if ((c >= 0xD800 && c < 0xE000) || (c >= 0xE0000 && c < 0xE0080))
            continue;
        const std::string text = Utf8(c);
        bool valid = false;
        const std::string wire = codec.FromUtf8(text);
        if (wire == "?" && c != U'?') {
            ++unwritable; // a few private-use code points that GB18030 gives up
            continue;
        }
        ASSERT_EQ(codec.ToUtf8(wire, &valid), text) << "U+" << std::hex << unsigned(c);
        ASSERT_TRUE(valid);
    }
    EXPECT_LT(unwritable, 40);
    // And every two-byte sequence that reads as a character is written back as it came when
    // code page 936 has it.
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string wire{static_cast<char>(lead), static_cast<char>(trail)};
            bool valid = false;
            const std::string text = codec.ToUtf8(wire, &valid);
            if (!valid)
                continue;
            ++pairs;
            EXPECT_EQ(codec.ToUtf8(codec.FromUtf8(text)), text);
        }
    EXPECT_GT(pairs, 21000);
}
