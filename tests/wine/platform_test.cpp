// The Win32 desktop layer with brio-host's Windows driver: real thread timers run by the driver's
// message loop, and real message boxes answered by its hook. Waits are bounded by a deadline so that
// a broken timer fails the test instead of hanging it; nothing here measures speed.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "host/desktop/desktop_driver.h"
#include "platform/message_box.h"
#include "platform/timers.h"

namespace {

using brio::host::DesktopDriver;
using brio::host::MessageBoxSeen;
namespace platform = brio::platform;

// Timer callbacks are plain functions, as the plug-in's are; they report here.
std::vector<platform::TimerId> fired;

void recordTick(platform::TimerId id) {
    fired.push_back(id);
}
// A second callback with its own record, to tell which callback got which id.
std::vector<platform::TimerId> firedOther;
void recordOtherTick(platform::TimerId id) {
    firedOther.push_back(id);
}
void stopAfterFirstTick(platform::TimerId id) {
    fired.push_back(id);
    platform::stopTimer(id);
}
void showWarningOnTick(platform::TimerId id) {
    platform::stopTimer(id);
    platform::showMessage("Brak ścieżki", "Brio - Error", platform::MessageIcon::Warning);
}

INT_PTR CALLBACK quietDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class Win32Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        fired.clear();
        firedOther.clear();
        driver_ = DesktopDriver::create([this](const MessageBoxSeen& box) { boxes_.push_back(box); });
    }

    // Lets time pass in small steps until `done` holds, for at most five seconds.
    template <typename Done> bool runUntil(Done done) {
        for (int step = 0; step < 100 && !done(); ++step)
            driver_->advance(50);
        return done();
    }

    size_t countOf(platform::TimerId id) const {
        size_t n = 0;
        for (auto f : fired)
            n += f == id;
        return n;
    }

    std::unique_ptr<DesktopDriver> driver_;
    std::vector<MessageBoxSeen> boxes_;
};

TEST_F(Win32Desktop, PeriodicTimerKeepsFiringUntilStopped) {
    const platform::TimerId id = platform::startTimer(20, recordTick);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(runUntil([&] { return countOf(id) >= 3; }));
    platform::stopTimer(id);
    const size_t atStop = fired.size();
    driver_->advance(100);
    EXPECT_EQ(fired.size(), atStop);
}

TEST_F(Win32Desktop, TimerStoppedInItsCallbackFiresOnce) {
    const platform::TimerId id = platform::startTimer(10, stopAfterFirstTick);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(runUntil([&] { return !fired.empty(); }));
    driver_->advance(100);
    EXPECT_EQ(fired, std::vector<platform::TimerId>{id});
}

TEST_F(Win32Desktop, TimerStoppedBeforeItIsDueNeverFires) {
    const platform::TimerId id = platform::startTimer(10, recordTick);
    ASSERT_NE(id, 0u);
    platform::stopTimer(id);
    driver_->advance(100);
    EXPECT_TRUE(fired.empty());
}

TEST_F(Win32Desktop, EachCallbackGetsItsOwnTimersId) {
    const platform::TimerId a = platform::startTimer(10, recordTick);
    const platform::TimerId b = platform::startTimer(15, recordOtherTick);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_TRUE(runUntil([&] { return !fired.empty() && !firedOther.empty(); }));
    platform::stopTimer(a);
    platform::stopTimer(b);
    for (auto id : fired)
        EXPECT_EQ(id, a);
    for (auto id : firedOther)
        EXPECT_EQ(id, b);
}

