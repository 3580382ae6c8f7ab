#pragma once

#include <functional>
#include <string>

class CSyncEvent;

// The HTTP client of one update worker: one libcurl handle for the worker's whole life, used
// blocking in the worker's thread. Honours the standard proxy variables (http_proxy,
// no_proxy, ...). A signalled stop event aborts a transfer within a tenth of a second.
class CInternetSession {
public:
    enum class Result {
        Done,       // the reply was read to its end
        OpenFailed, // no reply came (no connection, no answer, bad address)
        ReadFailed, // the reply broke off after it had begun
        Refused,    // the receiver wanted no more of it
        Stopped,    // the stop event was signalled
    };

    CInternetSession();
    ~CInternetSession();
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // GETs `url` and hands the reply's body to `receiver` as it arrives; the receiver answers
    // false to end the transfer. On OpenFailed and ReadFailed, `error` holds the reason.
    Result Fetch(const std::string& url, const std::function<bool(const char*, size_t)>& receiver,
                 CSyncEvent* stopEvent, std::string& error);
    void Close();
    // The charset that the Content-Type of the reply being read declares ("" for none). Known
    // once the reply's first bytes are handed to the receiver.
    const std::string& ContentCharset() const { return m_strContentCharset; }

    // The charset parameter of a Content-Type header value ("" for none), unquoted.
    static std::string CharsetOf(const std::string& contentType);

    // The reason of a failed transfer as the user reads it, in Chinese: what failed with the
    // address tried (without its query), then on a second line what to check and the HTTP
    // library's result code. `code` is that result code, `osErrno` the system's error number
    // of the connection.
    static std::string TransportErrorText(int code, long osErrno, const std::string& url);

private:
    static size_t OnWrite(char* data, size_t size, size_t count, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);

    void* m_pMulti = nullptr;
    void* m_pEasy = nullptr;
    const std::function<bool(const char*, size_t)>* m_pReceiver = nullptr;
    std::string m_strContentCharset;
    bool m_bOpened = false;
    bool m_bRefused = false;
};
