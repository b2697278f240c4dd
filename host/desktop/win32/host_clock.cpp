#include "host/desktop/win32/host_clock.h"

#include <algorithm>
#include <utility>

namespace brio::host::win32 {

HostClock& hostClock() {
    static HostClock clock;
    return clock;
}

UINT_PTR HostClock::setTimer(UINT_PTR id, UINT ms, TIMERPROC proc) {
    // The system's bounds for an interval.
    const UINT interval = std::clamp<UINT>(ms, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    if (id == 0 || !timers_.contains(id)) id = nextId_++;
    timers_[id] = Timer{interval, now_ + interval, nextOrder_++, proc};
    return id;
}

bool HostClock::killTimer(UINT_PTR id) {
    return timers_.erase(id) != 0;
}

void HostClock::advance(uint64_t ms, const std::function<void()>& deliver) {
    const uint64_t target = now_ + ms;
    deliver(); // what waits already goes first, as in a real loop
    for (;;) {
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due > target) continue;
            if (next == timers_.end() ||
                std::pair(it->second.due, it->second.order) < std::pair(next->second.due, next->second.order))
                next = it;
        }
        if (next == timers_.end()) break;
        Timer& t = next->second;
        // A procedure may let time pass itself (inside a message box): the clock never goes back.
        now_ = std::max(now_, t.due);
        t.due = now_ + t.interval; // periodic until killed
        t.order = nextOrder_++;
        PostThreadMessageA(GetCurrentThreadId(), WM_TIMER, next->first, reinterpret_cast<LPARAM>(t.proc));
        deliver();
    }
    now_ = std::max(now_, target);
}

} // namespace brio::host::win32
