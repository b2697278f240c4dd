// desktop/: the desktop drivers: this interface, headless/ (over the headless desktop), win32/ (the real
// one: message loop, boxes, dialogs, menus, list view, clipboard, pictures), and the pages' layout.
// Uses common/ and model/.
//
// The host's side of the desktop: the clock that drives the plug-in's timers, the message boxes it
// shows, and the windows of the configuration pages. Headless: the virtual clock of the headless
// desktop. Windows: the real message loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/desktop/page_layout.h"

namespace brio::host {

// The host's status image list: two images of its own, then one per status.
constexpr int32_t kStatusImages = 8;

// A row of the plug-in's list view as the user sees it.
struct ListRowSeen {
    int32_t image = -1;
    bool selected = false;
    bool focused = false;
    std::string description; // column 0
    std::string seconds;     // column 1
};

// Where on a row the pointer is let go at the end of a drag.
enum class DropPart { Label, Icon, StateIcon };

// A file dialog the plug-in showed, and how the host answers the next ones.
struct FileDialogSeen {
    bool save = false;
    std::vector<std::pair<std::string, std::string>> filters; // label, pattern
    std::string defaultExtension;
};
struct FileDialogAnswer {
    std::string path;
    int32_t filter = 1; // selected when the dialog closes, from 1
};

struct MessageBoxSeen {
    std::string title; // bytes as the plug-in gave them (code page 1250)
    std::string text;
    std::string icon;      // "warning", "error", "information" or "none"
    bool question = false; // Yes and No rather than OK
};

// A page as brio-host draws it: its controls in the order they were added, with what each shows.
struct PageControlSeen {
    LaidControl layout;
    std::string text;               // the caption, or an entry's text
    std::vector<std::string> lines; // a choice's lines
    int32_t selected = -1;          // a choice's selected line
    bool checked = false;           // a check box
    int32_t window = 0;             // a window host's window of the plug-in
    int32_t iconResource = 0;       // an image of the plug-in's: the icon's resource in its library
};
struct PageSeen {
    std::string caption;
    int32_t window = 0;       // the open page's window
    int32_t module = 0;       // the plug-in's library, which holds its icons
    int32_t iconResource = 0; // the page's own icon
    std::vector<PageControlSeen> controls;
};

inline constexpr const char* kNoPictures = "pictures need the Windows build";

// A picture written to a PNG file, or why none was.
struct PictureTaken {
    std::string error; // empty when written
    Size size;
};

class DesktopDriver {
public:
    // `onMessageBox` is called for every message box the plug-in shows; the driver dismisses it.
    static std::unique_ptr<DesktopDriver> create(std::function<void(const MessageBoxSeen&)> onMessageBox);
    virtual ~DesktopDriver() = default;

    // What the user does while a message box is open, before answering it.
    using InsideBox = std::function<void()>;
    // Asked for each message box, once it is on screen and reported, what to do inside it (an empty
    // answer: nothing). The work runs on this thread from the box's own message loop, as a person's
    // clicks elsewhere on the desktop would, and the box is answered when it is done.
    virtual void setWorkInsideBoxes(std::function<InsideBox()> next) = 0;
    // From the work inside a box: the answer of that box if it asks Yes or No (unsaid: Yes).
    virtual void answerQuestion(bool yes) = 0;

    // Lets `ms` milliseconds pass, running the plug-in's timers that fall due.
    virtual void advance(uint64_t ms) = 0;

    // On (as created), the driver watches every message of the thread, so that it answers the boxes,
    // dialogs and menus the plug-in shows whenever they come. Off, it watches only while its own actions
    // open a menu: for timing the plug-in's work, since on Windows the watch costs every message a trip
    // through the system.
    virtual void watchAlways(bool on) { (void)on; }

    // The window of an open configuration page: the parent of the windows the plug-in creates in
    // the page's window hosts. Its value never reaches the transcript.
    virtual int32_t openPageWindow() { return 0x00C0FFEE; }
    virtual void closePageWindow(int32_t window) { (void)window; }

    // The host's status image list (what the plug-in gets for statusImageList): image i is the icon
    // of the status that statusIconIndex answers i for.
    virtual int32_t statusImageList() = 0;

