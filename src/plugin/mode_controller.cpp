#include "plugin/mode_controller.h"

#include <algorithm>

#include "boundary/action_ids.h"
#include "boundary/settings.h"
#include "cycling/list_cycler.h"
#include "cycling/steal_timer.h"
#include "description/speed_setter.h"
#include "feeds/speed_feed.h"
#include "platform/message_box.h"
#include "platform/read_whole_file.h"
#include "platform/timers.h"

namespace brio {

namespace {

// The pending cycle timer and the controller that armed it: the timer callback finds its way back
// through these.
struct CycleTimer {
    platform::TimerId id = 0;
    ModeController* owner = nullptr;
};

CycleTimer& cycleTimer() {
    static CycleTimer timer;
    return timer;
}

void cancelCycleTimer() {
    CycleTimer& t = cycleTimer();
    platform::stopTimer(t.id);
    t.id = 0;
}

void armCycleTimer(ModeController* owner, int32_t seconds) {
    CycleTimer& t = cycleTimer();
    cancelCycleTimer();
    t.owner = owner;
    // An entry's time may be longer than a timer can wait; it then shows for the longest wait, where
    // seconds * 1000 in 32 bits would wrap round to a short one.
    const uint64_t ms = std::min<uint64_t>(uint64_t(uint32_t(seconds)) * 1000u, platform::kLongestTimerMs);
    t.id = platform::startTimer(static_cast<uint32_t>(ms), &ModeController::cycleTick);
}

} // namespace

ModeController::ModeController(const HostGateway& host)
    : host_(host), setter_(std::make_unique<SpeedDescriptionSetter>(host, setting::kNetChange)) {}

ModeController::~ModeController() {
    // A timer left running would reach a controller that no longer exists.
    discardCycler();
    if (cycleTimer().owner == this) cycleTimer().owner = nullptr;
    stealer_.reset();
}

void ModeController::discardCycler() {
    if (cycleTimer().owner == this) cancelCycleTimer();
    cycler_.reset();
}

void ModeController::setMode(int32_t m) {
    mode = m;
    ++switches_->count;
}

void ModeController::stopMode(int32_t m) {
    switch (m) {
    case mode::kStealing:
        stealer_.reset();
        host_.setActionCaption(action::kSteal, action::kHostContactMenu, "Kradnij opis!");
        host_.setActionStatus(action::kSteal, action::kHostContactMenu, action::kStatusOff);
        break;
    case mode::kEmule:
        emuleFeed_.reset();
        host_.setActionStatus(action::kEmule, action::kPopup, action::kStatusOff);
        break;
    case mode::kCycling:
        discardCycler();
        host_.setActionStatus(action::kCycling, action::kPopup, action::kStatusOff);
        break;
    case mode::kAzureus:
        azureusFeed_.reset();
        host_.setActionStatus(action::kAzureus, action::kPopup, action::kStatusOff);
        break;
    default:
        break;
    }
    setMode(mode::kNone);
}

void ModeController::setCycling(bool start, const std::optional<std::string>& listText, bool restore) {
    if (!start) {
        discardCycler();
        setMode(mode::kNone);
        if (restore) setter_->restoreAll();
        return;
    }
    if (mode != mode::kNone) stopMode(mode);
    setter_->saveCurrent();
    host_.logText("txt = %i", listText ? addressOf(listText->c_str()) : 0);
    if (!listText) return;

    auto cycler = std::make_unique<ListCycler>(host_, *listText);
    // A list without entries starts nothing: no entry is invented and no timer runs.
    if (cycler->empty()) return;
    cycler_ = std::move(cycler);
    host_.logText("list = %i", addressOf(cycler_.get()));
    setMode(mode::kCycling);
    const auto [entry, end] = cycler_->nextEntry();
    (void)end; // the first step of a list with entries always goes on
    // Taken before apply: the entry belongs to the cycler, which a host call may end.
    const int32_t seconds = entry.seconds;
    host_.logText("Prepare to change status");
    try {
        setter_->apply(entry.description, entry.status);
    } catch (...) {
        // A cycle whose first step failed has no timer to go on with: it must not stay marked as running.
        discardCycler();
        setMode(mode::kNone);
        throw;
    }
    armCycleTimer(this, seconds);
}

void ModeController::setStealing(bool on, int32_t contact) {
    if (!on) {
        stealer_.reset();
        setMode(mode::kNone);
        setter_->restoreAll();
        return;
    }
    if (mode != mode::kNone) stopMode(mode);
    setter_->saveCurrent();
    auto stealer = std::make_unique<StealTimer>();
    stealer->start(host_, contact, *setter_);
    stealer_ = std::move(stealer);
    stealer_->tick(); // the first description is copied without waiting for the timer
    setMode(mode::kStealing);
}

void ModeController::cycleTick(uint32_t) {
    try {
        nextCycleStep();
    } catch (...) {
        cancelCycleTimer();
        ModeController* owner = cycleTimer().owner;
        if (!owner) return;
        owner->discardCycler();
        owner->setMode(mode::kNone);
        try {
            owner->host_.setActionStatus(action::kCycling, action::kPopup, action::kStatusOff);
        } catch (...) {
            // Then the menu item goes on showing the ended cycle; using it starts or stops cycling afresh.
        }
    }
}

void ModeController::nextCycleStep() {
    cancelCycleTimer();
    ModeController* owner = cycleTimer().owner;
    if (!owner || owner->mode != mode::kCycling || !owner->cycler_) return;
    const auto [entry, end] = owner->cycler_->nextEntry();
    const int32_t seconds = entry.seconds; // the entry goes with the cycler, which a host call may end
    switch (end) {
    case listEnd::kKeepLast:
        owner->setter_->apply(entry.description, entry.status);
        owner->discardCycler();
        owner->setMode(mode::kNone);
        owner->host_.setActionStatus(action::kCycling, action::kPopup, action::kStatusOff);
        break;
    case listEnd::kSwitchOff:
        owner->discardCycler();
        owner->setMode(mode::kNone);
        owner->setter_->restoreAll();
        owner->host_.setActionStatus(action::kCycling, action::kPopup, action::kStatusOff);
        break;
    default:
        owner->setter_->apply(entry.description, entry.status);
        armCycleTimer(owner, seconds);
        break;
    }
}

template <class Feed>
bool ModeController::switchFeed(std::unique_ptr<Feed>& feed, int32_t feedMode, const char* noPathText,
                                const char* badPathText, bool on, const std::string& path, int32_t interval) {
    if (!on) {
        // Nothing of this kind runs: whatever else runs is none of this switch's business.
        if (!feed) return true;
        feed.reset();
        setMode(mode::kNone);
        setter_->restoreAll();
        return true;
    }
    if (path.empty()) {
        platform::showMessage(noPathText, "Brio - Error", platform::MessageIcon::Warning);
        return false;
    }
    if (mode != mode::kNone) stopMode(mode);
    setter_->saveCurrent();
    // A file that cannot be read is reported in a message box, whose message loop lets the user switch
    // activities (or the host end the interface) before the reading returns. Whatever was switched
    // meanwhile stands: this start then only reports its own failure, and takes nothing over.
    const SwitchWatch watch(switches_);
    const std::string text = readWholeFile(path);
    if (!watch.undisturbed()) {
        if (text.empty() && watch.alive())
            platform::showMessage(badPathText, "Brio - Error", platform::MessageIcon::Warning);
        return false;
    }
    std::unique_ptr<Feed> created = Feed::create(path, text, *setter_, host_);
    if (!created) {
        platform::showMessage(badPathText, "Brio - Error", platform::MessageIcon::Warning);
        return false;
    }
    // Undisturbed, the stop above left no feed of this kind (it runs only in its own mode).
    feed = std::move(created);
    setMode(feedMode);
    feed->start(interval);
    return true;
}

bool ModeController::setEmuleFeed(bool on, const std::string& path, int32_t interval) {
    return switchFeed(emuleFeed_, mode::kEmule, "Brak ścieżki dostępu do pliku onlinesig.dat!",
                      "Błędna ścieżka dostępu do pliku onlinesig.dat!", on, path, interval);
}

bool ModeController::setAzureusFeed(bool on, const std::string& path, int32_t interval) {
    return switchFeed(azureusFeed_, mode::kAzureus, "Brak ścieżki dostępu do pliku!",
                      "Błędna ścieżka dostępu do pliku!", on, path, interval);
}

void ModeController::abandon() {
    discardCycler();
    emuleFeed_.reset();
    azureusFeed_.reset();
    stealer_.reset();
    setMode(mode::kNone);
    host_ = HostGateway();
    setter_->detachHost();
}

void ModeController::shutdown() {
    if (mode == mode::kNone) return;
    stopMode(mode);
    setter_->restoreAll(); // the user gets back the descriptions the activity replaced
}

} // namespace brio
