// The host's side of the desktop: the clock that drives the plug-in's timers, the message boxes it
// shows, and the windows of the configuration pages. Headless: the virtual clock of the headless
// desktop. Windows: the real message loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace brio::host {

struct MessageBoxSeen {
    std::string title; // bytes as the plug-in gave them (code page 1250)
    std::string text;
    std::string icon; // "warning", "error", "information" or "none"
};

class DesktopDriver {
public:
    // `onMessageBox` is called for every message box the plug-in shows; the driver dismisses it.
    static std::unique_ptr<DesktopDriver> create(std::function<void(const MessageBoxSeen&)> onMessageBox);
    virtual ~DesktopDriver() = default;

    // Lets `ms` milliseconds pass, running the plug-in's timers that fall due.
    virtual void advance(uint64_t ms) = 0;

    // The window of an open configuration page: the parent of the windows the plug-in creates in
    // the page's window hosts. Its value never reaches the transcript.
    virtual int32_t openPageWindow() { return 0x00C0FFEE; }
    virtual void closePageWindow(int32_t window) { (void)window; }

    // The plug-in library is gone: drop whatever of it the desktop still holds. Answers the number of
    // its timers that were still running (the plug-in should have stopped them), where that is known.
    virtual size_t pluginUnloaded() { return 0; }

    // Whether commands come from a person at a terminal (then brio-host shows a prompt).
    virtual bool stdinIsTerminal() const { return false; }
};

} // namespace brio::host
