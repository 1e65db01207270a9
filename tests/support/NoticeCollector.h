// Collects Pelidor's completion notices on a bus for a test. Construct it (it subscribes at
// once) before starting the program whose notice is awaited.
#pragma once

#include "platform/notice/NoticeListener.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

class NoticeCollector {
public:
    // Subscribes to the notice "Pelidor" on the bus at busAddress.
    explicit NoticeCollector(const std::string& busAddress);

    bool Ok() const { return m_bSubscribed; }
    // The next notice within timeoutMs; false when none came.
    bool Next(int timeoutMs, std::int32_t& code);
    // Every notice that comes within windowMs (used after the sender has ended, to see that
    // it sent exactly one).
    std::vector<std::int32_t> CollectFor(int windowMs);

private:
    platform::CNoticeListener m_listener;
    bool m_bSubscribed;
};

} // namespace testsupport
