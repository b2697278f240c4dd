// The Win32 desktop driver, in three files by what it does: desktop_driver.cpp (the message loop that
// lets time pass, the hook on the thread, page windows, status images, the clipboard, pictures of pages
// and dialogs), list_view_driver.cpp (the plug-in's real list view worked as a person works it, and its
// context menu), dialog_driver.cpp (message boxes, the file dialogs and the import options dialog,
// answered as a person answers them).
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <io.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/desktop/desktop_driver.h"
#include "host/desktop/win32/pictures.h"

namespace brio::host::win32 {

inline bool hasClass(HWND window, const char* className) {
    char name[16] = {};
    return GetClassNameA(window, name, sizeof(name)) > 0 && lstrcmpiA(name, className) == 0;
}

// Status images: solid squares, each of its own colour (0x00BBGGRR).
constexpr std::array<COLORREF, kStatusImages> kStatusColours = {
    0x0000C000, 0x0000C0C0, 0x000080FF, 0x000000FF, 0x00800080, 0x00808080, 0x00FF0000, 0x00000000};

class Win32Driver final : public DesktopDriver {
public:
    explicit Win32Driver(std::function<void(const MessageBoxSeen&)> onMessageBox);
    ~Win32Driver() override;
    Win32Driver(const Win32Driver&) = delete;
    Win32Driver& operator=(const Win32Driver&) = delete;

    // desktop_driver.cpp
    void watchAlways(bool on) override;
    void advance(uint64_t ms) override;
    int32_t openPageWindow() override;
    void closePageWindow(int32_t window) override;
    int32_t statusImageList() override;
    int32_t statusIconHandle(int32_t image) override;
    std::optional<std::string> clipboardText() override;
    void holdClipboard(bool held) override;
    // A library's thread timers are not visible from here; one left running shows when it fires.
    void pluginLoaded() override { pluginGone = false; }
    size_t pluginUnloaded() override;
    size_t timersOfAGoneLibrary() override { return std::exchange(timersOfGoneLibraries, 0); }
    bool stdinIsTerminal() const override { return _isatty(_fileno(stdin)) != 0; }
    PictureTaken picturePage(const PageSeen& page, const std::string& path) override;
    PictureTaken pictureDialog(const std::string& path) override;

    // list_view_driver.cpp
    bool listViewPresent() override { return listView() != nullptr; }
    std::vector<ListRowSeen> listViewRows() override;
    std::vector<int32_t> listViewColumnWidths() override;
    bool clickRow(int32_t row) override;
    bool selectRows(const std::vector<int32_t>& rows) override;
    bool rightClickRow(int32_t row, int32_t choose, std::vector<std::string>& menuItems) override;
    bool clickColumn(int32_t column) override;
    bool editLabel(int32_t row, const std::optional<std::string>& text) override;
    bool dragOnto(int32_t target, DropPart part) override;
    bool setColumnWidth(int32_t column, int32_t width) override;
    PictureTaken pictureMenu(int32_t row, const std::string& path) override;

    // dialog_driver.cpp
    void setWorkInsideBoxes(std::function<InsideBox()> next) override { insideBoxes_ = std::move(next); }
    void answerQuestion(bool yes) override { questionAnswer_ = yes; }
    void setFileDialogObserver(std::function<void(const FileDialogSeen&)> observer) override;
    void setFileDialogAnswer(const std::optional<FileDialogAnswer>& answer) override;
    void setFileDialogRefusedObserver(std::function<void()> observer) override {
        fileDialogRefused_ = std::move(observer);
    }
    bool importDialogOpen() override { return importDialog() != nullptr; }
    bool answerImportDialog(int32_t checked, const std::string& seconds, bool ok) override;

private:
    // desktop_driver.cpp
    void watch(bool on);
    static LRESULT CALLBACK afterWindowProcedure(int code, WPARAM wParam, LPARAM lParam);
    static void deliverQueued(HWND window = nullptr);
    static bool isStrayTimer(const MSG& message);
    uint64_t nowMs() const;

