// Linux rendering of the HTTP request over a libcurl multi handle, driven pull-style: a read
// hands out bytes from the request's buffer and only calls into libcurl when the buffer is
// empty; libcurl's write callback fills the buffer and pauses the transfer while it is full.
// Waits use curl_multi_poll, each bounded by the session's time-outs.
#include "platform/inet/HttpRequest.h"

#include "platform/inet/HttpRequestStateLinux.h"
#include "platform/inet/InternetException.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;           // the request's body buffer
constexpr std::size_t kResumeFree = CURL_MAX_WRITE_SIZE; // room that lets a paused transfer go on
constexpr std::uint64_t kDrainLimit = 64 * 1024; // remainder received into the void at close
constexpr std::uint32_t kConnectSlackMs = 1000;  // beyond libcurl's own connect time-out

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i)
        if (StartsWithNoCase(text.substr(i), word))
            return true;
    return false;
}

} // namespace

// ---- the transfer state -------------------------------------------------------------------

CHttpRequest::CState::~CState() {
    Finish();
}

void CHttpRequest::CState::Configure() {
    CURL* easy = m_pChannel->m_pEasy;
    curl_easy_reset(easy); // keeps the channel's connections, drops the last request's options
    curl_easy_setopt(easy, CURLOPT_URL, m_strUrl.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    if (!m_strAgent.empty())
        curl_easy_setopt(easy, CURLOPT_USERAGENT, m_strAgent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_pChannel->m_pHeaders);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(std::max<std::uint32_t>(m_limits.nConnectTimeout, 1)));
    if (m_bHasUser) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, m_strUser.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, m_strPassword.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
    }
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CState::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CState::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &CState::OnConnected);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
}

void CHttpRequest::CState::Start() {
    m_bConnected = false;
    m_bHeadersDone = false;
    m_bDone = false;
    m_bPaused = false;
    m_result = CURLE_OK;
    m_nStatus = 0;
    m_bHasContentLength = m_bContentLength32 = m_bChunked = false;
    m_nHead = m_nSize = 0;
    m_nBodyReceived = 0;
    if (m_arrRing.size() != kBufferSize)
        m_arrRing.assign(kBufferSize, 0);
    m_lastProgress = Clock::now();
    if (curl_multi_add_handle(m_pChannel->m_pMulti, m_pChannel->m_pEasy) != CURLM_OK) {
        m_bDone = true;
        m_result = CURLE_FAILED_INIT;
        return;
    }
    m_bAdded = true;
}

void CHttpRequest::CState::Detach() {
    if (m_bAdded) {
        curl_multi_remove_handle(m_pChannel->m_pMulti, m_pChannel->m_pEasy);
        m_bAdded = false;
    }
}

void CHttpRequest::CState::Step(std::uint32_t limitMs) {
    const std::uint64_t nBefore = m_nBodyReceived + m_nDrained;
    const bool bConnectedBefore = m_bConnected, bHeadersBefore = m_bHeadersDone;
    int running = 0;
    CURLMcode mc = curl_multi_perform(m_pChannel->m_pMulti, &running);
    if (mc == CURLM_OK) {
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(m_pChannel->m_pMulti, &left)) {
            if (msg->msg == CURLMSG_DONE) {
                m_bDone = true;
                m_result = msg->data.result;
            }
        }
    } else {
        m_bDone = true;
        m_result = CURLE_RECV_ERROR;
        m_bBroken = true;
    }
    if (m_bDone) {
        Detach();
        return;
    }
    if (m_nBodyReceived + m_nDrained != nBefore || m_bConnected != bConnectedBefore ||
        m_bHeadersDone != bHeadersBefore || m_bPaused)
        return; // something happened: let the caller look

    // Before the connection is up libcurl's connect time-out rules; ours is only a backstop.
    const std::uint32_t limit = m_bConnected ? limitMs : m_limits.nConnectTimeout + kConnectSlackMs;
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_lastProgress)
            .count();
    if (waited >= static_cast<long long>(limit)) {
        m_bDone = true;
        m_result = CURLE_OPERATION_TIMEDOUT;
        m_bBroken = true;
        Detach(); // removing an unfinished transfer closes its connection
        return;
    }
    const int wait = static_cast<int>(static_cast<long long>(limit) - waited);
    curl_multi_poll(m_pChannel->m_pMulti, nullptr, 0, wait, nullptr);
}

