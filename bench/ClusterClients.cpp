// Many update clients at once in one process: each client asks the six update pages in the
// order a program's update run asks them (categories, laws, links; each in the Chinese and
// then the English edition) and goes on from the stamps and ids the replies give, as the
// program does from what it stored. All transfers run on one libcurl multi handle, so a
// thousand clients cost a thousand connections and their buffers, not a thousand processes.
//
//   cluster-clients URL N [--from FILE] [--save FILE] [--deadline SECONDS]
//
// URL is the server base (http://127.0.0.1:8080). Without --from every client starts empty
// (a full update); --from FILE starts every client from the stamps and ids in FILE, which
// --save FILE writes after the run from the first client that completed. A client counts as
// completed when each of its six replies arrived whole: HTTP 200, the transfer ended
// normally, a header, exactly the records the header counts and nothing after the last
// one. Prints one line:
//   completed=C errors=E median=S p99=S wall=S bytes=B records=R
// (R: the records the first completed client received, all six pages together)
// and, for each client that failed, its reason on standard error (the first ten).
#include "update/UpdateRequest.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

enum class Kind { Tree, Law, Link };

struct Page {
    const char* path;
    Kind kind;
    int edition;
};

// The order of an update run: each stage waits for the one before, editions in turn.
const Page kPages[] = {
    {"/demolaws/lawtrees.asp", Kind::Tree, 0}, {"/demolaws/en_lawtrees.asp", Kind::Tree, 1},
    {"/demolaws/law.asp", Kind::Law, 0},       {"/demolaws/en_law.asp", Kind::Law, 1},
    {"/demolaws/lawas.asp", Kind::Link, 0},    {"/demolaws/en_lawas.asp", Kind::Link, 1},
};

// Where a client goes on from, per page: the stamp and id of what it stored last.
struct State {
    std::string stamp[6];
    std::string id[6];
};

// Reads one reply as it arrives, keeping only what a client goes on from: the header,
// the record count and the stamp and id of the last record. Long lines (law texts) are
// not kept, only recognised as no element line.
class ReplyCheck {
public:
    explicit ReplyCheck(Kind kind) : m_kind(kind) {}

    void Feed(const char* data, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            const char c = data[i];
            if (c == '\n') {
                Line();
                m_line.clear();
                m_long = false;
            } else if (c != '\r') {
                if (m_line.size() < kKept)
                    m_line += c;
                else
                    m_long = true;
            }
        }
    }

    // Whether the reply was whole; `why` says what was wrong otherwise.
    bool End(std::string& why) {
        if (!m_line.empty() || m_long) {
            why = "the reply ends inside a line";
            return false;
        }
        if (!m_error.empty()) {
            why = "error reply: " + m_error;
            return false;
        }
        if (m_state != State::Records) {
            why = "no complete header";
            return false;
        }
        if (m_records != m_count || m_inRecord) {
            why = "header counts " + std::to_string(m_count) + " records, the reply has " +
                  std::to_string(m_records);
            return false;
        }
        return true;
    }

    // What the client stores: the header stamp for categories, else the last record's.
    long Records() const { return m_records; }

    bool Newest(std::string& stamp, std::string& id) const {
        if (m_kind == Kind::Tree && m_records > 0) {
            stamp = m_headerStamp;
            id = m_lastId;
            return true;
        }
        if (m_records == 0)
            return false;
        stamp = m_lastStamp;
        if (m_kind == Kind::Law)
            id = m_lastId;
        return true;
    }