    // list_view_driver.cpp
    HWND listView();
    static POINT emptyPoint(HWND list);
    static std::optional<POINT> dropPoint(HWND list, int32_t row, DropPart part);
    void answerMenu(HWND owner, HMENU menu);
    static void movePointer(HWND list, POINT onScreen);
    static constexpr DWORD kPointerWaitMs = 100;
    static void CALLBACK menuPictureTick(HWND, UINT, UINT_PTR id, DWORD);
    static BOOL CALLBACK findShownMenu(HWND window, LPARAM found);

    // dialog_driver.cpp
    void answer(HWND box);
    static void CALLBACK boxWorkTick(HWND, UINT, UINT_PTR id, DWORD);
    static void runInsideBox(const InsideBox& work);
    bool isBoxWorkTimer(UINT_PTR id) const;
    void dialogCreated(HWND dialog);
    void watchFileDialog(HWND dialog);
    static void CALLBACK fileDialogTick(HWND, UINT, UINT_PTR id, DWORD);
    void workFileDialog();
    void pressFileDialog(HWND dialog);
    static std::string currentDirectory();
    static bool chooseFileType(HWND dialog, int32_t filter);
    static HWND importDialog();

    std::function<void(const MessageBoxSeen&)> onMessageBox_;
    // Message boxes whose work waits for their message loop, each with the timer that gets it there.
    struct BoxWork {
        UINT_PTR timer;
        HWND box;
        InsideBox work;
        bool question; // Yes and No rather than OK
    };
    // Runs the work inside a box and answers it: OK, or Yes unless the work said No.
    void workAndAnswer(HWND box, bool question, const InsideBox& work);
    std::optional<bool> questionAnswer_; // said by the work inside the box being answered
    std::function<InsideBox()> insideBoxes_;
    std::vector<BoxWork> boxWork_;
    HHOOK hook_ = nullptr;
    bool watchingAlways_ = true;
    LARGE_INTEGER frequency_{};
    std::vector<HWND> pages_; // open page windows, oldest first
    HIMAGELIST statusImages_ = nullptr;
    HWND clipboardWindow_ = nullptr;
    HWND mainWindow_ = nullptr;                              // the messenger's own, made first
    std::array<HICON, kStatusColours.size()> statusIcons_{}; // made on first request
    // The plug-in's file dialogs: how they are answered, and the one being answered.
    static constexpr UINT kFileDialogTickMs = 20;
    static inline bool pluginGone = false;          // unloaded, and not loaded again since
    static inline size_t timersOfGoneLibraries = 0; // found by deliverQueued
    std::function<void(const FileDialogSeen&)> fileDialogObserver_;
    std::function<void()> fileDialogRefused_;
    std::optional<FileDialogAnswer> fileDialogAnswer_;
    HWND fileDialog_ = nullptr;
    bool fileDialogAnswered_ = false;
    bool fileDialogPressing_ = false;
    UINT_PTR fileDialogTimer_ = 0;
    std::string workingDirectory_; // when the dialog came up
    HWND createdDialog_ = nullptr; // the newest dialog, and the current directory when it was made
    std::string directoryAtCreation_;
    bool clipboardHeld_ = false;
    // A picture being taken of the context menu.
    struct MenuPicture {
        std::string path;
        HWND list = nullptr;
        HWND owner = nullptr; // of the menu, once shown
        PictureTaken taken;
    };
    static constexpr UINT kMenuPictureDelayMs = 200;
    std::optional<MenuPicture> menuPicture_;
    // While a right click is played: where the menu's texts go and which item to choose.
    std::vector<std::string>* menuItems_ = nullptr;
    int32_t menuChoice_ = -1;
};

inline Win32Driver* activeDriver = nullptr; // the hook procedure's way back to its driver (one thread)

} // namespace brio::host::win32
