// Windows: the plug-in's timers are real thread timers, so letting time pass means running this
// thread's message loop; its message boxes are real too, and a CBT hook answers each one with OK.
#include <windows.h>

#include <utility>

#include "host/desktop_driver.h"

namespace brio::host {

namespace {

// How much longer than asked the loop runs, so that a timer due exactly at the end of the interval,
// and started a moment late by the work around it, still fires in it, as it does on the virtual clock.
constexpr uint64_t kGraceMs = 100;

// Controls of a standard message box.
constexpr int kMessageTextId = 0xFFFF;
constexpr int kMessageIconId = 0x14;
constexpr const char* kAnsweredProperty = "BrioHostAnswered";

std::string windowText(HWND window) {
    if (!window) return {};
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

// The box shows one of the system's shared icons; which one tells the style it was asked for.
std::string iconName(HWND box) {
    HWND control = GetDlgItem(box, kMessageIconId);
    if (!control || !IsWindowVisible(control)) return "none";
    const auto shown = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    if (!shown) return "none";
    const std::pair<LPCSTR, const char*> known[] = {
        {IDI_WARNING, "warning"}, {IDI_ERROR, "error"}, {IDI_INFORMATION, "information"}};
    for (const auto& [id, name] : known)
        if (LoadIconA(nullptr, id) == shown) return name;
    return "unknown";
}

bool hasClass(HWND window, const char* className) {
    char name[16] = {};
    return GetClassNameA(window, name, sizeof(name)) > 0 && lstrcmpiA(name, className) == 0;
}

// A message box is a dialog holding only static controls and its answer buttons (IDOK to IDCONTINUE);
// the plug-in's own dialogs have radio buttons and edit fields, and are not answered here.
BOOL CALLBACK checkMessageBoxChild(HWND child, LPARAM result) {
    const int id = GetDlgCtrlID(child);
    const bool fits = hasClass(child, "Static") || (hasClass(child, "Button") && id >= IDOK && id <= IDCONTINUE);
    if (!fits) *reinterpret_cast<bool*>(result) = false;
    return fits;
}

bool isMessageBox(HWND window) {
    if (!hasClass(window, "#32770") || !GetDlgItem(window, kMessageTextId)) return false;
    bool result = true;
    EnumChildWindows(window, checkMessageBoxChild, reinterpret_cast<LPARAM>(&result));
    return result;
}

class Win32Driver;
Win32Driver* activeDriver = nullptr; // the hook procedure's way back to its driver (one thread)

class Win32Driver final : public DesktopDriver {
public:
    explicit Win32Driver(std::function<void(const MessageBoxSeen&)> onMessageBox)
        : onMessageBox_(std::move(onMessageBox)) {
        QueryPerformanceFrequency(&frequency_);
        // Thread hook: the plug-in's boxes are shown on this thread, from its messages or its timers.
        hook_ = SetWindowsHookExA(WH_CBT, cbtHook, nullptr, GetCurrentThreadId());
        activeDriver = this;
    }

    ~Win32Driver() override {
        if (hook_) UnhookWindowsHookEx(hook_);
        if (activeDriver == this) activeDriver = nullptr;
    }

    Win32Driver(const Win32Driver&) = delete;
    Win32Driver& operator=(const Win32Driver&) = delete;

    void advance(uint64_t ms) override {
        const uint64_t deadline = nowMs() + ms + kGraceMs;
        for (;;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) continue; // nobody here asks to quit
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            const uint64_t now = nowMs();
            if (now >= deadline) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        }
    }

private:
    static LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && activeDriver) activeDriver->answer(reinterpret_cast<HWND>(wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    // A message box's texts are filled in before it is first activated. Each box is answered once,
    // even if it is activated again before our OK arrives.
    void answer(HWND box) {
        if (GetPropA(box, kAnsweredProperty) || !isMessageBox(box)) return;
        SetPropA(box, kAnsweredProperty, box);
        MessageBoxSeen seen{windowText(box), windowText(GetDlgItem(box, kMessageTextId)), iconName(box)};
        if (onMessageBox_) onMessageBox_(seen);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    uint64_t nowMs() const {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        const auto ticks = static_cast<uint64_t>(counter.QuadPart);
        const auto perSecond = static_cast<uint64_t>(frequency_.QuadPart);
        return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
    }

    std::function<void(const MessageBoxSeen&)> onMessageBox_;
    HHOOK hook_ = nullptr;
    LARGE_INTEGER frequency_{};
};

} // namespace

std::unique_ptr<DesktopDriver> DesktopDriver::create(std::function<void(const MessageBoxSeen&)> onMessageBox) {
    return std::make_unique<Win32Driver>(std::move(onMessageBox));
}

} // namespace brio::host