private:
    enum class State { First, Count, Stamp, HeaderEnd, Records, Error, Bad };
    static constexpr size_t kKept = 64;

    void Line() {
        const std::string& line = m_line;
        switch (m_state) {
        case State::First:
            m_state = line == "<header>"  ? State::Count
                      : line == "<error>" ? State::Error
                                          : State::Bad;
            if (m_state == State::Bad)
                m_error = "no header";
            return;
        case State::Count:
            m_count = std::atol(line.c_str());
            m_state = m_kind == Kind::Tree ? State::Stamp : State::HeaderEnd;
            return;
        case State::Stamp:
            m_headerStamp = line;
            m_state = State::HeaderEnd;
            return;
        case State::HeaderEnd:
            m_state = line == "</header>" ? State::Records : State::Bad;
            if (m_state == State::Bad)
                m_error = "bad header";
            return;
        case State::Error:
            m_error = line.empty() ? "(empty)" : line;
            m_state = State::Bad;
            return;
        case State::Bad:
            return;
        case State::Records:
            break;
        }
        // Inside a record every line ending in ">" is an element line (the texts carry ">"
        // as an entity); a value line belongs to the element opened last.
        const bool element = !m_long && !line.empty() && line.front() == '<' && line.back() == '>';
        if (!m_inRecord) {
            if (line == "<tree>") {
                m_inRecord = true;
                m_tag.clear();
                m_id.clear();
                m_stamp.clear();
            } else {
                m_state = State::Bad;
                m_error = "text outside a record";
            }
            return;
        }
        if (element) {
            if (line == "</tree>") {
                m_inRecord = false;
                ++m_records;
                m_lastId = m_id;
                m_lastStamp = m_stamp;
            } else if (line[1] == '/') {
                m_tag.clear();
            } else {
                m_tag = line.substr(1, line.size() - 2);
            }
            return;
        }
        if (m_tag == "updatetime")
            m_stamp = line;
        else if (m_tag == (m_kind == Kind::Law ? "lawid" : "id"))
            m_id = line;
    }

    Kind m_kind;
    State m_state = State::First;
    std::string m_line;
    bool m_long = false;
    long m_count = 0;
    long m_records = 0;
    bool m_inRecord = false;
    std::string m_tag, m_id, m_stamp, m_lastId, m_lastStamp, m_headerStamp, m_error;
};

struct Client {
    State state;
    int page = 0;
    CURL* easy = nullptr;
    std::unique_ptr<ReplyCheck> check;
    Clock::time_point start;
    long records = 0;
    double seconds = 0;
    bool done = false;
    bool failed = false;
    std::string why;
};

size_t g_nBytes = 0;

size_t OnData(char* data, size_t size, size_t count, void* user) {
    auto* client = static_cast<Client*>(user);
    client->check->Feed(data, size * count);
    g_nBytes += size * count;
    return size * count;
}

std::string Url(const std::string& base, const Client& client) {
    const Page& page = kPages[client.page];
    std::string url = base + page.path +
                      "?updatetime=" + CUpdateRequest::EscapeValue(client.state.stamp[client.page]);
    if (page.kind == Kind::Tree)
        url += "&id=" + CUpdateRequest::EscapeValue(client.state.id[client.page]);
    else if (page.kind == Kind::Law)
        url += "&lawid=" + CUpdateRequest::EscapeValue(client.state.id[client.page]);
    return url;
}

void Ask(CURLM* multi, const std::string& base, Client& client) {
    client.check = std::make_unique<ReplyCheck>(kPages[client.page].kind);
    curl_easy_setopt(client.easy, CURLOPT_URL, Url(base, client).c_str());
    curl_multi_add_handle(multi, client.easy);
}

bool ReadState(const std::string& file, State& state) {
    std::ifstream in(file);
    for (int i = 0; i < 6; ++i) {
        if (!std::getline(in, state.stamp[i]) || !std::getline(in, state.id[i]))
            return false;
    }
    return true;
}

