// Window-less timers: SetTimer without a window posts WM_TIMER to the calling thread's queue, and the
// host's message loop runs our one TIMERPROC, which finds the plug-in's callback by the timer's id.
#include <windows.h>

#include "platform/timers.h"

namespace brio::platform {

namespace {

// The running timers and their callbacks. Plain storage with nothing to destroy: when the library is
// unloaded its statics go in an order of their own, and the plug-in's state may still stop its timer
// after everything else here is gone.
struct TimerSlot {
    UINT_PTR id;
    TimerCallback callback;
};
constexpr size_t kMaxTimers = 16; // one activity runs at a time, each with one timer
constinit TimerSlot slots[kMaxTimers] = {};

TimerSlot* slotOf(UINT_PTR id) {
    for (TimerSlot& slot : slots)
        if (slot.id == id) return &slot;
    return nullptr;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    // A WM_TIMER already queued for a timer stopped since finds no callback and is dropped.
    const TimerSlot* slot = id ? slotOf(id) : nullptr;
    if (!slot) return;
    // The callbacks handle their own failures; this is the last guard, since an exception cannot pass
    // through the host's message loop without ending its process.
    try {
        slot->callback(static_cast<TimerId>(id));
    } catch (...) {
    }
}

} // namespace

TimerId startTimer(uint32_t ms, TimerCallback callback) {
    TimerSlot* slot = slotOf(0);
    if (!callback || !slot) return 0;
    const UINT_PTR id = SetTimer(nullptr, 0, ms, onTimer);
    if (id == 0) return 0;
    *slot = TimerSlot{id, callback};
    return static_cast<TimerId>(id);
}

void stopTimer(TimerId id) {
    TimerSlot* slot = id ? slotOf(id) : nullptr;
    if (!slot) return;
    KillTimer(nullptr, id);
    *slot = TimerSlot{};
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
