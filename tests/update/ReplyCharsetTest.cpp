// The charset a reply is read in: GBK by protocol; a declared UTF-8 or UTF-16 only when the
// bytes are valid in it; Latin and unknown declarations are not believed. And the rule that
// refuses a reply in another charset as a whole, but not one with a few bad bytes.
#include "update/ReplyCharset.h"
#include "ground/GbkCodec.h"

#include <gtest/gtest.h>

namespace {

const std::string kReply =
    "<header>\n2\n</header>\n<tree>\n<lawid>\n7\n</lawid>\n<topic>\n"
    "中华人民共和国劳动法\n</topic>\n<body>\n第一条 为了保护劳动者的合法权益。\n"
    "</body>\n</tree>\n";

std::string Encode(const std::string& charset, const std::string& utf8) {
    CGbkCodec codec(charset);
    return codec.FromUtf8(utf8);
}

// What the client makes of the bytes: the charset chosen and the text of the lines.
std::pair<std::string, std::string> Read(const std::string& declared, const std::string& bytes,
                                         const std::string& wire = "GBK") {
    CReplyCharset charset(wire, declared);
    charset.Choose(bytes, true);
    // Fed in two pieces, cut inside a character, as the network may cut it.
    const size_t cut = bytes.size() / 2 + 1;
    std::string text = charset.Transcode(std::string_view(bytes).substr(0, cut), false);
    text += charset.Transcode(std::string_view(bytes).substr(cut), true);
    CGbkCodec codec(charset.LineCharset());
    return {charset.Name(), codec.ToUtf8(text)};
}

} // namespace

TEST(ReplyCharset, DeclaredLabelsAgainstTheBytes) {
    const std::string gbk = Encode("GBK", kReply);
    const std::string utf8 = kReply;
    const std::string utf16le = Encode("UTF-16LE", kReply);
    const std::string utf16be = Encode("UTF-16BE", kReply);
    const std::string bomLe = "\xFF\xFE" + utf16le;
    const std::string bomBe = "\xFE\xFF" + utf16be;
    std::string invalid = utf8; // UTF-8 with a byte no UTF-8 holds
    invalid.insert(invalid.find("劳动法"), "\xFF");

    struct Set {
        const char* name;
        const std::string* bytes;
        const char* charset; // the charset they are truly in
    };
    const Set sets[] = {{"GBK", &gbk, "GBK"},
                        {"UTF-8", &utf8, "UTF-8"},
                        {"UTF-16LE with BOM", &bomLe, "UTF-16LE"},
                        {"UTF-16BE with BOM", &bomBe, "UTF-16BE"},
                        {"UTF-16LE without BOM", &utf16le, "UTF-16LE"},
                        {"UTF-16BE without BOM", &utf16be, "UTF-16BE"},
                        {"invalid", &invalid, ""}};
    struct Label {
        const char* declared;
        // The charset read for each byte set, in the order of `sets`.
        const char* read[7];
    };
    const Label labels[] = {
        {"", {"GBK", "GBK", "GBK", "GBK", "GBK", "GBK", "GBK"}},
        {"GBK", {"GBK", "GBK", "GBK", "GBK", "GBK", "GBK", "GBK"}},
        {"gb2312", {"GBK", "GBK", "GBK", "GBK", "GBK", "GBK", "GBK"}},
        {"utf-8", {"GBK", "UTF-8", "GBK", "GBK", "GBK", "GBK", "GBK"}},
        {"UTF8", {"GBK", "UTF-8", "GBK", "GBK", "GBK", "GBK", "GBK"}},
        {"utf-16", {"GBK", "GBK", "UTF-16LE", "UTF-16BE", "UTF-16LE", "UTF-16BE", "GBK"}},
        {"UTF-16LE", {"GBK", "GBK", "UTF-16LE", "UTF-16BE", "UTF-16LE", "GBK", "GBK"}},
        {"utf-16be", {"GBK", "GBK", "UTF-16LE", "UTF-16BE", "GBK", "UTF-16BE", "GBK"}},
        {"iso-8859-1", {"GBK", "GBK", "GBK", "GBK", "GBK", "GBK", "GBK"}},
        {"latin1", {"GBK", "GBK", "GBK", "GBK", "GBK", "GBK", "GBK"}},
        {"windows-1252", {"GBK", "GBK", "GBK", "GBK", "GBK", "GBK", "GBK"}},
        {"us-ascii", {"GBK", "GBK", "GBK", "GBK", "GBK", "GBK", "GBK"}},
        {"x-no-such-charset", {"GBK", "GBK", "GBK", "GBK", "GBK", "GBK", "GBK"}},
    };
    for (const Label& label : labels) {
        for (size_t i = 0; i < std::size(sets); ++i) {
            SCOPED_TRACE(std::string(label.declared) + " × " + sets[i].name);
            const auto [name, text] = Read(label.declared, *sets[i].bytes);
            EXPECT_EQ(name, label.read[i]);
            // Read in their own charset, the bytes give the reply's text exactly.
            if (name == sets[i].charset) {
                EXPECT_EQ(text, kReply);
            }
        }
    }
    // A configured wire charset takes the place of GBK for what is not believed.
    EXPECT_EQ(Read("iso-8859-1", utf8, "UTF-8"), std::make_pair(std::string("UTF-8"), kReply));
    EXPECT_EQ(Read("utf-8", gbk, "UTF-8").first, "UTF-8");
    EXPECT_EQ(Read("gbk", gbk, "UTF-8"), std::make_pair(std::string("GBK"), kReply));
}

