// The host's clock for the plug-in's window-less thread timers. brio-host hands the plug-in its own
// SetTimer and KillTimer (host/messenger/win32/object_ledger.cpp), which keep the timers here; letting
// time pass moves the clock through the due times in order and delivers each due timer as the system
// does, as a WM_TIMER in the thread's queue that DispatchMessage hands to the timer's procedure (in
// whichever message loop runs then: the host's, a message box's, a dialog's). So a week passes in the
// time its work takes, as on the headless desktop's virtual clock, and in the same order.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>

namespace brio::host::win32 {

class HostClock {
public:
    // Milliseconds since brio-host started, on this clock.
    uint64_t now() const { return now_; }
    // Whether a plug-in's timers are kept here (then letting time pass costs no real time).
    bool inUse() const { return inUse_; }
    void use() { inUse_ = true; }

    // As SetTimer(nullptr, id, ms, proc): a new timer (id 0, or one not running) or a running one
    // restarted. Answers the timer's id.
    UINT_PTR setTimer(UINT_PTR id, UINT ms, TIMERPROC proc);
    // As KillTimer(nullptr, id): false for a timer not running.
    bool killTimer(UINT_PTR id);
    size_t running() const { return timers_.size(); }
    // Forgets every timer (their procedures went with a library).
    void clear() { timers_.clear(); }

    // Lets `ms` pass: each timer that falls due is posted to the thread, and `deliver` runs the queue.
    void advance(uint64_t ms, const std::function<void()>& deliver);

private:
    struct Timer {
        UINT interval;
        uint64_t due;
        uint64_t order; // start order, which breaks ties between timers due together
        TIMERPROC proc;
    };
    uint64_t now_ = 0;
    uint64_t nextOrder_ = 0;
    // Above the ids the system gives window-less timers (up to 0xFFFF), so the host's own real thread
    // timers never share one.
    UINT_PTR nextId_ = 0x00B10001;
    bool inUse_ = false;
    std::map<UINT_PTR, Timer> timers_;
};

HostClock& hostClock();

} // namespace brio::host::win32