    // The list view the plug-in made in a page window, worked as a user would: a row is scrolled into
    // view before the pointer goes to it, and the list to its end for the empty area below the rows.
    // Every call answers false, doing nothing, while there is no list view.
    virtual bool listViewPresent() = 0;
    virtual std::vector<ListRowSeen> listViewRows() = 0;
    virtual std::vector<int32_t> listViewColumnWidths() = 0;
    // Clicks a row (it alone becomes selected and focused), or the empty area below the rows with -1
    // (the selection is cleared, the focus stays).
    virtual bool clickRow(int32_t row) = 0;
    // Selects exactly these rows (as with the control key held); the focus goes to the last of them.
    virtual bool selectRows(const std::vector<int32_t>& rows) = 0;
    // Right-clicks a row's label (or the empty area with -1), which, as on the desktop, focuses the row
    // and makes it the only selected one unless it was selected (-1 clears the selection); if the
    // plug-in shows its context menu, the command with the given menu position (0 first) is chosen,
    // or the menu is dismissed with -1. `menuItems` gets the menu's item texts, empty when no menu
    // was shown.
    virtual bool rightClickRow(int32_t row, int32_t choose, std::vector<std::string>& menuItems) = 0;
    virtual bool clickColumn(int32_t column) = 0;
    // Edits a row's label in place and ends the edit with `text`, or cancels it (no text).
    virtual bool editLabel(int32_t row, const std::optional<std::string>& text) = 0;
    // Drags the selected rows (the drag starts on the first of them) and lets go on a part of `target`.
    virtual bool dragOnto(int32_t target, DropPart part) = 0;
    // Sets a column's width as the user would by dragging its divider.
    virtual bool setColumnWidth(int32_t column, int32_t width) = 0;

    // The plug-in's file dialogs: each is reported to `observer` and answered with `answer` (none:
    // cancelled) until another answer is set.
    virtual void setFileDialogObserver(std::function<void(const FileDialogSeen&)> observer) = 0;
    virtual void setFileDialogAnswer(const std::optional<FileDialogAnswer>& answer) = 0;
    // A dialog that refused the answer (a file to open that does not exist, a folder that does not
    // exist) is reported here, and then cancelled, as the user gives up.
    virtual void setFileDialogRefusedObserver(std::function<void()> observer) = 0;

    // The text import's options dialog, answered as a user would: the button of status position
    // `checked` (-1: none) checked, `seconds` typed into the time field, then "OK" or "Anuluj". False,
    // doing nothing, when no such dialog is open.
    virtual bool importDialogOpen() = 0;
    virtual bool answerImportDialog(int32_t checked, const std::string& seconds, bool ok) = 0;
    // The icon handle the host gives for image `image` of its status image list (statusIconHandle).
    virtual int32_t statusIconHandle(int32_t image) = 0;

    // The clipboard's text (none when it holds no text), and whether another program holds it open.
    virtual std::optional<std::string> clipboardText() = 0;
    virtual void holdClipboard(bool held) = 0;

    // Pictures of what the user sees, written to PNG files at `path`: an open page with its controls
    // and the plug-in's windows in it; the plug-in's context menu opened on a row (then dismissed), over
    // the list; the import options dialog.
    // The headless desktop draws nothing.
    virtual PictureTaken picturePage(const PageSeen&, const std::string&) { return {kNoPictures, {}}; }
    virtual PictureTaken pictureMenu(int32_t, const std::string&) { return {kNoPictures, {}}; }
    virtual PictureTaken pictureDialog(const std::string&) { return {kNoPictures, {}}; }

    // The plug-in library has been loaded.
    virtual void pluginLoaded() {}
    // The plug-in library is gone: drop whatever of it the desktop still holds. Answers the number of
    // its timers that were still running (the plug-in should have stopped them), where that is known.
    virtual size_t pluginUnloaded() { return 0; }
    // Answers, and forgets, how many timers were found firing into a library that is no longer loaded
    // (where pluginUnloaded cannot know them); each was stopped instead of called.
    virtual size_t timersOfAGoneLibrary() { return 0; }

    // Whether commands come from a person at a terminal (then brio-host shows a prompt).
    virtual bool stdinIsTerminal() const { return false; }
};

} // namespace brio::host
