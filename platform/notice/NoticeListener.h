// Receives completion notices. Subscribe first, then start whatever is to send them, then wait:
// every notice that reaches the bus after Subscribe returned is kept until it is taken.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct NoticeBus;

class CNoticeListener {
public:
    CNoticeListener();
    ~CNoticeListener();
    CNoticeListener(const CNoticeListener&) = delete;
    CNoticeListener& operator=(const CNoticeListener&) = delete;

    // Connects to the bus at busAddress (empty: this process's session bus) and subscribes to
    // the notices registered as name. Returns once the bus has confirmed the subscription;
    // false when there is no bus or the subscription failed.
    bool Subscribe(const std::string& name, const std::string& busAddress = "");

    // Waits up to timeoutMs milliseconds for the next notice. True with its code; false when
    // none came in time or the connection is gone.
    bool WaitNext(int timeoutMs, std::int32_t& code);

private:
    NoticeBus* m_pBus; // the connection, its subscription and the notices not yet taken
};

} // namespace platform
