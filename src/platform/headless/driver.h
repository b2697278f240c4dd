// The headless desktop's driver: what a host or a test uses to play the user and the clock.
// Everything here runs on the one thread that also calls into the plug-in.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"
#include "platform/message_box.h"

namespace brio::headless {

// Runs a handler of the plug-in's as the desktop's window, dialog and timer procedures do: whatever it
// throws ends here, as it must end before the messenger's message loop, never in the host.
template <class Handler> void deliver(Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
    }
}

// The virtual clock, in milliseconds since the desktop started.
uint64_t now();

// Moves the clock forward by `ms`, firing every timer that falls due, in order of due time (and of
// start among timers due at the same moment), each at its own moment. Callbacks may start and stop
// timers, and may let time pass themselves (as the user does while a message box is open).
void advance(uint64_t ms);

// Timers still running, and the interval of one (0 when it does not run).
size_t runningTimers();
uint32_t timerInterval(uint32_t id);

// The wall clock the plug-in sees, in seconds since 1970: fixed unless set, so runs repeat.
void setEpochSeconds(uint32_t seconds);

// Message boxes: each one shown is handed to the observer (if any) and then dismissed with OK, or, for
// a question, answered Yes unless the observer calls answerQuestion first.
struct ShownMessage {
    std::string text;
    std::string title;
    platform::MessageIcon icon;
    bool question = false; // Yes and No
};
void onMessage(std::function<void(const ShownMessage&)> observer);
void answerQuestion(bool yes);

bool commonControlsReady();

// The plug-in's list view (the newest one while several exist), as the user sees and works it. Every
// action answers false, doing nothing, while there is none or when it names a row that is not there.
// Before pointing at a row the user scrolls it into view; for the empty area below the rows, the user
// scrolls to the end.
struct ListViewRow {
    int32_t image;
    bool selected;
    bool focused;
    std::string description; // column 0
    std::string seconds;     // column 1
};
bool listViewExists();
int32_t listViewWindow(); // 0 while there is none
std::vector<ListViewRow> listViewRows();
std::vector<int32_t> listViewColumnWidths();
bool setListViewColumnWidth(int32_t column, int32_t width);
// The page is destroyed before it says it closes, taking the list view's window with it.
bool destroyListViewWindow();
// A window closes: the windows of the list views created inside it go with it, as child windows do.
void destroyChildWindowsOf(int32_t parent);
// The row at the top of the view, and scrolling a row wholly into view as LVM_ENSUREVISIBLE does.
int32_t listViewTopRow();
bool showListRow(int32_t row);
// A click on a row makes it the only selected and focused row; -1 clicks below the rows, which clears
// the selection and leaves the focus.
bool clickListRow(int32_t row);
// Exactly these rows become selected; the last one gets the focus.
bool selectListRows(const std::vector<int32_t>& rows);
// A right click on a row's label (-1: below the rows): the row gets the focus and, unless it was
// selected, becomes the only selected row; below the rows the selection is cleared. If the plug-in
// shows its context menu, `menuItems` gets the items and the one at `choose` is chosen (-1 dismisses the
// menu).
bool rightClickListRow(int32_t row, int32_t choose, std::vector<std::string>& menuItems);
bool clickListColumn(int32_t column);
// Edits a row's label in place, ending with `text`, or cancelling without one.
bool editListLabel(int32_t row, const std::optional<std::string>& text);
// Drags the selected rows, from the first of them, and lets go on the target row's label or icon.
bool dragListRowsOnto(int32_t target, bool onIcon);
bool listViewDragging();

// The clipboard's text, if any; while held by another program, the plug-in cannot open it.
std::optional<std::string> clipboardText();
void holdClipboard(bool held);

// File dialogs: each is handed to the observer and answered with `answer` (none: cancelled), also
// when the answer names a filter the dialog does not have; a path longer than 32767 bytes fails as too
// long. As the real dialogs do, the open dialog refuses a file that does not exist, and both refuse a
// folder and a file in a folder that does not exist; a save over an existing file is agreed to (its
// question is answered "yes"). A refused answer is reported to `refused`, and the dialog is cancelled.
// A path longer than 259 bytes is taken unchecked, as the plug-in takes it from the real dialogs when
// they cannot take it themselves: a save over an existing file then has not been asked about.
void onFileDialog(std::function<void(const platform::FileDialogRequest&)> observer);
void onFileDialogRefused(std::function<void()> refused);
void answerFileDialogs(const std::optional<platform::ChosenFile>& answer);

// The text import's options dialog: whether one is open, the icons it shows (status positions 0-5),
// and the user's answer: the button of position `checked` checked (-1: none), `seconds` typed, then
// "OK" (which closes the dialog if the plug-in agrees) or "Anuluj".
bool importDialogOpen();
std::optional<std::array<int32_t, 6>> importDialogIcons();
bool answerImportDialog(int32_t checked, const std::string& seconds, bool ok);

// Files being saved: the `nth` write to one from now on (1: the next) fails with the system error code
// `error` (112 disk full, 29 write fault), writing none of its bytes; 0 fails none.
void failFileWrite(uint32_t nth, uint32_t error);

// Forgets every timer and observer, and sets the clock back to 0 (between tests or plug-in loads);
// empties the clipboard; no write is set to fail.
void reset();
void resetListViews(); // the clipboard and pointer part of reset
void resetDialogs();   // the file dialogs' observer and answer
void resetFiles();     // the write set to fail

} // namespace brio::headless