// A library that leaves a thread timer running when it is unloaded: the driver stops the timer instead
// of calling into the library that is gone, and says so once.
TEST_F(Win32Desktop, ATimerOfAnUnloadedLibraryIsStoppedAndCounted) {
    ASSERT_EQ(GetModuleHandleA("Brio.dll"), nullptr) << "loaded by another test";
    HMODULE library = LoadLibraryA("Brio.dll");
    ASSERT_NE(library, nullptr);
    const FARPROC inLibrary = GetProcAddress(library, "_IMessageProc@4");
    ASSERT_NE(inLibrary, nullptr);
    // Never called: only its address, inside the library, matters.
    const UINT_PTR id =
        SetTimer(nullptr, 0, 10, reinterpret_cast<TIMERPROC>(reinterpret_cast<void*>(inLibrary)));
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(FreeLibrary(library));
    ASSERT_EQ(GetModuleHandleA("Brio.dll"), nullptr);
    driver_->pluginUnloaded();
    size_t found = 0;
    EXPECT_TRUE(runUntil([&] { return (found += driver_->timersOfAGoneLibrary()) > 0; }));
    EXPECT_EQ(found, 1u);
    driver_->advance(100);
    EXPECT_EQ(driver_->timersOfAGoneLibrary(), 0u);
    // Once a library is loaded again, thread timers run as before.
    driver_->pluginLoaded();
    const platform::TimerId own = platform::startTimer(10, recordTick);
    ASSERT_NE(own, 0u);
    EXPECT_TRUE(runUntil([&] { return !fired.empty(); }));
    platform::stopTimer(own);
    EXPECT_EQ(driver_->timersOfAGoneLibrary(), 0u);
}

TEST_F(Win32Desktop, StoppingNothingOrAnUnknownTimerLeavesOthersRunning) {
    const platform::TimerId id = platform::startTimer(10, recordTick);
    platform::stopTimer(0);
    platform::stopTimer(id + 1000);
    EXPECT_TRUE(runUntil([&] { return countOf(id) > 0; }));
    platform::stopTimer(id);
    platform::stopTimer(id); // a second stop is ignored
}

TEST_F(Win32Desktop, TimerWithoutCallbackIsNotStarted) {
    EXPECT_EQ(platform::startTimer(10, nullptr), 0u);
}

TEST_F(Win32Desktop, SecondsSinceEpochFollowTheSystemClock) {
    const auto expected = static_cast<int64_t>(std::time(nullptr));
    EXPECT_NEAR(static_cast<int64_t>(platform::secondsSinceEpoch()), expected, 2);
}

struct BoxCase {
    platform::MessageIcon icon;
    const char* expectedIcon;
};

TEST_F(Win32Desktop, MessageBoxIsReportedWithItsBytesAndIconThenAnswered) {
    // Code page 1250 bytes, as the plug-in's literals are: 0xBF is "ż", 0xE6 is "ć".
    const std::string title = "Ostrze\xBF"
                              "enie";
    const std::string text = "Musisz poda\xE6 opis!";
    ASSERT_EQ(title, "Ostrzeżenie");
    const BoxCase cases[] = {{platform::MessageIcon::Warning, "warning"},
                             {platform::MessageIcon::Error, "error"},
                             {platform::MessageIcon::Information, "information"},
                             {platform::MessageIcon::None, "none"}};
    for (const auto& c : cases) {
        boxes_.clear();
        platform::showMessage(text, title, c.icon); // returns only once answered
        ASSERT_EQ(boxes_.size(), 1u) << c.expectedIcon;
        EXPECT_EQ(boxes_[0].title, title);
        EXPECT_EQ(boxes_[0].text, text);
        EXPECT_EQ(boxes_[0].icon, c.expectedIcon);
    }
}

TEST_F(Win32Desktop, MessageBoxTextNeedNotEndWithNul) {
    const std::string line = "GetFileSize() failed: GetLastError returned 5\r\nmore";
    platform::showMessage(std::string_view(line).substr(0, line.size() - 4), "Error",
                          platform::MessageIcon::None);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].title, "Error");
    // The box shows the line end; the static control keeps it as it was given.
    EXPECT_EQ(boxes_[0].text, "GetFileSize() failed: GetLastError returned 5\r\n");
}

TEST_F(Win32Desktop, MessageBoxFromATimerIsAnsweredWhileTimePasses) {
    ASSERT_NE(platform::startTimer(10, showWarningOnTick), 0u);
    EXPECT_TRUE(runUntil([&] { return !boxes_.empty(); }));
    driver_->advance(100);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].title, "Brio - Error");
    EXPECT_EQ(boxes_[0].text, "Brak ścieżki");
    EXPECT_EQ(boxes_[0].icon, "warning");
}

