// Linux: listens for the notice signal on a D-Bus connection with sd-bus. The match rule is
// installed synchronously, so once Subscribe returns no later notice can be missed.
#include "platform/notice/NoticeBusLinux.h"
#include "platform/notice/NoticeListener.h"

#include <cstdint>
#include <deque>
#include <string>
#include <systemd/sd-bus.h>

namespace platform {

struct NoticeBus {
    sd_bus* pBus = nullptr;
    sd_bus_slot* pMatch = nullptr;
    std::string strName;
    std::deque<std::int32_t> arrPending;
};

namespace {

using notice_bus::kInterface;
using notice_bus::kPath;
// Bounds the synchronous calls of the subscription (Hello, AddMatch).
constexpr std::uint64_t kCallLimitUsec = 10'000'000;

using notice_bus::NowUsec;

int OnSignal(sd_bus_message* message, void* userdata, sd_bus_error* /*error*/) {
    auto* bus = static_cast<NoticeBus*>(userdata);
    const char* member = sd_bus_message_get_member(message);
    if (member == nullptr || bus->strName != member)
        return 0;
    std::int32_t code = 0;
    if (sd_bus_message_read(message, "i", &code) < 0)
        return 0; // not a notice: another signature
    bus->arrPending.push_back(code);
    return 0;
}

void Release(NoticeBus* bus) {
    if (bus == nullptr)
        return;
    sd_bus_slot_unref(bus->pMatch);
    if (bus->pBus != nullptr) {
        sd_bus_close(bus->pBus);
        sd_bus_unref(bus->pBus);
    }
    delete bus;
}

} // namespace

CNoticeListener::CNoticeListener() : m_pBus(nullptr) {}

CNoticeListener::~CNoticeListener() {
    Release(m_pBus);
}

bool CNoticeListener::Subscribe(const std::string& name, const std::string& busAddress) {
    Release(m_pBus);
    m_pBus = new NoticeBus;
    m_pBus->strName = name;

    int r = 0;
    if (busAddress.empty()) {
        r = sd_bus_open_user(&m_pBus->pBus);
    } else {
        r = sd_bus_new(&m_pBus->pBus);
        if (r >= 0)
            r = sd_bus_set_address(m_pBus->pBus, busAddress.c_str());
        if (r >= 0)
            r = sd_bus_set_bus_client(m_pBus->pBus, 1);
        if (r >= 0)
            r = sd_bus_start(m_pBus->pBus);
    }
    if (r >= 0)
        r = sd_bus_set_method_call_timeout(m_pBus->pBus, kCallLimitUsec);
    if (r >= 0) {
        const std::string rule = std::string("type='signal',path='") + kPath + "',interface='" +
                                 kInterface + "',member='" + name + "'";
        r = sd_bus_add_match(m_pBus->pBus, &m_pBus->pMatch, rule.c_str(), OnSignal, m_pBus);
    }
    if (r < 0) {
        Release(m_pBus);
        m_pBus = nullptr;
        return false;
    }
    return true;
}

bool CNoticeListener::WaitNext(int timeoutMs, std::int32_t& code) {
    if (m_pBus == nullptr)
        return false;
    const std::uint64_t deadline =
        NowUsec() + static_cast<std::uint64_t>(timeoutMs < 0 ? 0 : timeoutMs) * 1000u;
    for (;;) {
        if (!m_pBus->arrPending.empty()) {
            code = m_pBus->arrPending.front();
            m_pBus->arrPending.pop_front();
            return true;
        }
        const int processed = sd_bus_process(m_pBus->pBus, nullptr);
        if (processed < 0)
            return false;
        if (processed > 0)
            continue;
        const std::uint64_t now = NowUsec();
        if (now >= deadline)
            return false;
        if (sd_bus_wait(m_pBus->pBus, deadline - now) < 0)
            return false;
    }
}

} // namespace platform
