// The scripted HTTP test server (see ScriptedHttpServer.h): one accepting thread and one thread
// per connection, all waiting with poll() on their socket and on a stop pipe, so that every
// wait is bounded and Stop() ends them at once.
#include "tests/support/ScriptedHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <stdexcept>

namespace testsupport {

namespace {

constexpr int kIdleTimeoutMs = 15000; // a connection without a request for this long is closed
constexpr int kMaxStallMs = 30000;    // the longest stall
constexpr int kMaxConnections = 256;  // beyond this, connections are closed at once
constexpr std::size_t kMaxRequestBytes = 64 * 1024;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

const char* ReasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

ScriptedReply ScriptedReply::Ok(const std::string& body, std::size_t pieceSize) {
    ScriptedReply reply;
    if (pieceSize == 0 || body.empty()) {
        if (!body.empty())
            reply.arrPieces.push_back(body);
    } else {
        for (std::size_t at = 0; at < body.size(); at += pieceSize)
            reply.arrPieces.push_back(body.substr(at, pieceSize));
    }
    return reply;
}

ScriptedReply ScriptedReply::WithStatus(int status, const std::string& body) {
    ScriptedReply reply = Ok(body);
    reply.nStatus = status;
    return reply;
}

std::string RecordedRequest::Header(const std::string& name) const {
    const std::string key = Lower(name);
    for (const auto& [n, v] : arrHeaders)
        if (Lower(n) == key)
            return v;
    return "";
}

bool RecordedRequest::HasHeader(const std::string& name) const {
    const std::string key = Lower(name);
    for (const auto& header : arrHeaders)
        if (Lower(header.first) == key)
            return true;
    return false;
}

std::string PatternBody(std::size_t size) {
    std::string body(size, '\0');
    std::uint32_t x = 2463534242u;
    for (std::size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        body[i] = static_cast<char>(x & 0xFF);
    }
    return body;
}

struct ScriptedHttpServer::CImpl {
    int nListen = -1;
    int arrStopPipe[2] = {-1, -1};
    std::atomic<bool> bStopping{false};
    std::thread acceptThread;

    mutable std::mutex mutex;
    mutable std::condition_variable cvRequests;
    std::deque<ScriptedReply> arrQueue;
    std::map<std::string, ScriptedReply> mapRoutes;
    std::vector<RecordedRequest> arrRequests;
    std::vector<std::thread> arrThreads;
    std::vector<int> arrSockets; // open connection sockets, for Stop
    int nConnections = 0;

    // Waits until fd is readable (events POLLIN) or writable (POLLOUT), the server stops, or
    // timeoutMs passes. 1 ready, 0 time-out, -1 stopping or error.
    int WaitFor(int fd, short events, int timeoutMs) {
        pollfd fds[2] = {{fd, events, 0}, {arrStopPipe[0], POLLIN, 0}};
        for (;;) {
            const int rc = ::poll(fds, fd >= 0 ? 2 : 1, timeoutMs);
            if (rc < 0 && errno == EINTR)
                continue;
            if (rc < 0 || bStopping.load())
                return -1;
            if (rc == 0)
                return 0;
            return (fds[0].revents & (events | POLLERR | POLLHUP)) ? 1 : -1;
        }
    }

    // Sleeps, waking early only when the server stops. False when stopping.
    bool Pause(int ms) {
        if (ms <= 0)
            return !bStopping.load();
        pollfd fd = {arrStopPipe[0], POLLIN, 0};
        ::poll(&fd, 1, ms);
        return !bStopping.load();
    }

    bool SendAll(int fd, const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                data += n;
                size -= static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (WaitFor(fd, POLLOUT, kIdleTimeoutMs) != 1)
                    return false;
                continue;
            }
            return false;
        }
        return true;
    }
    bool SendAll(int fd, const std::string& text) { return SendAll(fd, text.data(), text.size()); }

