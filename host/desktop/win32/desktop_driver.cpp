// Windows: the plug-in's timers are thread timers, kept on the host's clock once brio-host has taken
// them over (host_clock.h), and real ones otherwise, when letting time pass means running this thread's
// message loop for real time; its message boxes are real, and a window hook answers each one with OK.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "host/desktop/win32/host_clock.h"
#include "host/desktop/win32/win32_driver.h"

namespace brio::host::win32 {

namespace {

// How much longer than asked the loop runs, so that a timer due exactly at the end of the interval,
// and started a moment late by the work around it, still fires in it, as it does on the virtual clock.
constexpr uint64_t kGraceMs = 100;

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

constexpr int kStatusImageSize = 16;

constexpr int32_t kAvailableImage = 2; // the image of the first status, "available"

// A 16 x 16 icon of one colour, from icon resource bits (colour rows, then an all-opaque mask).
HICON solidIcon(COLORREF colour) {
    constexpr int side = kStatusImageSize;
    constexpr size_t pixels = side * side;
    constexpr size_t maskRowBytes = 4; // 16 bits, padded to 32
    std::vector<BYTE> bits(sizeof(BITMAPINFOHEADER) + pixels * 4 + side * maskRowBytes, 0);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = side;
    header.biHeight = side * 2; // colour and mask
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::memcpy(bits.data(), &header, sizeof(header));
    BYTE* pixel = bits.data() + sizeof(header);
    for (size_t i = 0; i < pixels; ++i, pixel += 4) {
        pixel[0] = GetBValue(colour);
        pixel[1] = GetGValue(colour);
        pixel[2] = GetRValue(colour);
        pixel[3] = 0xFF;
    }
    return CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE, 0x00030000, side,
                                    side, LR_DEFAULTCOLOR);
}

template <typename Handle> Handle fromInt(int32_t value) {
    return reinterpret_cast<Handle>(static_cast<intptr_t>(value));
}

template <typename Handle> int32_t toInt(Handle handle) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(handle));
}

} // namespace

