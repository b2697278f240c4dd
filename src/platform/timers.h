// Window-less timers on the user-interface thread. A timer fires every `ms` milliseconds until it is
// stopped; a one-shot timer is one whose callback stops it.
#pragma once

#include <cstdint>

namespace brio::platform {

using TimerId = uint32_t;
using TimerCallback = void (*)(TimerId id);

// The longest period a window-less timer takes (about 24.8 days); the desktop cuts longer ones to it.
constexpr uint32_t kLongestTimerMs = 0x7FFFFFFF;

// Returns 0 when no timer could be started.
TimerId startTimer(uint32_t ms, TimerCallback callback);
void stopTimer(TimerId id); // an id of 0, or of a stopped timer, is ignored

// Seconds since 1970-01-01 UTC: only ever used to seed the random order.
uint32_t secondsSinceEpoch();

} // namespace brio::platform