    static void Reset(int fd) {
        linger lg{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    }

    ScriptedReply Choose(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto it = arrQueue.begin(); it != arrQueue.end(); ++it) {
            if (it->strPath.empty() || it->strPath == path) {
                ScriptedReply reply = std::move(*it);
                arrQueue.erase(it);
                return reply;
            }
        }
        const auto route = mapRoutes.find(path);
        if (route != mapRoutes.end())
            return route->second;
        return ScriptedReply::WithStatus(404, "not scripted\n");
    }

    // Reads one request head; false when the connection ends first.
    bool ReadRequest(int fd, std::string& pending, RecordedRequest& request) {
        std::size_t end;
        while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
            if (pending.size() > kMaxRequestBytes)
                return false;
            if (WaitFor(fd, POLLIN, kIdleTimeoutMs) != 1)
                return false;
            char buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return false;
            pending.append(buffer, static_cast<std::size_t>(n));
        }
        const std::string head = pending.substr(0, end);
        pending.erase(0, end + 4);
        std::size_t lineEnd = head.find("\r\n");
        const std::string first = head.substr(0, lineEnd);
        const std::size_t s1 = first.find(' ');
        const std::size_t s2 = first.find(' ', s1 == std::string::npos ? 0 : s1 + 1);
        if (s1 == std::string::npos || s2 == std::string::npos)
            return false;
        request.strMethod = first.substr(0, s1);
        request.strPath = first.substr(s1 + 1, s2 - s1 - 1);
        request.strVersion = first.substr(s2 + 1);
        while (lineEnd != std::string::npos) {
            const std::size_t start = lineEnd + 2;
            lineEnd = head.find("\r\n", start);
            const std::string line = head.substr(
                start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            std::string value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ')
                value.erase(0, 1);
            request.arrHeaders.emplace_back(line.substr(0, colon), value);
        }
        return true;
    }

    // Answers one request; false when the connection is to end.
    bool Answer(int fd, const ScriptedReply& reply, bool clientWantsClose) {
        switch (reply.before) {
        case ScriptedReply::Before::Answer:
            break;
        case ScriptedReply::Before::Stall:
            Pause(kMaxStallMs);
            return false;
        case ScriptedReply::Before::Close:
            return false;
        case ScriptedReply::Before::Reset:
            Reset(fd);
            return false;
        }
        if (!Pause(reply.nHeaderDelayMs))
            return false;
        std::uint64_t total = 0;
        for (const std::string& piece : reply.arrPieces)
            total += piece.size();
        std::string head =
            "HTTP/1.1 " + std::to_string(reply.nStatus) + " " +
            (reply.strReason.empty() ? ReasonPhrase(reply.nStatus) : reply.strReason) + "\r\n";
        for (const std::string& header : reply.arrHeaders)
            head += header + "\r\n";
        if (reply.length == ScriptedReply::Length::Auto)
            head +=
                "Content-Length: " + std::to_string(reply.nDeclaredLength.value_or(total)) + "\r\n";
        else if (reply.length == ScriptedReply::Length::Chunked)
            head += "Transfer-Encoding: chunked\r\n";
        const bool bClose = reply.after != ScriptedReply::After::KeepAlive ||
                            reply.length == ScriptedReply::Length::None || clientWantsClose;
        if (bClose && reply.after != ScriptedReply::After::Stall &&
            reply.after != ScriptedReply::After::Reset)
            head += "Connection: close\r\n";
        head += "\r\n";
        if (!SendAll(fd, head))
            return false;
        char size[32];
        for (const std::string& piece : reply.arrPieces) {
            if (!Pause(reply.nPieceDelayMs))
                return false;
            if (reply.length == ScriptedReply::Length::Chunked) {
                std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
                if (!SendAll(fd, size) || !SendAll(fd, piece) || !SendAll(fd, "\r\n"))
                    return false;
            } else if (!SendAll(fd, piece)) {
                return false;
            }
        }
        if (reply.length == ScriptedReply::Length::Chunked && !reply.bOmitLastChunk &&
            !SendAll(fd, "0\r\n\r\n"))
            return false;
        switch (reply.after) {
        case ScriptedReply::After::KeepAlive:
            return !bClose;
        case ScriptedReply::After::Close:
            return false;
        case ScriptedReply::After::Reset:
            Reset(fd);
            return false;
        case ScriptedReply::After::Stall:
            Pause(kMaxStallMs);
            return false;
        }
        return false;
    }

