// The one object that knows which activity runs, and owns it and the description setter.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "frame/host_gateway.h"

namespace brio {

class DescriptionSetter;
class ListCycler;

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

    // Starts list cycling over a list text (none: nothing starts), or stops it.
    void setCycling(bool start, const std::optional<std::string>& listText, bool restore);
    bool cycling() const { return cycler_ != nullptr; }

    // Ends the running activity for good, before the controller goes: its timer is cancelled and the
    // descriptions it replaced are put back.
    void shutdown();

    // For a host that may be gone: cancels the running activity's timer and lets go of the host, so that
    // nothing from here on, destruction included, calls it.
    void abandon();

    DescriptionSetter& setter() { return *setter_; }
    const HostGateway& host() const { return host_; }

    int32_t mode = mode::kNone;

    // The cycle timer's callback. It returns into the desktop's message loop, so nothing is thrown out
    // of it: a step that fails (running out of memory is the only way) ends the cycle where it stands.
    static void cycleTick(uint32_t timerId);

private:
    static void nextCycleStep();
    void discardCycler();

    HostGateway host_;
    std::unique_ptr<DescriptionSetter> setter_;
    std::unique_ptr<ListCycler> cycler_;
};

} // namespace brio