void CHttpRequest::CState::Resume() {
    m_bPaused = false;
    m_lastProgress = Clock::now();
    // May call the write callback at once with the data it held back (and pause again).
    const CURLcode rc = curl_easy_pause(m_pChannel->m_pEasy, CURLPAUSE_CONT);
    if (rc != CURLE_OK && !m_bDone) {
        m_bDone = true;
        m_result = rc;
        m_bBroken = true;
        Detach();
    }
}

std::size_t CHttpRequest::CState::TakeBytes(char* out, std::size_t count) {
    const std::size_t n = std::min(count, m_nSize);
    const std::size_t first = std::min(n, m_arrRing.size() - m_nHead);
    std::memcpy(out, m_arrRing.data() + m_nHead, first);
    if (n > first)
        std::memcpy(out + first, m_arrRing.data(), n - first);
    m_nHead = (m_nHead + n) % m_arrRing.size();
    m_nSize -= n;
    if (m_nSize == 0)
        m_nHead = 0;
    return n;
}

std::size_t CHttpRequest::CState::PutBytes(const char* data, std::size_t count) {
    const std::size_t cap = m_arrRing.size();
    const std::size_t tail = (m_nHead + m_nSize) % cap;
    const std::size_t first = std::min(count, cap - tail);
    std::memcpy(m_arrRing.data() + tail, data, first);
    if (count > first)
        std::memcpy(m_arrRing.data(), data + first, count - first);
    m_nSize += count;
    return count;
}

std::size_t CHttpRequest::CState::OnHeader(char* data, std::size_t size, std::size_t count,
                                           void* self) {
    auto* s = static_cast<CState*>(self);
    const std::size_t n = size * count;
    s->m_lastProgress = Clock::now();
    if (s->m_bHeadersDone)
        return n; // trailers of a chunked body
    const std::string_view line(data, n);
    if (StartsWithNoCase(line, "http/")) {
        // A new response (after a 1xx interim one, the final one): forget the old headers.
        s->m_nStatus = 0;
        s->m_bHasContentLength = s->m_bContentLength32 = s->m_bChunked = false;
        const std::size_t space = line.find(' ');
        if (space != std::string_view::npos) {
            std::uint32_t status = 0;
            std::size_t i = space + 1;
            for (; i < line.size() && line[i] >= '0' && line[i] <= '9' && i < space + 4; ++i)
                status = status * 10 + static_cast<std::uint32_t>(line[i] - '0');
            s->m_nStatus = status;
        }
    } else if (Trim(line).empty()) {
        if (s->m_nStatus >= 200)
            s->m_bHeadersDone = true;
    } else if (StartsWithNoCase(line, "content-length:")) {
        const std::string_view value = Trim(line.substr(15));
        s->m_bHasContentLength = true;
        std::uint64_t number = 0;
        bool ok = !value.empty() && value.size() <= 10;
        for (char c : value) {
            if (c < '0' || c > '9') {
                ok = false;
                break;
            }
            number = number * 10 + static_cast<std::uint64_t>(c - '0');
        }
        s->m_bContentLength32 = ok && number <= 0xFFFFFFFFull;
        s->m_nContentLength32 = s->m_bContentLength32 ? static_cast<std::uint32_t>(number) : 0;
    } else if (StartsWithNoCase(line, "transfer-encoding:")) {
        s->m_bChunked = ContainsNoCase(line.substr(18), "chunked");
    }
    return n;
}

std::size_t CHttpRequest::CState::OnBody(char* data, std::size_t size, std::size_t count,
                                         void* self) {
    auto* s = static_cast<CState*>(self);
    const std::size_t n = size * count;
    s->m_lastProgress = Clock::now();
    if (s->m_bDraining) {
        s->m_nDrained += n;
        return s->m_nDrained > kDrainLimit ? 0 : n; // too much: give the connection up
    }
    if (n > s->m_arrRing.size() - s->m_nSize) {
        if (s->m_nSize != 0) {
            s->m_bPaused = true;
            return CURL_WRITEFUNC_PAUSE; // libcurl keeps the bytes and offers them again
        }
        s->m_arrRing.assign(n, 0); // a piece larger than the whole buffer: make room once
        s->m_nHead = 0;
    }
    s->PutBytes(data, n);
    s->m_nBodyReceived += n;
    return n;
}

int CHttpRequest::CState::OnConnected(void* self, char*, char*, int, int) {
    auto* s = static_cast<CState*>(self);
    s->m_bConnected = true;
    s->m_lastProgress = Clock::now();
    return CURL_PREREQFUNC_OK;
}

