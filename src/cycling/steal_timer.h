// Description stealing: follows one contact and copies its description (and, if so set, its status)
// to the user's own every 10 seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "boundary/host_gateway.h"
#include "platform/timers.h"

namespace brio {

class DescriptionSetter;

// Columns of the host's contacts table that stealing reads.
namespace contactColumn {
constexpr int32_t kStatus = 2;       // integer: a host status number, or 0
constexpr int32_t kName = 8;         // text: the display name
constexpr int32_t kDescription = 18; // text: the status description
} // namespace contactColumn

constexpr uint32_t kStealIntervalMs = 10000;
// The contact menu item's label while stealing runs: the label and its terminating zero fit this.
constexpr size_t kStealLabelSize = 512;

// "Kradnę opis od '<name>'". A name too long is cut so that the closing quote stays and the label
// still fits kStealLabelSize with its terminating zero.
std::string stealLabel(std::string_view name);

class StealTimer {
public:
    StealTimer() = default;
    // Stops the timer, so that no tick reaches a timer that is gone.
    ~StealTimer();
    StealTimer(const StealTimer&) = delete;
    StealTimer& operator=(const StealTimer&) = delete;

    // Follows the contact through the setter: arms the periodic timer. Only one StealTimer runs at a
    // time; starting one stops the one that ran.
    void start(const HostGateway& host, int32_t contact, DescriptionSetter& setter);
    // Forgets the contact, the setter and the last seen text, and cancels the timer.
    void stop();

    // One check of the contact: the description is applied when it differs from the last one read. It
    // never throws: a check that fails is forgotten, so the next one reads and applies afresh.
    void tick();

    // The timer's callback: it returns into the desktop's message loop, so nothing is thrown out of it.
    static void stealTick(platform::TimerId timerId);

    int32_t contact() const { return contact_; }
    platform::TimerId timerId() const { return timer_; }
    const std::optional<std::string>& lastSeen() const { return lastSeen_; }

private:
    void check();

    HostGateway host_;
    int32_t contact_ = 0;
    platform::TimerId timer_ = 0;
    DescriptionSetter* setter_ = nullptr;
    std::optional<std::string> lastSeen_;
};

} // namespace brio
