// The one object that knows which activity runs, and owns it and the description setter.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "boundary/host_gateway.h"

namespace brio {

class DescriptionSetter;
class ListCycler;
class StealTimer;
class EmuleFeed;
class AzureusFeed;

namespace mode {
constexpr int32_t kNone = 0;
constexpr int32_t kStealing = 1;
constexpr int32_t kEmule = 2;
constexpr int32_t kCycling = 3;
constexpr int32_t kAzureus = 4;
} // namespace mode

class ModeController {
public:
    // Creates the speed-substituting description setter, which loads the network choices.
    explicit ModeController(const HostGateway& host);
    // Stores the network choices. Whatever activity still runs must have been ended (`shutdown`).
    ~ModeController();
    ModeController(const ModeController&) = delete;
    ModeController& operator=(const ModeController&) = delete;

    // Stops the given running activity so that another can start; restores nothing.
    void stopMode(int32_t m);

    // Starts list cycling over a list text, or stops it. A text without entries (or none) starts nothing
    // and leaves whatever runs running.
    void setCycling(bool start, const std::optional<std::string>& listText, bool restore);
    bool cycling() const { return cycler_ != nullptr; }

    // Starts following a contact's description (its first description applied at once), or stops
    // following and puts the saved descriptions back.
    void setStealing(bool on, int32_t contact = 0);
    bool stealing() const { return stealer_ != nullptr; }
    const StealTimer* stealer() const { return stealer_.get(); }

    // Starts a transfer-speed feed over the file at `path`, reading it every `interval` seconds, or
    // switches it off (an empty path and 0) and puts the saved descriptions back. False, with the user
    // told why in a message box, when the feed could not start (no path, a file that yields nothing):
    // then whatever runs goes on, and every description stays as it was.
    bool setEmuleFeed(bool on, const std::string& path, int32_t interval);
    bool setAzureusFeed(bool on, const std::string& path, int32_t interval);
    const EmuleFeed* emuleFeed() const { return emuleFeed_.get(); }
    const AzureusFeed* azureusFeed() const { return azureusFeed_.get(); }

    // Ends the running activity for good, before the controller goes: its timer is cancelled and the
    // descriptions (and a hidden status of Brio's) it replaced are put back, as is what an earlier stop
    // could not give back, where it can go now.
    void shutdown();

    // While records are owed to networks that could not take their own at a give-back (away, or hidden by
    // the user), a check every 10 seconds gives each its own back as soon as it can take it, whatever
    // activity runs; nothing runs while nothing is owed. Called after whatever may have kept a record,
    // owed one or let one go.
    void watchKept();

    // For a host that may be gone: cancels the running activity's timer and lets go of the host, so that
    // nothing from here on, destruction included, calls it.
    void abandon();

    DescriptionSetter& setter() { return *setter_; }
    const HostGateway& host() const { return host_; }

    // Read it freely; it changes only through the controller (setMode), which counts every change.
    int32_t mode = mode::kNone;

    // The cycle timer's callback. It returns into the desktop's message loop, so nothing is thrown out
    // of it: a step that fails (running out of memory is the only way) ends the cycle where it stands.
    static void cycleTick(uint32_t timerId);
    static void keptTick(uint32_t timerId);

private:
    // Every switch between activities goes through here. A message box runs a nested message loop in
    // which the user may switch again; a switch that waited for one compares the count afterwards.
    void setMode(int32_t m);

    // The controller's life and its switches so far: a switch that ran a nested message loop keeps a
    // weak hold, which tells afterwards whether the controller still exists and whether another switch
    // happened meanwhile (then that one stands, and the waiting one gives up).
    struct Switches {
        uint64_t count = 0;
    };
    class SwitchWatch {
    public:
        explicit SwitchWatch(const std::shared_ptr<Switches>& s) : switches_(s), seen_(s->count) {}
        bool alive() const { return !switches_.expired(); }
        bool undisturbed() const {
            const std::shared_ptr<Switches> s = switches_.lock();
            return s && s->count == seen_;
        }

    private:
        std::weak_ptr<Switches> switches_;
        uint64_t seen_;
    };

    static void nextCycleStep();
    // The switch of either transfer-speed feed; the texts tell the user why it could not start.
    template <class Feed>
    bool switchFeed(std::unique_ptr<Feed>& feed, int32_t feedMode, const char* noPathText,
                    const char* badPathText, bool on, const std::string& path, int32_t interval);
    void discardCycler();
    // Gives back what the running activity (or an earlier one) replaced, where it can go now.
    void restoreAll();
    void stopKeptCheck();
    // Every start: the running activity stops (restoring nothing) and the descriptions are saved.
    void beginStart();
    // A start that failed leaves nothing of itself running or ticked, and the saved descriptions back.
    void undoStart(const SwitchWatch& watch, int32_t m) noexcept;
    void discardAll() noexcept;

    HostGateway host_;
    std::unique_ptr<DescriptionSetter> setter_;
    std::unique_ptr<ListCycler> cycler_;
    std::unique_ptr<StealTimer> stealer_;
    std::unique_ptr<EmuleFeed> emuleFeed_;
    std::unique_ptr<AzureusFeed> azureusFeed_;
    std::shared_ptr<Switches> switches_ = std::make_shared<Switches>();
};

} // namespace brio
