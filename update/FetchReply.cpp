#include "update/FetchReply.h"

#include "ground/MessageService.h"
#include "update/InternetSession.h"
#include "update/ReplyReader.h"
#include "update/UpdateRequest.h"
#include "update/UpdaterBase.h"

#include "ground/GbkCodec.h"

#include <memory>

namespace {

bool SameCharset(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

void FetchReply(CInternetSession& session, CUpdateRequest& request, CUpdaterBase& updater,
                CSyncEvent* stopEvent, CGbkCodec* codec, std::string& error, bool& goOn) {
    CReplyReader reader(updater, stopEvent, codec);
    std::string transportError;
    // A reply that declares its charset is read in that charset.
    std::unique_ptr<CGbkCodec> declared;
    bool charsetChosen = false;
    const auto receive = [&](const char* data, size_t size) {
        if (!charsetChosen) {
            charsetChosen = true;
            const std::string& charset = session.ContentCharset();
            if (codec && !charset.empty() && !SameCharset(charset, codec->Charset())) {
                declared = std::make_unique<CGbkCodec>(charset);
                if (!declared->IsValid()) {
                    reader.Refuse("服务器答复的字符集 " + charset + " 无法识别，本次更新未完成。");
                    return false;
                }
                reader.SetCodec(declared.get());
            }
        }
        return reader.Feed(data, size);
    };
    const auto result = session.Fetch(request.GetUrl(), receive, stopEvent, transportError);
    switch (result) {
    case CInternetSession::Result::Done:
        reader.EndOfData();
        break;
    case CInternetSession::Result::Refused:
        break;
    case CInternetSession::Result::Stopped:
        reader.Abandon();
        goOn = false;
        return;
    case CInternetSession::Result::OpenFailed:
        AppMessageBox(transportError);
        error = kDownloadFailedText;
        goOn = false;
        return;
    case CInternetSession::Result::ReadFailed:
        AppMessageBox(transportError);
        reader.Abandon();
        updater.SetReplyBrokenOff();
        break;
    }
    if (!reader.GoOn())
        goOn = false;
    if (!reader.Error().empty())
        error = reader.Error();
}