void CHttpRequest::CState::Finish() {
    if (m_bClosed)
        return;
    m_bClosed = true;
    if (!m_pChannel)
        return;
    if (m_bAdded && !m_bDone) {
        bool bSmallRemainder = false;
        if (m_bHeadersDone) {
            curl_off_t length = -1;
            curl_easy_getinfo(m_pChannel->m_pEasy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            if (length >= 0)
                bSmallRemainder =
                    static_cast<std::uint64_t>(length) <= m_nBodyReceived + kDrainLimit;
            else
                bSmallRemainder = m_bChunked; // a body that ends at close never frees its link
        }
        if (bSmallRemainder) {
            m_bDraining = true;
            m_nDrained = 0;
            m_nHead = m_nSize = 0;
            m_lastProgress = Clock::now();
            if (m_bPaused)
                Resume();
            while (!m_bDone)
                Step(m_limits.nDataReceiveTimeout);
        }
        if (!m_bDone)
            m_bBroken = true;
    }
    Detach();
    const bool bReusable = !m_bSent || (m_bDone && m_result == CURLE_OK && !m_bBroken);
    if (bReusable)
        CCurlPool::Instance().Recycle(std::move(m_pChannel));
    else
        m_pChannel.reset(); // closes the channel's connection
}

// ---- the request ---------------------------------------------------------------------------

CHttpRequest::CHttpRequest(std::unique_ptr<CState> state) : m_pState(std::move(state)) {}

CHttpRequest::~CHttpRequest() {
    Close();
}

bool CHttpRequest::SendRequest() {
    CState& s = *m_pState;
    if (s.m_bSent || s.m_bClosed || !s.m_pChannel)
        return false;
    s.m_bSent = true;
    s.Configure();
    const std::uint32_t headerLimit = std::max(s.m_limits.nSendTimeout, s.m_limits.nReceiveTimeout);
    std::uint32_t nRetries = 0;
    for (;;) {
        s.Start();
        while (!s.m_bHeadersDone && !s.m_bDone)
            s.Step(headerLimit);
        if (s.m_bHeadersDone)
            return true;
        const bool bConnectFailed = s.m_result == CURLE_COULDNT_CONNECT ||
                                    (s.m_result == CURLE_OPERATION_TIMEDOUT && !s.m_bConnected);
        if (bConnectFailed && nRetries < s.m_limits.nConnectRetries) {
            ++nRetries; // a failed connection attempt is repeated
            s.Detach();
            continue;
        }
        s.m_bBroken = true;
        const CURLcode rc = s.m_result == CURLE_OK ? CURLE_GOT_NOTHING : s.m_result;
        throw CInternetException(static_cast<std::uint32_t>(rc), curl_easy_strerror(rc));
    }
}

bool CHttpRequest::QueryStatusCode(std::uint32_t& status) const {
    if (!m_pState->m_bHeadersDone)
        return false;
    status = m_pState->m_nStatus;
    return true;
}

bool CHttpRequest::QueryContentLength(std::uint32_t& length) const {
    if (!m_pState->m_bHeadersDone || !m_pState->m_bContentLength32)
        return false;
    length = m_pState->m_nContentLength32;
    return true;
}

std::uint64_t CHttpRequest::GetLength() const {
    const CState& s = *m_pState;
    if (!s.m_bHeadersDone || !s.m_pChannel)
        return 0;
    curl_off_t length = -1;
    if (curl_easy_getinfo(s.m_pChannel->m_pEasy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) !=
            CURLE_OK ||
        length < 0)
        return 0;
    return static_cast<std::uint64_t>(length);
}

std::uint32_t CHttpRequest::Read(void* buffer, std::uint32_t count) {
    CState& s = *m_pState;
    if (!s.m_bHeadersDone || s.m_bClosed || count == 0)
        return 0;
    bool bWaiting = false;
    for (;;) {
        if (s.m_nSize > 0) {
            const std::size_t n = s.TakeBytes(static_cast<char*>(buffer), count);
            if (s.m_bPaused && s.m_arrRing.size() - s.m_nSize >= kResumeFree)
                s.Resume();
            return static_cast<std::uint32_t>(n);
        }
        if (s.m_bDone) {
            if (s.m_result != CURLE_OK)
                throw CInternetException(static_cast<std::uint32_t>(s.m_result),
                                         curl_easy_strerror(s.m_result));
            return 0;
        }
        if (s.m_bPaused) {
            s.Resume();
            continue;
        }
        if (!bWaiting) {
            s.m_lastProgress = CState::Clock::now(); // the wait for the next bytes starts now
            bWaiting = true;
        }
        s.Step(s.m_limits.nDataReceiveTimeout);
    }
}

void CHttpRequest::Close() {
    if (m_pState)
        m_pState->Finish();
}
