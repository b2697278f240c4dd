// The host's side of the desktop: the clock that drives the plug-in's timers, and the message boxes
// it shows. Headless: the virtual clock of the headless desktop. Windows: the real message loop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace brio::host {

struct MessageBoxSeen {
    std::string title; // bytes as the plug-in gave them (code page 1250)
    std::string text;
    std::string icon;  // "warning", "error", "information" or "none"
};

class DesktopDriver {
public:
    // `onMessageBox` is called for every message box the plug-in shows; the driver dismisses it.
    static std::unique_ptr<DesktopDriver> create(std::function<void(const MessageBoxSeen&)> onMessageBox);
    virtual ~DesktopDriver() = default;

    // Lets `ms` milliseconds pass, running the plug-in's timers that fall due.
    virtual void advance(uint64_t ms) = 0;
};

} // namespace brio::host
