// Collects completion notices through the platform's listener.
#include "tests/support/NoticeCollector.h"

#include <chrono>

namespace testsupport {

NoticeCollector::NoticeCollector(const std::string& busAddress)
    : m_bSubscribed(m_listener.Subscribe("Pelidor", busAddress)) {}

bool NoticeCollector::Next(int timeoutMs, std::int32_t& code) {
    return m_bSubscribed && m_listener.WaitNext(timeoutMs, code);
}

std::vector<std::int32_t> NoticeCollector::CollectFor(int windowMs) {
    std::vector<std::int32_t> codes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(windowMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        std::int32_t code = 0;
        if (left <= 0 || !Next(static_cast<int>(left), code))
            return codes;
        codes.push_back(code);
    }
}

} // namespace testsupport
