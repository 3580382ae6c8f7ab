#include "update/FetchReply.h"

#include "ground/MessageService.h"
#include "update/InternetSession.h"
#include "update/ReplyCharset.h"
#include "update/ReplyReader.h"
#include "update/UpdateRequest.h"
#include "update/UpdaterBase.h"

#include "ground/GbkCodec.h"

#include <memory>

void FetchReply(CInternetSession& session, CUpdateRequest& request, CUpdaterBase& updater,
                CSyncEvent* stopEvent, CGbkCodec* codec, std::string& error, bool& goOn) {
    CReplyReader reader(updater, stopEvent, codec);
    std::string transportError;
    // The start of the reply is held back until its charset is chosen and judged; nothing of
    // it is merged before.
    std::unique_ptr<CReplyCharset> charset;
    std::unique_ptr<CGbkCodec> lineCodec;
    std::string held;
    bool chosen = false;
    const auto choose = [&](bool whole) {
        chosen = true;
        if (!codec) // lines passed as they come (tests of the grammar)
            return reader.Feed(held.data(), held.size());
        charset = std::make_unique<CReplyCharset>(codec->Charset(), session.ContentCharset());
        charset->Choose(held, whole);
        if (charset->LineCharset() != codec->Charset()) {
            lineCodec = std::make_unique<CGbkCodec>(charset->LineCharset());
            reader.SetCodec(lineCodec.get());
        }
        reader.SetCharsetName(charset->Name());
        const std::string text = charset->Transcode(held, whole);
        held.clear();
        held.shrink_to_fit();
        if (CReplyCharset::IsForeign(text, lineCodec ? *lineCodec : *codec, whole)) {
            reader.Refuse(CReplyReader::ForeignCharsetText(charset->Name()));
            return false;
        }
        return reader.Feed(text.data(), text.size());
    };
    const auto receive = [&](const char* data, size_t size) {
        if (chosen) {
            if (!charset)
                return reader.Feed(data, size);
            const std::string text = charset->Transcode(std::string_view(data, size), false);
            return reader.Feed(text.data(), text.size());
        }
        held.append(data, size);
        return CReplyCharset::Enough(held) ? choose(false) : true;
    };
    const auto result = session.Fetch(request.GetUrl(), receive, stopEvent, transportError);
    switch (result) {
    case CInternetSession::Result::Done:
        if (!chosen) {
            choose(true);
        } else if (charset) {
            const std::string tail = charset->Transcode({}, true);
            reader.Feed(tail.data(), tail.size());
        }
        reader.EndOfData();
        break;
    case CInternetSession::Result::Refused:
        break;
    case CInternetSession::Result::Stopped:
        reader.Abandon();
        goOn = false;
        return;
    case CInternetSession::Result::OpenFailed:
        // One box says it: the stage's own failure text, then what failed and what to check.
        error = std::string(kDownloadFailedText) + "\n" + transportError;
        goOn = false;
        return;
    case CInternetSession::Result::ReadFailed:
        AppMessageBox(transportError);
        // What arrived before the break is merged, as if the reply had ended there.
        if (!chosen)
            choose(false);
        reader.Abandon();
        updater.SetReplyBrokenOff();
        break;
    }
    if (!reader.GoOn())
        goOn = false;
    if (!reader.Error().empty())
        error = reader.Error();
}
