#pragma once

#include <string>

class CGbkCodec;
class CInternetSession;
class CSyncEvent;
class CUpdateRequest;
class CUpdaterBase;

// Downloads one reply and feeds it to the updater. Clears `goOn` when the worker must not
// go on with its next edition, and sets `error` to the text to show (the server's own
// "<error>" text, "下载失败！" or "格式错误!"). A transport error is shown at once; when it
// broke off a reply that had begun, the worker goes on as if the reply had ended, without
// FinishReply, and the updater is marked (SetReplyBrokenOff) so that the later stages of the
// run wait for the next one.
void FetchReply(CInternetSession& session, CUpdateRequest& request, CUpdaterBase& updater,
                CSyncEvent* stopEvent, CGbkCodec* codec, std::string& error, bool& goOn);
