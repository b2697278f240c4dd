#include "cycling/steal_timer.h"

#include "boundary/settings.h"
#include "description/description_setter.h"
#include "formats/status.h"

namespace brio {

namespace {

constexpr std::string_view kLabelStart = "Kradnę opis od '";
constexpr std::string_view kLabelEnd = "'";

// The running StealTimer, through which the timer callback finds its way back.
StealTimer*& running() {
    static StealTimer* timer = nullptr;
    return timer;
}

} // namespace

std::string stealLabel(std::string_view name) {
    const size_t room = kStealLabelSize - 1 - kLabelStart.size() - kLabelEnd.size();
    std::string label(kLabelStart);
    label += name.substr(0, room);
    label += kLabelEnd;
    return label;
}

StealTimer::~StealTimer() {
    stop();
}

void StealTimer::start(const HostGateway& host, int32_t contact, DescriptionSetter& setter) {
    stop();
    if (running() && running() != this) running()->stop();
    host_ = host;
    contact_ = contact;
    timer_ = platform::startTimer(kStealIntervalMs, &StealTimer::stealTick);
    setter_ = &setter;
    running() = this;
}

void StealTimer::stop() {
    contact_ = 0;
    setter_ = nullptr;
    platform::stopTimer(timer_);
    timer_ = 0;
    lastSeen_.reset();
    if (running() == this) running() = nullptr;
}

void StealTimer::stealTick(platform::TimerId timerId) {
    StealTimer* timer = running();
    // A tick of a timer stopped since (its id may belong to another timer by now) does nothing.
    if (!timer || timer->timer_ != timerId) return;
    timer->tick();
}

void StealTimer::tick() {
    try {
        check();
    } catch (...) {
        // Whatever was read is forgotten, so the next check applies the description once more.
        lastSeen_.reset();
    }
}

void StealTimer::check() {
    if (contact_ == 0 || !setter_) return;
    // Compared while the host's copy is held, and copied only when it changed: a description that stays
    // the same costs no memory of ours. The host's copy goes back at once, before anything else is asked.
    {
        const HostText held = host_.holdContactText(contact_, contactColumn::kDescription);
        const std::string_view text = held.view();
        if (lastSeen_ && *lastSeen_ == text) return;
        if (lastSeen_)
            lastSeen_->assign(text); // the memory of the text before is reused
        else
            lastSeen_.emplace(text);
    }
    int32_t status = kKeepStatus;
    if (host_.readInt(setting::kCntIn) != 0) {
        status = host_.readContactInt(contact_, contactColumn::kStatus);
        if (status == 0) status = kHiddenStatus;
    }
    setter_->apply(*lastSeen_, status);
}

} // namespace brio
