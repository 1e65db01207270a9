// Linux only: the process-wide pool of libcurl channels (see CurlPoolLinux.h).
#include "platform/inet/CurlPoolLinux.h"

namespace {
constexpr std::size_t kMaxIdleChannels = 16;
}

CCurlChannel::CCurlChannel(std::string key) : m_strKey(std::move(key)) {
    m_pMulti = curl_multi_init();
    m_pEasy = curl_easy_init();
    m_pHeaders = curl_slist_append(nullptr, "Accept:");
    if (m_pHeaders == nullptr) {
        curl_easy_cleanup(m_pEasy);
        m_pEasy = nullptr;
    }
}

CCurlChannel::~CCurlChannel() {
    if (m_pEasy != nullptr)
        curl_easy_cleanup(m_pEasy);
    if (m_pMulti != nullptr)
        curl_multi_cleanup(m_pMulti); // closes the cached connections
    curl_slist_free_all(m_pHeaders);
}

CCurlPool& CCurlPool::Instance() {
    static CCurlPool pool;
    return pool;
}

CCurlPool::CCurlPool() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

CCurlPool::~CCurlPool() {
    m_arrIdle.clear();
    curl_global_cleanup();
}

std::unique_ptr<CCurlChannel> CCurlPool::Acquire(const std::string& key) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_arrIdle.rbegin(); it != m_arrIdle.rend(); ++it) {
            if ((*it)->m_strKey == key) {
                std::unique_ptr<CCurlChannel> channel = std::move(*it);
                m_arrIdle.erase(std::next(it).base());
                return channel;
            }
        }
    }
    auto channel = std::make_unique<CCurlChannel>(key);
    if (!channel->IsValid())
        return nullptr;
    return channel;
}

void CCurlPool::Recycle(std::unique_ptr<CCurlChannel> channel) {
    std::unique_ptr<CCurlChannel> evicted;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_arrIdle.push_back(std::move(channel));
        if (m_arrIdle.size() > kMaxIdleChannels) {
            evicted = std::move(m_arrIdle.front());
            m_arrIdle.pop_front();
        }
    }
    // evicted closes outside the lock
}
