#pragma once

#include <cstddef>
#include <string>

class CGbkCodec;
class CSyncEvent;
class CUpdaterBase;

// Reads one update reply as its bytes arrive: splits lines (every CR dropped, LF ends a
// line, a last line without LF still counts), decodes them from the wire charset, checks
// the header or the error element, and hands every record line to the updater. After every
// record line the stop event is tested, so a stop takes effect within one line.
class CReplyReader {
public:
    static constexpr size_t kDefaultMaxLine = size_t(64) << 20;

    CReplyReader(CUpdaterBase& updater, CSyncEvent* stopEvent, CGbkCodec* codec,
                 size_t maxLine = kDefaultMaxLine);

    // Takes the next bytes of the reply. False once the reader wants no more of it.
    bool Feed(const char* data, size_t size);
    // The reply has no further byte: reads a last line without LF, and ends the reply
    // (FinishReply when the records were being read).
    void EndOfData();
    // The transport failed while reading: the reply ends here without FinishReply.
    void Abandon();
    // Reads the lines still to come in another charset (the one the reply declares).
    void SetCodec(CGbkCodec* codec) { m_pCodec = codec; }
    // The charset as named to the user, when the codec reads a conversion of it (UTF-16).
    void SetCharsetName(const std::string& name) { m_strCharsetName = name; }
    // The text that refuses a reply in another charset than `charset`.
    static std::string ForeignCharsetText(const std::string& charset);
    // Ends the reply before its first line with an error text (the stage fails).
    void Refuse(const std::string& text);

    // Whether the worker may go on with its next edition.
    bool GoOn() const { return m_bGoOn; }
    // The error text to show ("" for none).
    const std::string& Error() const { return m_strError; }
    // Whether the reader stopped because the stop event was signalled.
    bool Stopped() const { return m_bStopped; }
    // Whether any byte of the reply has arrived.
    bool Started() const { return m_bStarted; }

private:
    enum class State { FirstLine, HeaderCount, HeaderStamp, HeaderEnd, ErrorText, Records, Done };

    void Line(std::string raw);
    void Fail(const std::string& text);
    std::string CharsetName() const;

    CUpdaterBase& m_updater;
    CSyncEvent* m_pStopEvent;
    CGbkCodec* m_pCodec;
    size_t m_nMaxLine;
    State m_state = State::FirstLine;
    std::string m_strCharsetName;
    std::string m_strPartial;
    std::string m_strError;
    bool m_bGoOn = true;
    bool m_bStopped = false;
    bool m_bStarted = false;
};

// The error texts of a download.
inline constexpr const char* kDownloadFailedText = "下载失败！";
inline constexpr const char* kFormatErrorText = "格式错误!";
