// The text import's options dialog: a modeless dialog from the plug-in's resource 103. Its procedure
// finds its object through DWLP_USER, set when the dialog initialises; the object forgets the window
// as soon as the window is destroyed, whoever destroys it.
#include <windows.h>

#include <algorithm>
#include <array>

#include "platform/import_dialog.h"

namespace brio::platform {

namespace {

constexpr int kDialogResource = 103;
constexpr int kFirstStatusButton = 1001; // 1001 + position, for positions 0 to 5
constexpr int kSecondsField = 1007;
constexpr int kSecondsBufferSize = 32; // at most 31 bytes of the field and the NUL

// The order in which the buttons get their icons.
constexpr std::array<int, 6> kIconOrder = {0, 1, 2, 4, 3, 5};

// Set while the events answer, even when they fail.
class Busy {
public:
    explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    bool& flag_;
};

class Win32ImportDialog final : public ImportDialog {
public:
    Win32ImportDialog(const std::array<int32_t, 6>& icons, ImportDialogEvents& events)
        : icons_(icons), events_(events) {}

    ~Win32ImportDialog() override {
        // Destroyed by its owner: the window goes without telling the events.
        if (window_) DestroyWindow(window_);
    }

    Win32ImportDialog(const Win32ImportDialog&) = delete;
    Win32ImportDialog& operator=(const Win32ImportDialog&) = delete;

    bool create(HINSTANCE instance) {
        HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(kDialogResource), nullptr, procedure,
                                         reinterpret_cast<LPARAM>(this));
        if (!window || window_ != window) {
            if (window && IsWindow(window)) DestroyWindow(window);
            return false;
        }
        // The template is not visible by itself.
        ShowWindow(window, SW_SHOW);
        return true;
    }

    bool open() const override { return window_ != nullptr; }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        // Nothing may leave a dialog procedure: the host's message loop is on the other side.
        try {
            if (message == WM_INITDIALOG) {
                auto* dialog = reinterpret_cast<Win32ImportDialog*>(lParam);
                SetWindowLongPtrA(window, DWLP_USER, lParam);
                if (!dialog) return FALSE;
                dialog->window_ = window;
                dialog->initialise();
                return TRUE;
            }
            auto* dialog = reinterpret_cast<Win32ImportDialog*>(GetWindowLongPtrA(window, DWLP_USER));
            if (!dialog) return FALSE;
            switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == IDOK) return dialog->confirm();
                if (LOWORD(wParam) == IDCANCEL) return dialog->cancel();
                return FALSE;
            case WM_CLOSE:
                return dialog->cancel();
            case WM_DESTROY:
                SetWindowLongPtrA(window, DWLP_USER, 0);
                dialog->window_ = nullptr;
                return FALSE;
            default:
                return FALSE;
            }
        } catch (...) {
            return FALSE;
        }
    }

    void initialise() {
        for (int position : kIconOrder)
            SendDlgItemMessageA(window_, kFirstStatusButton + position, BM_SETIMAGE, IMAGE_ICON,
                                static_cast<LPARAM>(icons_[static_cast<size_t>(position)]));
        // Centred on the desktop, each half rounded toward zero, at the size the template gives.
        RECT dialog{}, desktop{};
        GetWindowRect(window_, &dialog);
        GetWindowRect(GetDesktopWindow(), &desktop);
        const LONG left = (desktop.right - desktop.left) / 2 - (dialog.right - dialog.left) / 2;
        const LONG top = (desktop.bottom - desktop.top) / 2 - (dialog.bottom - dialog.top) / 2;
        SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE);
    }

    INT_PTR confirm() {
        // A second press while the first one's answer is still being worked out (a message box of
        // the import runs a message loop) is not a second answer.
        if (busy_) return FALSE;
        char seconds[kSecondsBufferSize] = {};
        const UINT length = GetDlgItemTextA(window_, kSecondsField, seconds, sizeof(seconds));
        int32_t checked = -1;
        for (int32_t position = 0; position < 6 && checked < 0; ++position)
            if (IsDlgButtonChecked(window_, kFirstStatusButton + position) == BST_CHECKED) checked = position;
        bool close = false;
        {
            const Busy busy(busy_);
            close = events_.onImportConfirmed(
                std::string_view(seconds, std::min<size_t>(length, sizeof(seconds) - 1)), checked);
        }
        if (!close) return FALSE;
        ImportDialogEvents& events = events_;
        if (window_) DestroyWindow(window_);
        events.onImportDialogClosed(); // may end this object: nothing of it is used afterwards
        return TRUE;
    }

    INT_PTR cancel() {
        if (busy_) return FALSE;
        {
            const Busy busy(busy_);
            events_.onImportCancelled();
        }
        if (window_) DestroyWindow(window_);
        return TRUE;
    }

    std::array<int32_t, 6> icons_;
    ImportDialogEvents& events_;
    HWND window_ = nullptr;
    bool busy_ = false;
};

} // namespace

std::unique_ptr<ImportDialog> showImportDialog(void* instance, const std::array<int32_t, 6>& icons,
                                               ImportDialogEvents& events) {
    try {
        auto dialog = std::make_unique<Win32ImportDialog>(icons, events);
        if (!dialog->create(static_cast<HINSTANCE>(instance))) return nullptr;
        return dialog;
    } catch (...) {
        return nullptr;
    }
}

} // namespace brio::platform