Win32Driver::Win32Driver(std::function<void(const MessageBoxSeen&)> onMessageBox)
    : onMessageBox_(std::move(onMessageBox)) {
    QueryPerformanceFrequency(&frequency_);
    watch(true);
    activeDriver = this;
    // A messenger has its main window before any plug-in speaks (hidden while it sits in the tray), so
    // a box without an owner is never the process's first window.
    if (registerPageClass())
        mainWindow_ = CreateWindowExA(0, kPageClass, "Norvane", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
}

Win32Driver::~Win32Driver() {
    watch(false);
    if (activeDriver == this) activeDriver = nullptr;
    holdClipboard(false);
    if (clipboardWindow_) DestroyWindow(clipboardWindow_);
    if (mainWindow_) DestroyWindow(mainWindow_);
    if (fileDialogTimer_) KillTimer(nullptr, fileDialogTimer_);
    for (const BoxWork& w : boxWork_)
        KillTimer(nullptr, w.timer);
    for (HICON icon : statusIcons_)
        if (icon) DestroyIcon(icon);
    if (statusImages_) ImageList_Destroy(statusImages_);
}

void Win32Driver::watchAlways(bool on) {
    watchingAlways_ = on;
    watch(on);
}

void Win32Driver::advance(uint64_t ms) {
    if (hostClock().inUse()) {
        hostClock().advance(ms, [] { deliverQueued(); });
        return;
    }
    const uint64_t deadline = nowMs() + ms + kGraceMs;
    for (;;) {
        deliverQueued();
        const uint64_t now = nowMs();
        if (now >= deadline) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

// A page is kept off the screen: the plug-in's windows in it work as on a shown page, but nothing of
// them is drawn (under Xvfb, drawing a list of a thousand rows as it grows costs more than all the rest
// of a week's work). Pictures show what they draw.
int32_t Win32Driver::openPageWindow() {
    if (!registerPageClass()) return 0;
    HWND page = CreateWindowExA(0, kPageClass, "Brio", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (page) pages_.push_back(page);
    // Window handles are 32-bit values in a 32-bit process, as the host's records carry them.
    return toInt(page);
}

void Win32Driver::closePageWindow(int32_t window) {
    HWND page = fromInt<HWND>(window);
    std::erase(pages_, page);
    if (IsWindow(page)) DestroyWindow(page);
}

int32_t Win32Driver::statusImageList() {
    if (!statusImages_) {
        statusImages_ = ImageList_Create(kStatusImageSize, kStatusImageSize, ILC_COLOR32 | ILC_MASK,
                                         static_cast<int>(kStatusColours.size()), 0);
        if (!statusImages_) return 0;
        for (COLORREF colour : kStatusColours) {
            HICON icon = solidIcon(colour);
            ImageList_ReplaceIcon(statusImages_, -1, icon);
            if (icon) DestroyIcon(icon);
        }
    }
    return toInt(statusImages_);
}

std::optional<std::string> Win32Driver::clipboardText() {
    // While held, the clipboard is open here already.
    if (!clipboardHeld_ && !OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::string> text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
            text.emplace(bytes, strnlen(bytes, GlobalSize(data)));
            GlobalUnlock(data);
        }
    }
    if (!clipboardHeld_) CloseClipboard();
    return text;
}

void Win32Driver::holdClipboard(bool held) {
    if (held == clipboardHeld_) return;
    if (!held) {
        CloseClipboard();
        clipboardHeld_ = false;
        return;
    }
    // Another window keeps it open, as another program would; it never empties it, so the
    // clipboard's owner stays whoever it was.
    if (!clipboardWindow_)
        clipboardWindow_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                           GetModuleHandleA(nullptr), nullptr);
    clipboardHeld_ = clipboardWindow_ && OpenClipboard(clipboardWindow_);
}

size_t Win32Driver::pluginUnloaded() {
    pluginGone = true;
    return 0;
}

int32_t Win32Driver::statusIconHandle(int32_t image) {
    if (image < 0 || static_cast<size_t>(image) >= statusIcons_.size() || !statusImageList()) return 0;
    HICON& icon = statusIcons_[static_cast<size_t>(image)];
    if (!icon) icon = ImageList_GetIcon(statusImages_, image, ILD_NORMAL);
    return toInt(icon);
}

PictureTaken Win32Driver::picturePage(const PageSeen& page, const std::string& path) {
    // A network's image is the host's, not the plug-in's: the icon of the first status stands in.
    PictureTaken taken;
    {
        const PageOnShow shown(page, fromInt<HICON>(statusIconHandle(kAvailableImage)));
        if (!shown.window()) return {"the page has no window", {}};
        taken = pictureOfWindow(shown.window(), path);
    }
    deliverQueued();
    return taken;
}

PictureTaken Win32Driver::pictureDialog(const std::string& path) {
    HWND dialog = importDialog();
    if (!dialog) return {"no import options dialog is open", {}};
    SetForegroundWindow(dialog);
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    deliverQueued();
    // The time field has the focus; its blinking caret would make each picture differ.
    HideCaret(nullptr);
    const PictureTaken taken = pictureOfWindow(dialog, path);
    ShowCaret(nullptr);
    return taken;
}

// A hook on the thread: the plug-in's boxes are shown on this thread, from its messages or its timers.
void Win32Driver::watch(bool on) {
    if (on && !hook_)
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, afterWindowProcedure, nullptr, GetCurrentThreadId());
    if (!on && hook_ && UnhookWindowsHookEx(hook_)) hook_ = nullptr;
}

// Once a dialog's WM_INITDIALOG has been handled, a message box shows its caption, text and icon
// (Wine activates the box before that, so activation is too early). The OK we post is handled by
// the box's own modal loop.
// A popup menu is set up (WM_INITMENUPOPUP at its owner) before its loop reads the keyboard: the
// keys posted then choose the item or dismiss the menu.
LRESULT CALLBACK Win32Driver::afterWindowProcedure(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_CREATE && activeDriver && hasClass(call->hwnd, "#32770"))
        activeDriver->dialogCreated(call->hwnd);
    if (code == HC_ACTION && call->message == WM_INITDIALOG && activeDriver) activeDriver->answer(call->hwnd);
    if (code == HC_ACTION && call->message == WM_INITMENUPOPUP && HIWORD(call->lParam) == 0 && activeDriver)
        activeDriver->answerMenu(call->hwnd, reinterpret_cast<HMENU>(call->wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Whatever is already waiting in this thread's queue (for `window` and its children only, when one
// is given: a menu's command, an edit box's close), without waiting for more.
void Win32Driver::deliverQueued(HWND window) {
    MSG message;
    while (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue; // nobody here asks to quit
        if (message.message == WM_TIMER && isStrayTimer(message)) {
            // Its procedure went with the plug-in's library: calling it would crash, so it is
            // stopped and counted instead.
            KillTimer(nullptr, message.wParam);
            ++timersOfGoneLibraries;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Between an unload and the next load, the only thread timer of ours is the file dialogs' one: any
// other was left running by the plug-in. (Its procedure's address cannot tell: Wine hands timer
// messages over with a handle for the procedure, not the address.)
bool Win32Driver::isStrayTimer(const MSG& message) {
    return pluginGone && !message.hwnd &&
           !(activeDriver && (activeDriver->fileDialogTimer_ == message.wParam ||
                              activeDriver->isBoxWorkTimer(message.wParam)));
}

uint64_t Win32Driver::nowMs() const {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const auto ticks = static_cast<uint64_t>(counter.QuadPart);
    const auto perSecond = static_cast<uint64_t>(frequency_.QuadPart);
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}

} // namespace brio::host::win32

namespace brio::host {

std::unique_ptr<DesktopDriver>
DesktopDriver::create(std::function<void(const MessageBoxSeen&)> onMessageBox) {
    return std::make_unique<win32::Win32Driver>(std::move(onMessageBox));
}

} // namespace brio::host
