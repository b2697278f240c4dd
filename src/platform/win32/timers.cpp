// Window-less timers: SetTimer without a window posts WM_TIMER to the calling thread's queue, and the
// host's message loop runs our one TIMERPROC, which finds the plug-in's callback by the timer's id.
#include <windows.h>

#include <map>

#include "platform/timers.h"

namespace brio::platform {

namespace {

class TimerTable {
public:
    TimerTable() = default;
    TimerTable(const TimerTable&) = delete;
    TimerTable& operator=(const TimerTable&) = delete;

    // A timer still running when the library is unloaded would call into freed code.
    ~TimerTable() {
        for (const auto& [id, callback] : callbacks_)
            KillTimer(nullptr, id);
    }

    void add(UINT_PTR id, TimerCallback callback) { callbacks_[id] = callback; }
    bool remove(UINT_PTR id) { return callbacks_.erase(id) != 0; }
    TimerCallback find(UINT_PTR id) const {
        auto it = callbacks_.find(id);
        return it == callbacks_.end() ? nullptr : it->second;
    }

private:
    std::map<UINT_PTR, TimerCallback> callbacks_;
};

TimerTable& timers() {
    static TimerTable table;
    return table;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    // A WM_TIMER already queued for a timer stopped since finds no callback and is dropped.
    if (TimerCallback callback = timers().find(id)) callback(static_cast<TimerId>(id));
}

} // namespace

TimerId startTimer(uint32_t ms, TimerCallback callback) {
    if (!callback) return 0;
    const UINT_PTR id = SetTimer(nullptr, 0, ms, onTimer);
    if (id == 0) return 0;
    timers().add(id, callback);
    return static_cast<TimerId>(id);
}

void stopTimer(TimerId id) {
    if (id != 0 && timers().remove(id)) KillTimer(nullptr, id);
}

uint32_t secondsSinceEpoch() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    constexpr uint64_t kTicksPerSecond = 10'000'000;
    constexpr uint64_t kUnixEpochInTicks = 116'444'736'000'000'000; // 1970-01-01 since 1601-01-01
    return static_cast<uint32_t>((ticks.QuadPart - kUnixEpochInTicks) / kTicksPerSecond);
}

} // namespace brio::platform
