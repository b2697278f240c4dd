// Windows: the plug-in's timers are real thread timers, so letting time pass means running this
// thread's message loop; its message boxes are real too, and a window hook answers each one with OK.
#include <windows.h>

#include <io.h>

#include <cstdio>
#include <utility>

#include "host/desktop_driver.h"

namespace brio::host {

namespace {

// How much longer than asked the loop runs, so that a timer due exactly at the end of the interval,
// and started a moment late by the work around it, still fires in it, as it does on the virtual clock.
constexpr uint64_t kGraceMs = 100;

// A message box's text is the static control with this id; its icon is a static control with the
// icon style (its id differs between Windows and Wine).
constexpr int kMessageTextId = 0xFFFF;

std::string windowText(HWND window) {
    if (!window) return {};
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

bool hasClass(HWND window, const char* className) {
    char name[16] = {};
    return GetClassNameA(window, name, sizeof(name)) > 0 && lstrcmpiA(name, className) == 0;
}

struct BoxContents {
    bool onlyMessageBoxControls = true;
    HICON icon = nullptr;
};

// A message box holds only static controls and its answer buttons (IDOK to IDCONTINUE); the
// plug-in's own dialogs have radio buttons and edit fields, and are not answered here.
BOOL CALLBACK inspectChild(HWND child, LPARAM contentsAddress) {
    auto& contents = *reinterpret_cast<BoxContents*>(contentsAddress);
    const int id = GetDlgCtrlID(child);
    if (hasClass(child, "Static")) {
        const auto style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        if ((style & SS_TYPEMASK) == SS_ICON)
            contents.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return TRUE;
    }
    if (hasClass(child, "Button") && id >= IDOK && id <= IDCONTINUE) return TRUE;
    contents.onlyMessageBoxControls = false;
    return FALSE;
}

// The box shows one of the system's shared icons; which one tells the style it was asked for.
std::string iconName(HICON shown) {
    if (!shown) return "none";
    const std::pair<LPCSTR, const char*> known[] = {
        {IDI_WARNING, "warning"}, {IDI_ERROR, "error"}, {IDI_INFORMATION, "information"}};
    for (const auto& [id, name] : known)
        if (LoadIconA(nullptr, id) == shown) return name;
    return "unknown";
}

constexpr const char* kPageClass = "BrioHostPage";

// Page windows are plain windows: the plug-in puts its list view in them and subclasses them.
bool registerPageClass() {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExA(GetModuleHandleA(nullptr), kPageClass, &existing)) return true;
    WNDCLASSEXA pageClass{};
    pageClass.cbSize = sizeof(pageClass);
    pageClass.lpfnWndProc = DefWindowProcA;
    pageClass.hInstance = GetModuleHandleA(nullptr);
    pageClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    pageClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    pageClass.lpszClassName = kPageClass;
    return RegisterClassExA(&pageClass) != 0;
}

class Win32Driver;
Win32Driver* activeDriver = nullptr; // the hook procedure's way back to its driver (one thread)

class Win32Driver final : public DesktopDriver {
public:
    explicit Win32Driver(std::function<void(const MessageBoxSeen&)> onMessageBox)
        : onMessageBox_(std::move(onMessageBox)) {
        QueryPerformanceFrequency(&frequency_);
        // Thread hook: the plug-in's boxes are shown on this thread, from its messages or its timers.
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, afterWindowProcedure, nullptr, GetCurrentThreadId());
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

    int32_t openPageWindow() override {
        if (!registerPageClass()) return 0;
        HWND page = CreateWindowExA(0, kPageClass, "Brio", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                                    0, 0, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        // Window handles are 32-bit values in a 32-bit process, as the host's records carry them.
        return static_cast<int32_t>(reinterpret_cast<intptr_t>(page));
    }

    void closePageWindow(int32_t window) override {
        HWND page = reinterpret_cast<HWND>(static_cast<intptr_t>(window));
        if (IsWindow(page)) DestroyWindow(page);
    }

    // The library kills its own timers as it is unloaded; none of them is visible from here.
    size_t pluginUnloaded() override { return 0; }

    bool stdinIsTerminal() const override { return _isatty(_fileno(stdin)) != 0; }

private:
    // Once a dialog's WM_INITDIALOG has been handled, a message box shows its caption, text and icon
    // (Wine activates the box before that, so activation is too early). The OK we post is handled by
    // the box's own modal loop.
    static LRESULT CALLBACK afterWindowProcedure(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_INITDIALOG && activeDriver)
            activeDriver->answer(call->hwnd);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void answer(HWND box) {
        if (!hasClass(box, "#32770")) return;
        HWND text = GetDlgItem(box, kMessageTextId);
        BoxContents contents;
        EnumChildWindows(box, inspectChild, reinterpret_cast<LPARAM>(&contents));
        if (!text || !contents.onlyMessageBoxControls) return;
        MessageBoxSeen seen{windowText(box), windowText(text), iconName(contents.icon)};
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

std::unique_ptr<DesktopDriver>
DesktopDriver::create(std::function<void(const MessageBoxSeen&)> onMessageBox) {
    return std::make_unique<Win32Driver>(std::move(onMessageBox));
}

} // namespace brio::host