TEST(ReplyCharset, UnpairedUtf16UnitsBecomeInvalidBytesOfTheirLine) {
    CReplyCharset charset("GBK", "utf-16le");
    const std::string bytes = Encode("UTF-16LE", "<header>\n") + std::string("\x00\xD8", 2) +
                              Encode("UTF-16LE", "a\n") + "x"; // a lone high surrogate, a cut unit
    charset.Choose(bytes.substr(0, 18), false);                // chosen on a valid start
    ASSERT_EQ(charset.Name(), "UTF-16LE");
    const std::string text = charset.Transcode(bytes, true);
    CGbkCodec codec(charset.LineCharset());
    size_t replaced = 0;
    EXPECT_EQ(codec.ToUtf8(text, nullptr, &replaced), "<header>\n\xEF\xBF\xBD\xEF\xBF\xBD"
                                                      "a\n\xEF\xBF\xBD");
    EXPECT_EQ(replaced, 3U);
}

TEST(ReplyCharset, ForeignAsAWholeOnlyWhenInvalidBytesAreManyAndDense) {
    CGbkCodec gbk("GBK");
    const std::string record =
        Encode("GBK", "<tree>\n<topic>\n中华人民共和国劳动法\n</topic>\n</tree>\n");
    std::string many; // 200 records, about 4,000 non-ASCII bytes
    for (int i = 0; i < 200; ++i)
        many += record;
    // `bad` bytes 0xFF at the start of titles, one per record while there are records.
    const auto withBad = [](std::string text, int bad) {
        size_t at = text.find("<topic>\n");
        for (int i = 0; i < bad; ++i) {
            text.insert(at + 8, "\xFF");
            const size_t next = text.find("<topic>\n", at + 1);
            if (next != std::string::npos)
                at = next;
        }
        return text;
    };
    struct Case {
        std::string text;
        bool foreign;
    };
    const Case cases[] = {
        {withBad(record, 7), false}, // below the floor of 8, however dense
        {withBad(record, 8), true},  // 8 invalid among 28 non-ASCII bytes
        {withBad(many, 30), false},  // 30 invalid bytes in 4,000: under 1 %
        {withBad(many, 60), true},   // 60 in 4,000: over 1 %
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        EXPECT_EQ(CReplyCharset::IsForeign(c.text, gbk, true), c.foreign);
    }
    // A line cut at the end of a start that is not the whole reply does not count.
    EXPECT_FALSE(CReplyCharset::IsForeign(record + "<topic>\n\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF",
                                          gbk, false));
}
