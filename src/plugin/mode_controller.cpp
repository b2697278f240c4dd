#include "plugin/mode_controller.h"

#include <algorithm>

#include "boundary/action_ids.h"
#include "boundary/settings.h"
#include "cycling/list_cycler.h"
#include "cycling/steal_timer.h"
#include "description/speed_setter.h"
#include "feeds/speed_feed.h"
#include "formats/list_text.h"
#include "platform/message_box.h"
#include "platform/read_whole_file.h"
#include "platform/timers.h"

namespace brio {

namespace {

void showFormatTooLong() {
    platform::showMessage("Opis z formatowania byłby za długi!", "Brio - Error",
                          platform::MessageIcon::Warning);
}

// A pending timer and the controller that armed it: the timer callback finds its way back through
// these.
struct OwnedTimer {
    platform::TimerId id = 0;
    ModeController* owner = nullptr;
};

OwnedTimer& cycleTimer() {
    static OwnedTimer timer;
    return timer;
}

void cancelCycleTimer() {
    OwnedTimer& t = cycleTimer();
    platform::stopTimer(t.id);
    t.id = 0;
}

void armCycleTimer(ModeController* owner, int32_t seconds) {
    OwnedTimer& t = cycleTimer();
    cancelCycleTimer();
    t.owner = owner;
    // An entry's time may be longer than a timer can wait; it then shows for the longest wait, where
    // seconds * 1000 in 32 bits would wrap round to a short one.
    const uint64_t ms = std::min<uint64_t>(uint64_t(uint32_t(seconds)) * 1000u, platform::kLongestTimerMs);
    t.id = platform::startTimer(static_cast<uint32_t>(ms), &ModeController::cycleTick);
}

// The check of the kept records.
constexpr uint32_t kKeptCheckMs = 10000;

OwnedTimer& keptTimer() {
    static OwnedTimer timer;
    return timer;
}

} // namespace

ModeController::ModeController(const HostGateway& host)
    : host_(host), setter_(std::make_unique<SpeedDescriptionSetter>(host, setting::kNetChange)) {
    // What an earlier run kept goes back where it can now; a check that fails is tried again later.
    try {
        restoreAll();
    } catch (...) {
        watchKept();
    }
}

ModeController::~ModeController() {
    // A timer left running would reach a controller that no longer exists.
    stopKeptCheck();
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

void ModeController::restoreAll() {
    setter_->restoreAll();
    watchKept();
}

void ModeController::stopKeptCheck() {
    OwnedTimer& t = keptTimer();
    if (t.owner != this) return;
    platform::stopTimer(t.id);
    t = OwnedTimer{};
}

void ModeController::watchKept() {
    if (!setter_->owing()) {
        stopKeptCheck();
        return;
    }
    OwnedTimer& t = keptTimer();
    if (t.owner == this && t.id != 0) return;
    t.owner = this;
    t.id = platform::startTimer(kKeptCheckMs, &ModeController::keptTick);
}

void ModeController::keptTick(uint32_t) {
    ModeController* owner = keptTimer().owner;
    if (!owner) return;
    try {
        // Only what is owed: the running activity's own records are its to write over.
        owner->setter_->restoreOwed();
        owner->watchKept();
    } catch (...) {
        // Tried again at the next tick; the timer returns into the desktop's message loop.
    }
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
        if (restore) restoreAll();
        return;
    }
    // A list without entries cannot start: whatever runs goes on, no entry is invented, no timer runs.
    if (!listText) {
        host_.logText("txt = %i", 0);
        return;
    }
    std::vector<StatusEntry> entries = buildCycleList(*listText);
    if (entries.empty()) return;
    beginStart();
    host_.logText("txt = %i", addressOf(listText->c_str()));
    cycler_ = std::make_unique<ListCycler>(host_, std::move(entries));
    host_.logText("list = %i", addressOf(cycler_.get()));
    setMode(mode::kCycling);
    const SwitchWatch watch(switches_);
    try {
        const auto [entry, end] = cycler_->nextEntry();
        (void)end; // the first step of a list with entries always goes on
        // Taken before apply: the entry belongs to the cycler, which a host call may end.
        const int32_t seconds = entry.seconds;
        host_.logText("Prepare to change status");
        setter_->apply(entry.description, entry.status);
        if (watch.undisturbed()) armCycleTimer(this, seconds);
    } catch (...) {
        undoStart(watch, mode::kCycling);
        throw;
    }
}

void ModeController::setStealing(bool on, int32_t contact) {
    if (!on) {
        stealer_.reset();
        setMode(mode::kNone);
        restoreAll();
        return;
    }
    beginStart();
    auto stealer = std::make_unique<StealTimer>();
    stealer->start(host_, contact, *setter_);
    stealer_ = std::move(stealer);
    setMode(mode::kStealing);
    // The first description is copied without waiting for the timer; a copy that fails is retried at
    // the next tick, so stealing runs whatever this one does.
    stealer_->tick();
}

void ModeController::beginStart() {
    if (mode != mode::kNone) stopMode(mode);
    const SwitchWatch watch(switches_);
    try {
        // Replacing another activity, this adds only the networks not saved yet.
        setter_->saveCurrent();
        watchKept(); // records that went owe nothing: the check runs only while something is owed
    } catch (...) {
        undoStart(watch, mode::kNone);
        throw;
    }
}

void ModeController::undoStart(const SwitchWatch& watch, int32_t m) noexcept {
    // Another switch made meanwhile (inside a host call) stands; so does a controller that went.
    if (!watch.undisturbed()) return;
    try {
        stopMode(m);
    } catch (...) {
        discardAll();
    }
    try {
        restoreAll();
    } catch (...) {
        // Then the descriptions stay as the failed start left them; the item shows nothing running.
    }
}

void ModeController::discardAll() noexcept {
    stopKeptCheck();
    discardCycler();
    stealer_.reset();
    emuleFeed_.reset();
    azureusFeed_.reset();
    setMode(mode::kNone);
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
            owner->restoreAll(); // an ended cycle gives back what it replaced
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
        owner->setter_->keepShown(); // the last entry stays as the user's own where it shows
        owner->watchKept();
        owner->host_.setActionStatus(action::kCycling, action::kPopup, action::kStatusOff);
        break;
    case listEnd::kSwitchOff:
        owner->discardCycler();
        owner->setMode(mode::kNone);
        owner->restoreAll();
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
        restoreAll();
        return true;
    }
    if (path.empty()) {
        platform::showMessage(noPathText, "Brio - Error", platform::MessageIcon::Warning);
        return false;
    }
    // The file is read before anything is stopped: a start that cannot succeed changes nothing. A file
    // that cannot be read is reported in a message box, whose message loop lets the user switch
    // activities (or the host end the interface) before the reading returns; whatever was switched
    // meanwhile stands, and this start only reports its own failure.
    const SwitchWatch reading(switches_);
    std::string text;
    uint32_t failure = 0;
    const bool read = Feed::read(path, text, &failure);
    if (text.empty()) {
        // A file too large was named in a box of its own: its path is right.
        if (reading.alive() && (read || failure != kFileTooLarge))
            platform::showMessage(badPathText, "Brio - Error", platform::MessageIcon::Warning);
        return false;
    }
    if (!reading.undisturbed()) return false;
    // A format the file's speeds would make too long cannot start either: known before anything stops.
    if (!Feed::formatFits(host_.readText(setting::kFormat), text)) {
        showFormatTooLong();
        return false;
    }
    beginStart();
    feed = Feed::create(path, text, *setter_, host_); // the text is not empty: a feed is made
    setMode(feedMode);
    const SwitchWatch watch(switches_);
    try {
        feed->start(interval);
    } catch (const DescriptionTooLong&) {
        // A format whose speeds cannot be filled in: the feed says so and nothing of it stays.
        undoStart(watch, feedMode);
        if (watch.alive()) showFormatTooLong();
        return false;
    } catch (...) {
        undoStart(watch, feedMode);
        throw;
    }
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
    discardAll();
    host_ = HostGateway();
    setter_->detachHost();
}

void ModeController::shutdown() {
    if (mode != mode::kNone) stopMode(mode);
    // The user gets back what the activity replaced; what cannot go back now stays in its setting.
    setter_->restoreAll();
    stopKeptCheck();
}

} // namespace brio
