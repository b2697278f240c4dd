// The headless desktop: timers on a virtual clock, message boxes that are recorded and answered.
#include <algorithm>
#include <map>
#include <utility>

#include "platform/common_controls.h"
#include "platform/headless/driver.h"
#include "platform/message_box.h"
#include "platform/timers.h"

namespace brio {

namespace {

struct Timer {
    uint32_t interval;
    uint64_t due;
    uint64_t order; // start order, to break ties between timers due together
    platform::TimerCallback callback;
};

struct Desktop {
    uint64_t clock = 0;
    uint32_t nextId = 1;
    uint64_t nextOrder = 0;
    std::map<uint32_t, Timer> timers;
    uint32_t epoch = 1767225600; // 2026-01-01 00:00:00 UTC
    std::function<void(const headless::ShownMessage&)> messageObserver;
    bool answer = true; // of the question being shown
    bool commonControls = false;
};

// Never destroyed: a timer may be stopped by a static owner that goes after this file's statics did.
Desktop& desktop() {
    static Desktop& d = *new Desktop;
    return d;
}
// Made as the desktop library loads, not at the first call that needs it, which may be the plug-in's:
// the desktop's own lasting memory is none of the plug-in's.
[[maybe_unused]] const bool kDesktopMade = (desktop(), true);

} // namespace

namespace platform {

void initCommonControls() {
    desktop().commonControls = true;
}

TimerId startTimer(uint32_t ms, TimerCallback callback) {
    Desktop& d = desktop();
    if (!callback) return 0;
    const uint32_t interval = std::clamp<uint32_t>(ms, 1, platform::kLongestTimerMs);
    const uint32_t id = d.nextId++;
    d.timers[id] = Timer{interval, d.clock + interval, d.nextOrder++, callback};
    return id;
}

void stopTimer(TimerId id) {
    desktop().timers.erase(id);
}

uint32_t secondsSinceEpoch() {
    const Desktop& d = desktop();
    return d.epoch + static_cast<uint32_t>(d.clock / 1000);
}

void showMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    Desktop& d = desktop();
    if (d.messageObserver)
        d.messageObserver(headless::ShownMessage{std::string(text), std::string(title), icon, false});
}

bool askYesNo(std::string_view text, std::string_view title, MessageIcon icon) {
    Desktop& d = desktop();
    if (!d.messageObserver) return true;
    const headless::ShownMessage shown{std::string(text), std::string(title), icon, true};
    // A question asked while another is up has an answer of its own, and the outer one gets its own back
    // however this one ends.
    struct Restore {
        bool& answer;
        const bool outer;
        ~Restore() { answer = outer; }
    } restore{d.answer, std::exchange(d.answer, true)};
    d.messageObserver(shown);
    return d.answer;
}

} // namespace platform

namespace headless {

uint64_t now() {
    return desktop().clock;
}

void advance(uint64_t ms) {
    Desktop& d = desktop();
    const uint64_t target = d.clock + ms;
    for (;;) {
        auto next = d.timers.end();
        for (auto it = d.timers.begin(); it != d.timers.end(); ++it) {
            if (it->second.due > target) continue;
            if (next == d.timers.end() ||
                std::pair(it->second.due, it->second.order) < std::pair(next->second.due, next->second.order))
                next = it;
        }
        if (next == d.timers.end()) break;
        const uint32_t id = next->first;
        Timer& t = next->second;
        // A callback may let time pass itself (a message box's loop in which the user waits): the clock
        // never goes back to a moment already passed.
        d.clock = std::max(d.clock, t.due);
        t.due = d.clock + t.interval; // periodic until stopped, as a window-less SetTimer
        t.order = d.nextOrder++;
        const platform::TimerCallback callback = t.callback; // the callback may stop its own timer
        headless::deliver([&] { callback(id); });
    }
    d.clock = std::max(d.clock, target);
}

size_t runningTimers() {
    return desktop().timers.size();
}

uint32_t timerInterval(uint32_t id) {
    const auto& timers = desktop().timers;
    auto it = timers.find(id);
    return it == timers.end() ? 0 : it->second.interval;
}

void setEpochSeconds(uint32_t seconds) {
    desktop().epoch = seconds;
}

void onMessage(std::function<void(const ShownMessage&)> observer) {
    desktop().messageObserver = std::move(observer);
}

void answerQuestion(bool yes) {
    desktop().answer = yes;
}

bool commonControlsReady() {
    return desktop().commonControls;
}

void reset() {
    Desktop& d = desktop();
    const uint32_t epoch = d.epoch;
    d = Desktop{};
    d.epoch = epoch;
    resetListViews();
    resetDialogs();
    resetFiles();
}

} // namespace headless

} // namespace brio
