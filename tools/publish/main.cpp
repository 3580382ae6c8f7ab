// tolvarin-publish: serves the update pages of a law collection over HTTP.
#include "ground/AppConstants.h"
#include "tools/publish/Publisher.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <string>
#include <sys/resource.h>
#include <thread>

namespace {

void Usage(std::ostream& out) {
    out << "Usage: tolvarin-publish --db FILE|postgresql://... [--listen ADDRESS] [--port N]\n"
           "       [--charset NAME] [--max-records N] [--threads N] [--timeout SECONDS]\n"
           "       [--per-address-limit N] [--max-connections N]\n"
           "Serves the six update pages of a collection: an SQLite FILE made by tolvarin-admin,\n"
           "or a PostgreSQL database loaded by tolvarin-admin import --db or copy.\n"
           "Listens on 127.0.0.1:8642 by default and refuses a port that is in use; the charset\n"
           "of the replies is GBK. --threads (default 4) serve all connections; a connection\n"
           "that makes no progress for --timeout seconds (default 20) is closed; one client\n"
           "address may hold --per-address-limit connections at once (default 32, 0: no\n"
           "limit, e.g. behind a proxy that limits its clients); --max-connections (default\n"
           "4000) in all.\n";
}

bool ParseInt(const char* text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < 0 || value > 1000000000)
        return false;
    out = static_cast<int>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    CPublisherOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (arg == "--version") {
            std::cout << "tolvarin-publish " << kProductVersion << "\n";
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            Usage(std::cout);
            return 0;
        } else if (arg == "--db" && value) {
            options.m_strDatabase = value;
        } else if (arg == "--listen" && value) {
            options.m_strListen = value;
        } else if (arg == "--port" && value) {
            ok = ParseInt(value, options.m_nPort) && options.m_nPort <= 65535;
        } else if (arg == "--charset" && value) {
            options.m_strCharset = value;
        } else if (arg == "--max-records" && value) {
            ok = ParseInt(value, options.m_nMaxRecords);
        } else if (arg == "--threads" && value) {
            ok = ParseInt(value, options.m_nThreads) && options.m_nThreads > 0 &&
                 options.m_nThreads <= 256;
        } else if (arg == "--timeout" && value) {
            ok = ParseInt(value, options.m_nTimeoutSeconds) && options.m_nTimeoutSeconds > 0;
        } else if (arg == "--per-address-limit" && value) {
            ok = ParseInt(value, options.m_nPerAddressLimit);
        } else if (arg == "--max-connections" && value) {
            ok = ParseInt(value, options.m_nMaxConnections) && options.m_nMaxConnections > 0;
        } else {
            ok = false;
            value = nullptr;
        }
        if (!ok || !value) {
            std::cerr << "tolvarin-publish: bad argument " << arg << "\n";
            Usage(std::cerr);
            return 2;
        }
        ++i;
    }
    if (options.m_strDatabase.empty()) {
        Usage(std::cerr);
        return 2;
    }
    // Ctrl+C and SIGTERM end the server from a thread of their own.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // Every connection is a descriptor: take what the system allows.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    CPublisher publisher(options);
    std::string error;
    const int port = publisher.Bind(error);
    if (port < 0) {
        std::cerr << "tolvarin-publish: " << error << "\n";
        return 1;
    }
    std::thread waiter([&publisher, signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        publisher.Stop();
    });
    waiter.detach();
    std::cout << "tolvarin-publish: serving " << options.m_strDatabase << " on http://"
              << options.m_strListen << ":" << port << " (" << options.m_strCharset << ")"
              << std::endl;
    publisher.Serve();
    return 0;
}
