// The headless desktop's driver: what a host or a test uses to play the user and the clock.
// Everything here runs on the one thread that also calls into the plug-in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/message_box.h"

namespace brio::headless {

// The virtual clock, in milliseconds since the desktop started.
uint64_t now();

// Moves the clock forward by `ms`, firing every timer that falls due, in order of due time (and of
// start among timers due at the same moment), each at its own moment. Callbacks may start and stop
// timers.
void advance(uint64_t ms);

// Timers still running, and the interval of one (0 when it does not run).
size_t runningTimers();
uint32_t timerInterval(uint32_t id);

// The wall clock the plug-in sees, in seconds since 1970: fixed unless set, so runs repeat.
void setEpochSeconds(uint32_t seconds);

// Message boxes: each one shown is handed to the observer (if any) and then dismissed with OK.
struct ShownMessage {
    std::string text;
    std::string title;
    platform::MessageIcon icon;
};
void onMessage(std::function<void(const ShownMessage&)> observer);

bool commonControlsReady();

// Forgets every timer and observer, and sets the clock back to 0 (between tests or plug-in loads).
void reset();

} // namespace brio::headless
