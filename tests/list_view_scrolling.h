// How the list view scrolls, as comctl32's list view does it under Wine: the editor's 410 x 230 view
// (a 2-pixel client edge, an 18-pixel header and 17-pixel rows: 12 whole rows and a sliver of the
// 13th) over 40 rows, worked step by step by a person through brio-host's driver and by the editor
// through the control. The Wine checks hold the real control to these numbers, the unit tests the
// headless one, so that both place the rows alike.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/desktop/desktop_driver.h"
#include "platform/list_view.h"

namespace brio::test {

constexpr int32_t kScrollRows = 40;

enum class ScrollStep {
    Click,         // the driver clicks rows[0]
    Select,        // the driver selects rows
    RightClick,    // the driver right-clicks rows[0] (-1: below the rows), menu dismissed
    EditLabel,     // the driver edits the label of rows[0], cancelled
    Show,          // rows[0] is scrolled into view (LVM_ENSUREVISIBLE), nothing else changes
    Insert,        // the control inserts an unfocused row at rows[0]
    InsertFocused, // the control inserts a focused row at rows[0]
    Delete,        // the control deletes rows[0]
    Reverse,       // the control sorts the rows into reverse order
    DeleteAll,
};

struct ScrollCase {
    const char* what;
    ScrollStep step;
    std::vector<int32_t> rows;
    int32_t top;     // the top row afterwards
    int32_t focused; // the focused row afterwards
};

// One after another, from 40 unfocused rows at the top.
inline const std::vector<ScrollCase>& scrollCases() {
    using S = ScrollStep;
    static const std::vector<ScrollCase> cases{
        {"a click below the view scrolls its row up to the last whole line", S::Click, {30}, 19, 30},
        {"a click above the view scrolls its row to the top", S::Click, {5}, 5, 5},
        {"a row in view does not scroll", S::Click, {16}, 5, 16},
        {"a selection scrolls to its focused (last) row", S::Select, {35, 36}, 25, 36},
        {"only the focused row is brought into view", S::Select, {2, 3}, 3, 3},
        {"showing the last row scrolls no further than the end", S::Show, {39}, 28, 3},
        {"a deletion above the focus moves the focus, which comes into view", S::Delete, {0}, 2, 2},
        {"the new last row", S::Show, {38}, 27, 2},
        {"deleting below the focus keeps the view full", S::Delete, {38}, 26, 2},
        {"an unfocused insertion moves the focus without scrolling", S::Insert, {0}, 26, 3},
        {"a focused insertion comes into view", S::InsertFocused, {10}, 10, 10},
        {"scrolling alone keeps the focus", S::Show, {38}, 27, 10},
        {"deleting the focused row focuses its successor, which comes into view", S::Delete, {10}, 10, 10},
        {"back to the top", S::Show, {0}, 0, 10},
        {"sorting moves the focused row out of view without scrolling", S::Reverse, {}, 0, 28},
        {"an edited label comes into view", S::EditLabel, {30}, 19, 30},
        {"a right-clicked row comes into view", S::RightClick, {2}, 2, 2},
        {"a right click below the rows scrolls to the end", S::RightClick, {-1}, 27, 2},
        {"an empty list is at the top", S::DeleteAll, {}, 0, -1},
    };
    return cases;
}

// What lies under a point of the list view's client area once `shown` has been scrolled into view
// (with the rows at the top, 0 is shown; with 39 the view is at the end).
struct ScrollHitCase {
    int32_t shown;
    platform::Point at;
    int32_t row;
    platform::RowPart part;
};

inline const std::vector<ScrollHitCase>& scrollHitCases() {
    using P = platform::RowPart;
    static const std::vector<ScrollHitCase> cases{
        {0, {30, 17}, -1, P::Nowhere},   // the header
        {0, {30, 18}, 0, P::Label},      // the first row, from its top line
        {0, {30, 34}, 0, P::Label},      // to its bottom line
        {0, {30, 35}, 1, P::Label},      // the next row
        {0, {10, 35}, 1, P::Icon},       // its icon
        {0, {1, 35}, 1, P::Label},       // left of the icon: the row all the same
        {0, {300, 35}, 1, P::Label},     // whole rows: column 1 too
        {0, {340, 35}, -1, P::Nowhere},  // right of the columns
        {0, {30, 225}, 12, P::Label},    // the sliver of the 13th row
        {0, {30, 226}, 12, P::Label},    // the client area's bottom edge still counts
        {0, {30, 227}, -1, P::Nowhere},  // below it
        {39, {30, 18}, 28, P::Label},    // scrolled to the end
        {39, {30, 221}, 39, P::Label},   // the last row
        {39, {30, 222}, -1, P::Nowhere}, // below it
    };
    return cases;
}

// Rows right-clicked one after another (-1: below the rows); each time, the pointer as the editor finds
// it (from the window's corner) lies on that row, or on none.
inline const std::vector<int32_t>& scrollRightClickRows() {
    static const std::vector<int32_t> rows{30, 0, 39, 12, 13, -1, 1};
    return rows;
}

// The control and the driver of one build, with its way of scrolling and of telling the top row.
struct ScrollSubject {
    host::DesktopDriver& driver;
    platform::ListViewControl& control;
    std::function<void(int32_t)> show;
    std::function<int32_t()> top;
};

// Rows r0, r1, ... with seconds 10, 11, ...
inline void fillScrollRows(platform::ListViewControl& control) {
    for (int32_t i = 0; i < kScrollRows; ++i) {
        control.insertRow(i, i % 6, "r" + std::to_string(i), platform::RowState{});
        control.setText(i, 1, std::to_string(10 + i));
    }
}

// Runs a step; false when the driver refused it.
inline bool runScrollStep(const ScrollCase& c, ScrollSubject& s) {
    const int32_t row = c.rows.empty() ? -1 : c.rows[0];
    std::vector<std::string> menu;
    switch (c.step) {
    case ScrollStep::Click:
        return s.driver.clickRow(row);
    case ScrollStep::Select:
        return s.driver.selectRows(c.rows);
    case ScrollStep::RightClick:
        return s.driver.rightClickRow(row, -1, menu);
    case ScrollStep::EditLabel:
        return s.driver.editLabel(row, std::nullopt);
    case ScrollStep::Show:
        s.show(row);
        return true;
    case ScrollStep::Insert:
    case ScrollStep::InsertFocused:
        return s.control.insertRow(row, 0, "new",
                                   platform::RowState{false, c.step == ScrollStep::InsertFocused}) == row;
    case ScrollStep::Delete:
        s.control.deleteRow(row);
        return true;
    case ScrollStep::Reverse:
        s.control.sortRows([](int32_t a, int32_t b) { return b - a; });
        return true;
    case ScrollStep::DeleteAll:
        s.control.deleteAllRows();
        return true;
    }
    return false;
}

} // namespace brio::test
