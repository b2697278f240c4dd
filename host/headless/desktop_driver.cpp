// The headless desktop as the host drives it: the virtual clock, message boxes, made-up page windows.
#include "host/desktop_driver.h"

#include <unistd.h>

#include "platform/headless/driver.h"

namespace brio::host {

namespace {

std::string iconName(platform::MessageIcon icon) {
    switch (icon) {
    case platform::MessageIcon::Warning:
        return "warning";
    case platform::MessageIcon::Error:
        return "error";
    case platform::MessageIcon::Information:
        return "information";
    default:
        return "none";
    }
}

class HeadlessDriver final : public DesktopDriver {
public:
    explicit HeadlessDriver(std::function<void(const MessageBoxSeen&)> onMessageBox)
        : onMessageBox_(std::move(onMessageBox)) {
        observe();
    }
    ~HeadlessDriver() override { headless::onMessage(nullptr); }

    void advance(uint64_t ms) override { headless::advance(ms); }

    int32_t openPageWindow() override { return nextWindow_++; }

    size_t pluginUnloaded() override {
        const size_t left = headless::runningTimers();
        headless::reset(); // also forgets the observer
        observe();
        return left;
    }

    bool stdinIsTerminal() const override { return isatty(STDIN_FILENO) != 0; }

private:
    void observe() {
        headless::onMessage([this](const headless::ShownMessage& m) {
            if (onMessageBox_) onMessageBox_(MessageBoxSeen{m.title, m.text, iconName(m.icon)});
        });
    }

    std::function<void(const MessageBoxSeen&)> onMessageBox_;
    int32_t nextWindow_ = 0x1000;
};

} // namespace

std::unique_ptr<DesktopDriver>
DesktopDriver::create(std::function<void(const MessageBoxSeen&)> onMessageBox) {
    return std::make_unique<HeadlessDriver>(std::move(onMessageBox));
}

} // namespace brio::host