    void Connection(int fd, int number) {
        std::string pending;
        for (;;) {
            RecordedRequest request;
            if (!ReadRequest(fd, pending, request))
                break;
            request.nConnection = number;
            const bool bClientClose = Lower(request.Header("Connection")) == "close";
            const std::string path = request.strPath;
            {
                std::lock_guard<std::mutex> lock(mutex);
                arrRequests.push_back(std::move(request));
            }
            cvRequests.notify_all();
            if (!Answer(fd, Choose(path), bClientClose))
                break;
        }
        std::lock_guard<std::mutex> lock(mutex);
        arrSockets.erase(std::remove(arrSockets.begin(), arrSockets.end(), fd), arrSockets.end());
        ::close(fd);
    }

    void Accept() {
        for (;;) {
            if (WaitFor(nListen, POLLIN, 1000) < 0)
                return;
            // The listening socket does not block: a connection that went away between the
            // poll and the accept must not stall the loop.
            const int fd = ::accept4(nListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            std::lock_guard<std::mutex> lock(mutex);
            if (bStopping.load() || nConnections >= kMaxConnections) {
                ::close(fd);
                continue;
            }
            const int number = ++nConnections;
            arrSockets.push_back(fd);
            arrThreads.emplace_back([this, fd, number] { Connection(fd, number); });
        }
    }
};

ScriptedHttpServer::ScriptedHttpServer() : m_pImpl(std::make_unique<CImpl>()) {
    CImpl& impl = *m_pImpl;
    if (::pipe2(impl.arrStopPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("scripted server: pipe failed");
    impl.nListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (impl.nListen < 0 ||
        ::bind(impl.nListen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(impl.nListen, 64) != 0 ||
        ::getsockname(impl.nListen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("scripted server: cannot listen on 127.0.0.1");
    m_nPort = ntohs(address.sin_port);
    impl.acceptThread = std::thread([&impl] { impl.Accept(); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
    Stop();
    ::close(m_pImpl->arrStopPipe[0]);
    ::close(m_pImpl->arrStopPipe[1]);
}

void ScriptedHttpServer::Stop() {
    CImpl& impl = *m_pImpl;
    if (impl.bStopping.exchange(true))
        return;
    const char byte = 1;
    (void)!::write(impl.arrStopPipe[1], &byte, 1);
    impl.acceptThread.join();
    ::close(impl.nListen);
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(impl.mutex);
        for (int fd : impl.arrSockets)
            ::shutdown(fd, SHUT_RDWR);
        threads.swap(impl.arrThreads);
    }
    for (std::thread& t : threads)
        t.join();
}

std::string ScriptedHttpServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_nPort);
}

void ScriptedHttpServer::Enqueue(ScriptedReply reply) {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    m_pImpl->arrQueue.push_back(std::move(reply));
}

void ScriptedHttpServer::Serve(const std::string& path, ScriptedReply reply) {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    m_pImpl->mapRoutes[path] = std::move(reply);
}

std::vector<RecordedRequest> ScriptedHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->arrRequests;
}

std::size_t ScriptedHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->arrRequests.size();
}

std::size_t ScriptedHttpServer::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(m_pImpl->mutex);
    return static_cast<std::size_t>(m_pImpl->nConnections);
}

bool ScriptedHttpServer::WaitForRequests(std::size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_pImpl->mutex);
    return m_pImpl->cvRequests.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                        [&] { return m_pImpl->arrRequests.size() >= count; });
}

} // namespace testsupport