void WriteState(const std::string& file, const State& state) {
    std::ofstream out(file);
    for (int i = 0; i < 6; ++i)
        out << state.stamp[i] << '\n' << state.id[i] << '\n';
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: cluster-clients URL N [--from FILE] [--save FILE] "
                     "[--deadline SECONDS]\n";
        return 2;
    }
    const std::string base = argv[1];
    const int n = std::atoi(argv[2]);
    std::string from, save;
    double deadline = 3600;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--from")
            from = argv[i + 1];
        else if (option == "--save")
            save = argv[i + 1];
        else if (option == "--deadline")
            deadline = std::atof(argv[i + 1]);
    }
    // A connection per client: as many descriptors as the hard limit allows.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    if (n <= 0) {
        std::cerr << "cluster-clients: no clients\n";
        return 2;
    }
    State initial;
    if (!from.empty() && !ReadState(from, initial)) {
        std::cerr << "cluster-clients: cannot read " << from << "\n";
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURLM* multi = curl_multi_init();
    curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, static_cast<long>(n) + 16);
    std::vector<Client> clients(static_cast<size_t>(n));
    const auto wallStart = Clock::now();
    for (Client& client : clients) {
        client.state = initial;
        client.easy = curl_easy_init();
        curl_easy_setopt(client.easy, CURLOPT_WRITEFUNCTION, OnData);
        curl_easy_setopt(client.easy, CURLOPT_WRITEDATA, &client);
        curl_easy_setopt(client.easy, CURLOPT_PRIVATE, &client);
        curl_easy_setopt(client.easy, CURLOPT_CONNECTTIMEOUT, 60L);
        curl_easy_setopt(client.easy, CURLOPT_NOSIGNAL, 1L);
        client.start = Clock::now();
        Ask(multi, base, client);
    }
    int running = n;
    const auto limit = wallStart + std::chrono::duration<double>(deadline);
    while (running > 0) {
        int still = 0;
        curl_multi_perform(multi, &still);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            Client* client = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &client);
            long status = 0;
            curl_easy_getinfo(message->easy_handle, CURLINFO_RESPONSE_CODE, &status);
            const CURLcode result = message->data.result;
            curl_multi_remove_handle(multi, message->easy_handle);
            std::string why;
            if (result != CURLE_OK)
                why = curl_easy_strerror(result);
            else if (status != 200)
                why = "HTTP " + std::to_string(status);
            else if (client->check->End(why)) {
                client->records += client->check->Records();
                std::string stamp, id;
                if (client->check->Newest(stamp, id)) {
                    client->state.stamp[client->page] = stamp;
                    client->state.id[client->page] = id;
                }
            }
            if (!why.empty()) {
                client->failed = true;
                client->why = std::string(kPages[client->page].path) + ": " + why;
            } else if (++client->page < 6) {
                Ask(multi, base, *client);
                continue;
            }
            client->done = true;
            client->seconds = std::chrono::duration<double>(Clock::now() - client->start).count();
            --running;
        }
        if (running > 0 && Clock::now() >= limit)
            break;
        curl_multi_poll(multi, nullptr, 0, 200, nullptr);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();

    std::vector<double> times;
    int errors = 0, reported = 0;
    const Client* first = nullptr;
    for (Client& client : clients) {
        if (!client.done) {
            client.failed = true;
            client.why = std::string(kPages[client.page].path) + ": unfinished at the deadline";
        }
        if (client.failed) {
            ++errors;
            if (reported++ < 10)
                std::cerr << "client: " << client.why << "\n";
        } else {
            times.push_back(client.seconds);
            if (!first)
                first = &client;
        }
        curl_multi_remove_handle(multi, client.easy);
        curl_easy_cleanup(client.easy);
    }
    curl_multi_cleanup(multi);
    curl_global_cleanup();
    if (!save.empty() && first)
        WriteState(save, first->state);
    std::sort(times.begin(), times.end());
    auto at = [&](double share) {
        if (times.empty())
            return 0.0;
        size_t index = static_cast<size_t>(share * static_cast<double>(times.size()) + 0.999999);
        index = std::clamp<size_t>(index, 1, times.size());
        return times[index - 1];
    };
    std::printf("completed=%zu errors=%d median=%.2f p99=%.2f wall=%.2f bytes=%zu records=%ld\n",
                times.size(), errors, at(0.5), at(0.99), wall, g_nBytes,
                first ? first->records : 0L);
    return errors == 0 ? 0 : 1;
}
