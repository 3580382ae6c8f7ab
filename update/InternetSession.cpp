#include "update/InternetSession.h"

#include "ground/AppConstants.h"
#include "ground/SyncEvent.h"
#include "update/InternetOnline.h"

#include <cerrno>
#include <curl/curl.h>

namespace {
// How long a worker waits for a connection, and how long a reply may stall.
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kStallSeconds = 120;
constexpr int kPollMilliseconds = 100;
} // namespace

CInternetSession::CInternetSession() {
    SetInternetOnline();
    m_pMulti = curl_multi_init();
    m_pEasy = curl_easy_init();
}

CInternetSession::~CInternetSession() {
    Close();
}

void CInternetSession::Close() {
    if (m_pEasy)
        curl_easy_cleanup(static_cast<CURL*>(m_pEasy));
    if (m_pMulti)
        curl_multi_cleanup(static_cast<CURLM*>(m_pMulti));
    m_pEasy = nullptr;
    m_pMulti = nullptr;
}

size_t CInternetSession::OnWrite(char* data, size_t size, size_t count, void* self) {
    auto* session = static_cast<CInternetSession*>(self);
    session->m_bOpened = true;
    const size_t bytes = size * count;
    if (!(*session->m_pReceiver)(data, bytes)) {
        session->m_bRefused = true;
        return bytes == 0 ? 1 : 0; // anything but `bytes` ends the transfer
    }
    return bytes;
}

std::string CInternetSession::CharsetOf(const std::string& contentType) {
    std::string lower;
    for (char c : contentType)
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    size_t pos = 0;
    while ((pos = lower.find(';', pos)) != std::string::npos) {
        ++pos;
        while (pos < lower.size() && (lower[pos] == ' ' || lower[pos] == '\t'))
            ++pos;
        if (lower.compare(pos, 7, "charset") != 0)
            continue;
        size_t p = pos + 7;
        while (p < lower.size() && (lower[p] == ' ' || lower[p] == '\t'))
            ++p;
        if (p >= lower.size() || lower[p] != '=')
            continue;
        ++p;
        while (p < lower.size() && (lower[p] == ' ' || lower[p] == '\t'))
            ++p;
        std::string value;
        if (p < lower.size() && lower[p] == '"') {
            const size_t close = contentType.find('"', p + 1);
            value = contentType.substr(p + 1, close == std::string::npos ? std::string::npos
                                                                         : close - p - 1);
        } else {
            const size_t end = contentType.find_first_of("; \t\r\n", p);
            value = contentType.substr(p, end == std::string::npos ? std::string::npos : end - p);
        }
        return value;
    }
    return "";
}

size_t CInternetSession::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* session = static_cast<CInternetSession*>(self);
    const size_t bytes = size * count;
    // Each response (a redirect's too) begins with its status line: its own fields count.
    const std::string line(data, bytes);
    if (line.rfind("HTTP/", 0) == 0)
        session->m_strContentCharset.clear();
    if (line.size() > 13 && (line[0] == 'C' || line[0] == 'c')) {
        std::string name;
        for (size_t i = 0; i < 13; ++i)
            name += (line[i] >= 'A' && line[i] <= 'Z') ? static_cast<char>(line[i] - 'A' + 'a')
                                                       : line[i];
        if (name == "content-type:")
            session->m_strContentCharset = CharsetOf(line.substr(13));
    }
    // The blank line after the header fields: the reply is open.
    if (bytes <= 2 && (bytes == 0 || data[0] == '\r' || data[0] == '\n'))
        session->m_bOpened = true;
    return bytes;
}