BOOL CALLBACK countVisibleBox(HWND window, LPARAM count) {
    char name[16] = {};
    if (IsWindowVisible(window) && GetClassNameA(window, name, sizeof(name)) && lstrcmpA(name, "#32770") == 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int visibleBoxes() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countVisibleBox, reinterpret_cast<LPARAM>(&count));
    return count;
}

// The user acts while a box is open: the work runs from the box's own message loop, with the box on
// screen, before it is answered; time passes there, and a box shown by the work is answered in turn.
TEST_F(Win32Desktop, WorkInsideABoxRunsWhileItIsOpen) {
    int asked = 0;
    int boxesSeenInside = -1;
    bool timerFiredInside = false;
    driver_->setWorkInsideBoxes([&]() -> DesktopDriver::InsideBox {
        if (asked++ > 0) return nullptr; // the nested box gets nothing to do
        return [&] {
            boxesSeenInside = visibleBoxes();
            const platform::TimerId id = platform::startTimer(10, recordTick);
            driver_->advance(100);
            platform::stopTimer(id);
            timerFiredInside = countOf(id) > 0;
            platform::showMessage("inner", "Error", platform::MessageIcon::None);
        };
    });
    platform::showMessage("outer", "Error", platform::MessageIcon::None);
    EXPECT_EQ(boxesSeenInside, 1);
    EXPECT_TRUE(timerFiredInside);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, "outer");
    EXPECT_EQ(boxes_[1].text, "inner");
    EXPECT_EQ(asked, 2);
    driver_->advance(50);
    EXPECT_EQ(visibleBoxes(), 0);
    driver_->setWorkInsideBoxes(nullptr);
}

TEST_F(Win32Desktop, OtherDialogsAreLeftAlone) {
    // A dialog with an edit field is one of the plug-in's own, not a message box.
    struct alignas(4) Template {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title; // the item that follows starts on a DWORD boundary
        DLGITEMTEMPLATE edit;
        WORD editClass[2], editTitle, editData;
    } layout{};
    layout.dialog.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    layout.dialog.cdit = 1;
    layout.dialog.cx = 100;
    layout.dialog.cy = 40;
    layout.edit.style = WS_CHILD | WS_VISIBLE | WS_BORDER;
    layout.edit.cx = 60;
    layout.edit.cy = 12;
    layout.edit.id = 0xFFFF;
    layout.editClass[0] = 0xFFFF;
    layout.editClass[1] = 0x0081; // edit
    static_assert(offsetof(Template, edit) % 4 == 0);
    HWND dialog =
        CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &layout.dialog, nullptr, quietDialog, 0);
    ASSERT_NE(dialog, nullptr) << "error " << GetLastError();
    SetForegroundWindow(dialog);
    SetActiveWindow(dialog);
    driver_->advance(50);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(IsWindow(dialog));
    DestroyWindow(dialog);
}

TEST_F(Win32Desktop, PageWindowHoldsChildWindowsUntilClosed) {
    const int32_t window = driver_->openPageWindow();
    HWND page = reinterpret_cast<HWND>(static_cast<intptr_t>(window));
    ASSERT_TRUE(IsWindow(page));
    HWND child =
        CreateWindowExA(WS_EX_CLIENTEDGE, "SysListView32", "", WS_CHILD | WS_VISIBLE | 1, 10, 10, 410, 230,
                        page, reinterpret_cast<HMENU>(445107), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(child, nullptr) << "error " << GetLastError();
    EXPECT_EQ(GetParent(child), page);
    const int32_t second = driver_->openPageWindow();
    EXPECT_NE(second, window) << "each page gets its own window";
    driver_->closePageWindow(second);
    driver_->closePageWindow(window);
    EXPECT_FALSE(IsWindow(page));
    EXPECT_FALSE(IsWindow(child));
    driver_->closePageWindow(window); // closing twice is harmless
}

} // namespace
