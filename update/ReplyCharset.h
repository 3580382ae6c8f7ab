#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class CGbkCodec;

// The charset one update reply is read in. Replies are in the wire charset (GBK unless
// configured otherwise). A reply that declares UTF-8 or UTF-16 in its Content-Type is read so
// only when its start is valid in that charset (UTF-16 must begin with a byte order mark or
// with "<"); a declared GBK name is read as GBK; any other declaration (a single-byte Latin
// charset, an unknown name) is not believed and the reply is read in the wire charset.
//
// The choice is made on the start of the reply, held back before any of it is merged: up to
// kWindow bytes past its first non-ASCII byte (ASCII reads the same in every charset here),
// at most kMaxHeld bytes in all, or the whole reply when it is shorter. The same start decides
// whether the reply is in another charset as a whole (IsForeign): then it is refused and
// nothing of it is merged. Invalid bytes met later are isolated faults of their records.
class CReplyCharset {
public:
    static constexpr size_t kWindow = size_t(4) << 10;
    static constexpr size_t kMaxHeld = size_t(16) << 10;
    // A start with at least this many invalid bytes, and more invalid bytes than 1 % of its
    // non-ASCII bytes, is in another charset as a whole.
    static constexpr size_t kForeignMinBytes = 8;

    CReplyCharset(std::string wireCharset, std::string declared);

    // Whether the bytes held so far are enough to choose on.
    static bool Enough(std::string_view held);
    // Chooses the charset on the start of the reply (`whole`: the reply has no more bytes).
    void Choose(std::string_view start, bool whole);

    // The charset the reply is read in, as named to the user ("GBK", "UTF-8", "UTF-16LE" ...).
    const std::string& Name() const { return m_strName; }
    // The charset its lines are decoded from: UTF-16 is turned into UTF-8 first.
    const std::string& LineCharset() const { return m_strLineCharset; }

    // The bytes of the reply as its lines are split from them: UTF-16 becomes UTF-8, each byte
    // of a unit that is no character becoming 0xFF (which no UTF-8 text holds, so the line
    // decoder counts it as invalid); other charsets pass unchanged. `last`: no bytes follow.
    std::string Transcode(std::string_view bytes, bool last);

    // Whether the start of a reply (as Transcode gave it) is in another charset than `codec`
    // reads as a whole. `whole`: the start is the whole reply (else a line cut at its end is
    // left out of the count).
    static bool IsForeign(std::string_view start, CGbkCodec& codec, bool whole);

private:
    enum class Kind { Wire, Gbk, Utf8, Utf16 };
    static Kind Classify(const std::string& declared);
    static std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian, bool last,
                                   std::string& pending);

    std::string m_strWire;
    std::string m_strDeclared;
    std::string m_strName;
    std::string m_strLineCharset;
    bool m_bUtf16 = false;
    bool m_bBigEndian = false;
    bool m_bBomDone = false;
    std::string m_strPending;
};