std::string CInternetSession::TransportErrorText(int code, long osErrno, const std::string& url) {
    // The address as tried, without its query (the request's parameters).
    const std::string address = url.substr(0, url.find('?'));
    // Where the address comes from, for the advice on a wrong one.
    const std::string setting =
        "更新服务器的地址在配置文件 tolvarin.conf 的 [Update] 组 Server 项中设置"
        "（或环境变量 TOLVARIN_UPDATE_SERVER）。";
    std::string text;
    std::string advice;
    switch (static_cast<CURLcode>(code)) {
    case CURLE_COULDNT_RESOLVE_HOST:
        text = "找不到更新服务器 " + address + "：服务器名称无法解析";
        advice = "请检查服务器名称是否写对、本机能否上网、域名解析（DNS）是否可用。" + setting;
        break;
    case CURLE_COULDNT_RESOLVE_PROXY:
        text = "找不到代理服务器，无法连接到更新服务器 " + address;
        advice = "请检查代理设置（环境变量 http_proxy、https_proxy）中的代理服务器名称。";
        break;
    case CURLE_COULDNT_CONNECT:
        text = "无法连接到更新服务器 " + address;
        switch (osErrno) {
        case ECONNREFUSED:
            text += "：连接被拒绝";
            advice = "请检查更新服务器是否在运行，地址和端口是否正确。" + setting;
            break;
        case ETIMEDOUT:
            text += "：连接超时";
            advice = "请检查网络是否连通，防火墙或代理是否允许连接该服务器。";
            break;
        case ENETUNREACH:
        case EHOSTUNREACH:
            text += "：网络不可达";
            advice = "请检查本机的网络连接，以及服务器地址是否正确。" + setting;
            break;
        default:
            text += "：无法建立连接";
            advice = "请检查更新服务器是否在运行、网络是否连通，以及地址和端口是否正确。" + setting;
            break;
        }
        break;
    case CURLE_OPERATION_TIMEDOUT:
        text = "连接更新服务器 " + address + " 超时";
        advice = "请检查网络是否连通；服务器可能正忙，请稍后再试。";
        break;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        text = "更新服务器的地址无效：" + address;
        advice = "地址应形如 http://服务器名称:端口。" + setting;
        break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
        text = "无法与更新服务器 " + address + " 建立安全连接";
        advice = "请检查本机的日期和时间是否正确，以及服务器的证书是否有效。";
        break;
    case CURLE_TOO_MANY_REDIRECTS:
        text = "更新服务器 " + address + " 重定向次数过多";
        advice = "请检查服务器地址是否正确，或告知服务器的管理员。";
        break;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        text = "与更新服务器 " + address + " 的连接中断";
        advice = "请检查网络是否稳定，稍后再试。";
        break;
    default:
        text = "无法从更新服务器 " + address + " 下载";
        advice = "请检查网络连接和服务器地址。" + setting;
        break;
    }
    // The library's number of the failure, for whoever looks further; its own words are
    // English and stay out of the user's box.
    return text + "\n" + advice + "（网络库错误代码 " + std::to_string(code) + "）";
}

CInternetSession::Result
CInternetSession::Fetch(const std::string& url,
                        const std::function<bool(const char*, size_t)>& receiver,
                        CSyncEvent* stopEvent, std::string& error) {
    error.clear();
    auto* multi = static_cast<CURLM*>(m_pMulti);
    auto* easy = static_cast<CURL*>(m_pEasy);
    if (!multi || !easy) {
        error = "无法启动网络连接（HTTP 客户端初始化失败）";
        return Result::OpenFailed;
    }
    if (stopEvent && stopEvent->IsSet())
        return Result::Stopped;
    m_pReceiver = &receiver;
    m_strContentCharset.clear();
    m_bOpened = false;
    m_bRefused = false;
    const std::string agent = std::string(kProductName) + "/" + kProductVersion;
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CInternetSession::OnWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CInternetSession::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);

    curl_multi_add_handle(multi, easy);
    bool stopped = false;
    int running = 1;
    while (running) {
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            break;
        if (stopEvent && stopEvent->IsSet()) {
            stopped = true;
            break;
        }
        if (running && curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK)
            break;
    }
    CURLcode code = CURLE_OK;
    bool finished = false;
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
            code = msg->data.result;
            finished = true;
        }
    }
    curl_multi_remove_handle(multi, easy);
    m_pReceiver = nullptr;

    if (m_bRefused)
        return Result::Refused;
    if (stopped && !finished)
        return Result::Stopped;
    if (finished && code == CURLE_OK)
        return Result::Done;
    if (!finished)
        code = CURLE_RECV_ERROR;
    long osErrno = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
    error = TransportErrorText(code, osErrno, url);
    return m_bOpened ? Result::ReadFailed : Result::OpenFailed;
}
