// platform/: what the logic needs from the desktop, in its own words (timers, message boxes, files,
// readWholeFile and readSpeedFile, the clipboard, file dialogs, the list view, the import dialog),
// with win32/ (the real thing) and headless/ (the stand-in) behind it; the build picks one. Uses
// formats/ and resources/ only.
//
// The list view control the list editor works on: a report view with an icon and two text columns per
// row, several rows selectable, one focused, labels editable in place. The control lives in a window of
// the host's page (its parent); what happens in it reaches the editor as events, decoded from the
// parent's messages, and the editor acts on it through the operations below. Rows are counted from 0;
// every operation on a row that does not exist does nothing and reads as empty.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brio::platform {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Point&) const = default;
};

// What a point in the list view's client area lies on.
enum class RowPart { Nowhere, Icon, Label, StateIcon, ElseOnRow };

struct HitTest {
    int32_t row = -1; // -1 when the point is on no row
    RowPart part = RowPart::Nowhere;
};

// A row as the control keeps it.
struct RowState {
    bool selected = false;
    bool focused = false;
    bool operator==(const RowState&) const = default;
};

struct RowRead {
    int32_t image = -1;
    RowState state;
    std::string text; // column 0
};

// Where the focus and the view's first whole row end when rows are deleted one by one from the last, as
// the desktop's list view hands them on: a focused row that goes leaves the focus to the row that takes
// its place (else to the new last row); a focus that moves to another position comes into view, scrolling
// as little as shows it whole; the view then stays within the rows. `goes` holds a flag for each row.
struct FocusAndTop {
    int32_t focus = -1;
    int32_t top = 0;
};
inline FocusAndTop afterDeletingOneByOne(const std::vector<bool>& goes, FocusAndTop now, int32_t wholeRows) {
    wholeRows = std::max(wholeRows, 1);
    auto count = static_cast<int32_t>(goes.size());
    for (int32_t row = count - 1; row >= 0; --row) {
        if (!goes[static_cast<size_t>(row)]) continue;
        const int32_t before = now.focus;
        if (now.focus == row)
            now.focus = count > 1 ? std::min(row, count - 2) : -1;
        else if (now.focus > row)
            --now.focus;
        --count;
        if (before >= row && now.focus >= 0) {
            if (now.focus < now.top)
                now.top = now.focus;
            else if (now.focus >= now.top + wholeRows)
                now.top = now.focus - wholeRows + 1;
        }
        now.top = std::clamp(now.top, 0, std::max(count - wholeRows, 0));
    }
    return now;
}

// What happens in the control, as its parent's window procedure hears of it. None of these may destroy
// the control.
class ListViewEvents {
public:
    virtual void onClick() = 0;      // a row or the empty area was clicked; selection already updated
    virtual void onRightClick() = 0; // right button; the command of a menu shown now arrives later
    virtual void onColumnClick(int32_t column) = 0;
    virtual void onBeginLabelEdit(int32_t row, int32_t column) = 0;                 // always allowed
    virtual void onEndLabelEdit(int32_t row, int32_t column, const char* text) = 0; // null: cancelled
    virtual void onBeginDrag(Point listPoint) = 0;     // where the drag started, in list coordinates
    virtual void onPointerMove(Point parentPoint) = 0; // in the parent's client coordinates
    virtual void onButtonUp(Point parentPoint) = 0;    // the left button, in the parent's coordinates
    virtual void onMenuCommand(int32_t command) = 0;   // a command of the context menu
protected:
    ~ListViewEvents() = default;
};

struct ListViewSetup {
    int32_t parentWindow = 0; // the host's page window
    int32_t controlId = 0;
    void* instance = nullptr; // the plug-in's module: window creation and the context menu resource
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t extendedStyle = 0;
    int32_t hostImageList = 0; // the host's status image list; the control keeps its own copy
    struct Column {
        std::string title;
        int32_t width = 0;
    };
    std::vector<Column> columns;
};

class ListViewControl {
public:
    virtual ~ListViewControl() = default; // destroys the window and the control's image list

    virtual int32_t window() const = 0;

    virtual int32_t rowCount() const = 0;
    // Inserts a row showing `image` with `text` in column 0 and the given state; a position past the
    // end appends. Answers the row's position, -1 when it could not be inserted.
    virtual int32_t insertRow(int32_t at, int32_t image, std::string_view text, RowState state) = 0;
    virtual void setText(int32_t row, int32_t column, std::string_view text) = 0;
    // At most `bufferSize` - 1 bytes of the text, as read into a buffer of that size.
    virtual std::string text(int32_t row, int32_t column, size_t bufferSize) const = 0;
    virtual RowRead readRow(int32_t row, size_t bufferSize) const = 0;
    virtual void deleteRow(int32_t row) = 0;
    // Deletes the given rows (in ascending order) as deleting them one by one from the last would, in
    // one go: when the focused row goes, the first row after it that stays gets the focus, else the
    // last row that stays.
    virtual void deleteRows(const std::vector<int32_t>& rows) = 0;
    virtual void deleteAllRows() = 0;
    // While off, the control does not redraw or scroll as rows come and go (a change of many rows is
    // drawn once, when it is back on).
    virtual void setRedraw(bool on) = 0;
    virtual bool isSelected(int32_t row) const = 0;
    // Selects or deselects a row; its focus stays as it is.
    virtual void setSelected(int32_t row, bool selected) = 0;
    // The first focused or selected row after `after` (-1: from the top); -1 when there is none.
    virtual int32_t nextFocused(int32_t after) const = 0;
    virtual int32_t nextSelected(int32_t after) const = 0;
    virtual HitTest hitTest(Point listPoint) const = 0;
    // Reorders every row; `compare` gets two current row positions and answers <0, 0 or >0. False when
    // the rows stay as they were.
    virtual bool sortRows(const std::function<int(int32_t, int32_t)>& compare) = 0;
    virtual int32_t columnWidth(int32_t column) const = 0;

    // The pointer and coordinates.
    virtual Point cursorOnScreen() const = 0;
    virtual Point windowOrigin() const = 0; // the top-left corner of the list view's window, on screen
    virtual Point parentToScreen(Point parentPoint) const = 0;
    virtual Point screenToList(Point screenPoint) const = 0;

    // The context menu at a point on screen; a command chosen in it comes back as onMenuCommand.
    virtual void showContextMenu(Point screenPoint) = 0;

    // The image of the given rows, stacked from the top, follows the pointer over the desktop from
    // `listStart` until endDrag; the parent window holds the mouse meanwhile.
    virtual void beginDrag(const std::vector<int32_t>& rows, Point listStart) = 0;
    virtual void moveDrag(Point parentPoint) = 0;
    virtual void endDrag() = 0;
};

// Creates the list view in the parent window and starts passing the parent's messages to `events`
// (the parent's other messages go on to its own procedure). Null when the window cannot be made.
std::unique_ptr<ListViewControl> createListView(const ListViewSetup& setup, ListViewEvents& events);

} // namespace brio::platform
