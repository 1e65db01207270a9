// Linux only: the process-wide pool of libcurl channels. A channel is a multi handle with one
// easy handle; the multi handle's connection cache keeps the channel's keep-alive TCP
// connection. A request takes an idle channel for its server and port (or a new one) and gives
// it back when its connection may be reused, so connections outlive the connection objects.
#pragma once

#include <curl/curl.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>

struct CCurlChannel {
    explicit CCurlChannel(std::string key);
    ~CCurlChannel();
    CCurlChannel(const CCurlChannel&) = delete;
    CCurlChannel& operator=(const CCurlChannel&) = delete;

    bool IsValid() const { return m_pMulti != nullptr && m_pEasy != nullptr; }

    std::string m_strKey; // "host:port"
    CURLM* m_pMulti = nullptr;
    CURL* m_pEasy = nullptr;
    curl_slist* m_pHeaders = nullptr; // suppresses curl's own Accept header
};

class CCurlPool {
public:
    static CCurlPool& Instance();

    // An idle channel for the key, or a new one; null when libcurl cannot make one.
    std::unique_ptr<CCurlChannel> Acquire(const std::string& key);
    // Keeps a channel whose connection may be reused. The oldest idle channels are closed
    // beyond a small limit.
    void Recycle(std::unique_ptr<CCurlChannel> channel);

    ~CCurlPool();

private:
    CCurlPool();

    std::mutex m_mutex;
    std::deque<std::unique_ptr<CCurlChannel>> m_arrIdle;
};
