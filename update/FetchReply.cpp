#include "update/FetchReply.h"

#include "app/MessageService.h"
#include "update/InternetSession.h"
#include "update/ReplyReader.h"
#include "update/UpdateRequest.h"
#include "update/UpdaterBase.h"

void FetchReply(CInternetSession& session, CUpdateRequest& request, CUpdaterBase& updater,
                CSyncEvent* stopEvent, CGbkCodec* codec, std::string& error, bool& goOn) {
    CReplyReader reader(updater, stopEvent, codec);
    std::string transportError;
    const auto result = session.Fetch(
        request.GetUrl(),
        [&reader](const char* data, size_t size) { return reader.Feed(data, size); }, stopEvent,
        transportError);
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
