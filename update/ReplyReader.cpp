#include "update/ReplyReader.h"

#include "ground/GbkCodec.h"
#include "ground/SyncEvent.h"
#include "update/UpdaterBase.h"

#include <algorithm>
#include <cstring>

CReplyReader::CReplyReader(CUpdaterBase& updater, CSyncEvent* stopEvent, CGbkCodec* codec,
                           size_t maxLine)
    : m_updater(updater), m_pStopEvent(stopEvent), m_pCodec(codec), m_nMaxLine(maxLine) {}

std::string CReplyReader::ForeignCharsetText(const std::string& charset) {
    return "服务器的答复中有不属于 " + charset +
           " 字符集的字节，本次更新未完成；下次更新会重新下载其余记录。";
}

std::string CReplyReader::CharsetName() const {
    if (!m_strCharsetName.empty())
        return m_strCharsetName;
    return m_pCodec ? m_pCodec->Charset() : std::string("GBK");
}

void CReplyReader::Refuse(const std::string& text) {
    Fail(text);
}

void CReplyReader::Fail(const std::string& text) {
    m_strError = text;
    m_bGoOn = false;
    m_state = State::Done;
}

bool CReplyReader::Feed(const char* data, size_t size) {
    if (size > 0)
        m_bStarted = true;
    const char* end = data + size;
    while (data < end && m_state != State::Done) {
        const char* lf = static_cast<const char*>(std::memchr(data, '\n', size_t(end - data)));
        const char* stop = lf ? lf : end;
        for (const char* p = data; p < stop;) {
            const char* cr = static_cast<const char*>(std::memchr(p, '\r', size_t(stop - p)));
            const char* piece = cr ? cr : stop;
            m_strPartial.append(p, size_t(piece - p));
            p = cr ? cr + 1 : stop;
        }
        data = lf ? lf + 1 : end;
        if (m_strPartial.size() > m_nMaxLine) {
            // A line this long is no reply of ours; refuse it before it eats the memory.
            m_strPartial.clear();
            m_strPartial.shrink_to_fit();
            Fail(kFormatErrorText);
            break;
        }
        if (lf) {
            std::string line;
            line.swap(m_strPartial);
            Line(std::move(line));
        }
    }
    return m_state != State::Done;
}

void CReplyReader::EndOfData() {
    if (m_state == State::Done)
        return;
    if (!m_strPartial.empty()) {
        std::string line;
        line.swap(m_strPartial);
        Line(std::move(line));
        if (m_state == State::Done)
            return;
    }
    switch (m_state) {
    case State::FirstLine:
        Fail(kDownloadFailedText);
        return;
    case State::HeaderCount:
    case State::HeaderStamp:
    case State::HeaderEnd:
        Fail(kFormatErrorText);
        return;
    case State::ErrorText:
        // "<error>" as the last line: the stage fails without a message.
        m_bGoOn = false;
        break;
    case State::Records:
        m_updater.ReplyEnded();
        m_updater.FinishReply();
        break;
    case State::Done:
        break;
    }
    m_state = State::Done;
}

void CReplyReader::Abandon() {
    if (m_state == State::ErrorText)
        m_bGoOn = false;
    m_strPartial.clear();
    m_state = State::Done;
}

void CReplyReader::Line(std::string raw) {
    // A NUL byte has no place in a text line and would cut the statement built from it.
    raw.erase(std::remove(raw.begin(), raw.end(), '\0'), raw.end());
    // Element lines and numbers are ASCII, which every wire charset keeps as it is.
    const bool ascii = std::all_of(raw.begin(), raw.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    size_t replaced = 0;
    std::string line =
        m_pCodec && !ascii ? m_pCodec->ToUtf8(raw, nullptr, &replaced) : std::move(raw);
    if (replaced > 0 && (m_state == State::HeaderCount || m_state == State::HeaderStamp)) {
        // The header is numbers and a stamp: bytes invalid there mean the whole reply is in
        // another charset. Nothing of it is merged.
        Fail(ForeignCharsetText(CharsetName()));
        return;
    }
    line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
    switch (m_state) {
    case State::FirstLine:
        if (line == "<header>")
            m_state = State::HeaderCount;
        else if (line == "<error>")
            m_state = State::ErrorText;
        else
            Fail(kDownloadFailedText);
        break;
    case State::HeaderCount:
        m_updater.SetHeaderCount(line);
        m_state = m_updater.HasHeaderStamp() ? State::HeaderStamp : State::HeaderEnd;
        break;
    case State::HeaderStamp:
        m_updater.SetHeaderStamp(line);
        m_state = State::HeaderEnd;
        break;
    case State::HeaderEnd:
        if (line == "</header>")
            m_state = State::Records;
        else
            Fail(kFormatErrorText);
        break;
    case State::ErrorText:
        m_strError = line;
        m_bGoOn = false;
        m_state = State::Done;
        break;
    case State::Records:
        // Bytes invalid in the charset have become U+FFFD; the record is merged and named in
        // the run's closing warning (or, in a field that names or stamps the record, the
        // stage fails at it).
        if (replaced > 0)
            m_updater.NoteReplacedBytes(replaced, CharsetName());
        m_updater.FeedLine(line);
        if (m_updater.IsOverlong()) {
            Fail(kFormatErrorText);
        } else if (m_updater.IsBroken()) {
            m_bGoOn = false;
            m_state = State::Done;
        } else if (m_pStopEvent && m_pStopEvent->IsSet()) {
            m_bStopped = true;
            m_bGoOn = false;
            m_state = State::Done;
        }
        break;
    case State::Done:
        break;
    }
}
