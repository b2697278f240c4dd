// The headless list view: rows in memory, laid out and scrolled as comctl32's report view lays out and
// scrolls them (as Wine draws the editor's view), so that hit tests, the pointer and the context menu
// behave as on the desktop; and the clipboard. The driver plays the user on the newest list view, and
// scrolls a row into view before pointing at it, as a person does.
#include <algorithm>
#include <memory>
#include <numeric>
#include <optional>
#include <utility>

#include "platform/clipboard.h"
#include "platform/headless/driver.h"
#include "platform/list_view.h"

namespace brio {

namespace {

using platform::HitTest;
using platform::Point;
using platform::RowPart;
using platform::RowState;

// Every page window's client area starts here on the screen. The list view's client area lies inside
// its sunken edge; rows are drawn below a header, the icon from 2 pixels in, the label after it, and
// the vertical scroll bar takes its width from the client area while some rows are out of view.
constexpr Point kParentOnScreen{100, 100};
constexpr int32_t kClientEdge = 2;
constexpr int32_t kHeaderHeight = 18;
constexpr int32_t kRowHeight = 17;
constexpr int32_t kIconLeft = 2;
constexpr int32_t kLabelLeft = 18;
constexpr int32_t kScrollBarWidth = 17;

// The plug-in's context menu resource, as a menu loaded from its module would show it.
const std::vector<std::pair<int32_t, std::string>>& contextMenu() {
    static const std::vector<std::pair<int32_t, std::string>> items{
        {40005, "Duplikuj"}, {40006, "Kopiuj"}, {40007, "Usuń"}, {40008, "Usuń wszystko"}};
    return items;
}

struct Row {
    int32_t image = -1;
    RowState state;
    std::string texts[2];
};

class HeadlessListView;

struct Desk {
    std::vector<HeadlessListView*> views; // oldest first
    Point cursor;
    std::optional<std::string> clipboard;
    bool clipboardHeld = false;
};

// Never destroyed: a list view still held by a static owner may go after this file's statics did.
Desk& desk() {
    static Desk& d = *new Desk;
    return d;
}
// Made as the desktop library loads, not at the first call that needs it, which may be the plug-in's:
// the desktop's own lasting memory is none of the plug-in's.
[[maybe_unused]] const bool kDeskMade = (desk(), contextMenu(), true);

std::string cut(const std::string& text, size_t bufferSize) {
    return bufferSize == 0 ? std::string() : text.substr(0, bufferSize - 1);
}

class HeadlessListView final : public platform::ListViewControl {
public:
    HeadlessListView(const platform::ListViewSetup& setup, platform::ListViewEvents& events)
        : setup_(setup), events_(events) {
        for (const auto& column : setup.columns)
            widths_.push_back(column.width);
        desk().views.push_back(this);
    }
    ~HeadlessListView() override { std::erase(desk().views, this); }

    int32_t window() const override { return window_; }
    int32_t rowCount() const override { return int32_t(rows_.size()); }

    int32_t insertRow(int32_t at, int32_t image, std::string_view text, RowState state) override {
        if (at < 0) return -1;
        const size_t position = std::min(size_t(at), rows_.size());
        if (state.focused)
            for (auto& r : rows_)
                r.state.focused = false;
        Row row{image, state, {std::string(text), std::string()}};
        rows_.insert(rows_.begin() + std::ptrdiff_t(position), std::move(row));
        // The rows below move down under a view that stays where it is; a focused row comes into view.
        if (state.focused) show(int32_t(position));
        return int32_t(position);
    }

    // In place: a text that fits where the old one was takes no new memory.
    void setText(int32_t row, int32_t column, std::string_view text) override {
        if (has(row) && (column == 0 || column == 1)) rows_[size_t(row)].texts[column].assign(text);
    }

    std::string text(int32_t row, int32_t column, size_t bufferSize) const override {
        if (!has(row) || (column != 0 && column != 1)) return {};
        return cut(rows_[size_t(row)].texts[column], bufferSize);
    }

    platform::RowRead readRow(int32_t row, size_t bufferSize) const override {
        if (!has(row)) return {};
        const Row& r = rows_[size_t(row)];
        return {r.image, r.state, cut(r.texts[0], bufferSize)};
    }

    // As the desktop's list view: when the focused row goes, the row that takes its place (or the new
    // last row) gets the focus. A focus that moves to another position, this way or because a row
    // above it went, is brought into view; the view then stays within the rows.
    void deleteRow(int32_t row) override {
        if (!has(row)) return;
        const int32_t focus = nextFocused(-1);
        rows_.erase(rows_.begin() + row);
        if (focus == row && !rows_.empty())
            rows_[std::min(size_t(row), rows_.size() - 1)].state.focused = true;
        const int32_t moved = nextFocused(-1);
        if (focus >= row && moved >= 0) show(moved);
        top_ = std::clamp(top_, 0, lastTop());
    }
    // One pass that keeps the rows that stay: erasing them one by one would move the rows after each.
    // The focus and the view end where deleting the rows one by one from the last would leave them.
    void deleteRows(const std::vector<int32_t>& doomed) override {
        std::vector<bool> goes(rows_.size(), false);
        for (int32_t row : doomed)
            if (has(row)) goes[size_t(row)] = true;
        const platform::FocusAndTop after =
            platform::afterDeletingOneByOne(goes, {nextFocused(-1), top_}, wholeRows());
        const int32_t focus = after.focus;
        top_ = after.top;
        size_t kept = 0;
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (goes[i]) continue;
            if (kept != i) rows_[kept] = std::move(rows_[i]);
            ++kept;
        }
        rows_.resize(kept);
        for (auto& r : rows_)
            r.state.focused = false;
        if (focus >= 0) rows_[size_t(focus)].state.focused = true;
    }
    void deleteAllRows() override {
        rows_.clear();
        top_ = 0;
    }
    void setRedraw(bool) override {} // nothing is drawn here

    bool isSelected(int32_t row) const override { return has(row) && rows_[size_t(row)].state.selected; }
    void setSelected(int32_t row, bool selected) override {
        if (has(row)) rows_[size_t(row)].state.selected = selected;
    }

    int32_t nextFocused(int32_t after) const override {
        return next(after, [](const Row& r) { return r.state.focused; });
    }
    int32_t nextSelected(int32_t after) const override {
        return next(after, [](const Row& r) { return r.state.selected; });
    }

    // The client area's right and bottom edges still count, as they do for the desktop's list view.
    HitTest hitTest(Point p) const override {
        if (p.x < 0 || p.x > clientWidth() || p.y < kHeaderHeight || p.y > clientHeight()) return {};
        const int32_t row = top_ + (p.y - kHeaderHeight) / kRowHeight;
        if (!has(row)) return {};
        const int32_t rowWidth = std::accumulate(widths_.begin(), widths_.end(), 0);
        if (p.x >= rowWidth) return {};
        // With whole rows selectable the desktop's control answers "on the label" for the whole row but
        // the icon, whatever the columns' widths.
        const bool onIcon = p.x >= kIconLeft && p.x < kLabelLeft;
        return {row, onIcon ? RowPart::Icon : RowPart::Label};
    }

    bool sortRows(const std::function<int(int32_t, int32_t)>& compare) override {
        // The comparator reads the rows where they stand; they move only once the order is known.
        std::vector<int32_t> order(rows_.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return compare(a, b) < 0; });
        std::vector<Row> sorted;
        sorted.reserve(rows_.size());
        for (int32_t i : order)
            sorted.push_back(std::move(rows_[size_t(i)]));
        rows_ = std::move(sorted);
        return true;
    }

    int32_t columnWidth(int32_t column) const override {
        return column >= 0 && size_t(column) < widths_.size() ? widths_[size_t(column)] : 0;
    }

    Point cursorOnScreen() const override { return desk().cursor; }
    Point windowOrigin() const override {
        return {kParentOnScreen.x + setup_.x, kParentOnScreen.y + setup_.y};
    }
    Point parentToScreen(Point p) const override {
        return {p.x + kParentOnScreen.x, p.y + kParentOnScreen.y};
    }
    Point screenToList(Point p) const override {
        const Point origin = clientOrigin();
        return {p.x - origin.x, p.y - origin.y};
    }

    void showContextMenu(Point) override { menuShown_ = true; }

    // Nothing is drawn here: a drag is only a state the driver can ask about.
    void beginDrag(const std::vector<int32_t>&, Point) override { dragging_ = true; }
    void moveDrag(Point) override {}
    void endDrag() override { dragging_ = false; }

    // --- What the driver does as the user. ---

    std::vector<headless::ListViewRow> rows() const {
        std::vector<headless::ListViewRow> seen;
        for (const auto& r : rows_)
            seen.push_back({r.image, r.state.selected, r.state.focused, r.texts[0], r.texts[1]});
        return seen;
    }
    const std::vector<int32_t>& widths() const { return widths_; }
    // The window is destroyed by someone else (its page going first): what is left answers as a control
    // without a window does, with no rows and no column widths.
    int32_t parentWindow() const { return setup_.parentWindow; }
    void windowGone() {
        window_ = 0;
        rows_.clear();
        top_ = 0;
        std::fill(widths_.begin(), widths_.end(), 0);
        dragging_ = false;
    }

    bool setWidth(int32_t column, int32_t width) {
        if (column < 0 || size_t(column) >= widths_.size() || width < 0) return false;
        widths_[size_t(column)] = width;
        return true;
    }

    // Scrolls as little as brings the whole row into view (to the top from above, to the last whole
    // line from below), as LVM_ENSUREVISIBLE does.
    void show(int32_t row) { showAmong(row, rowCount()); }
    // Brings a row of a list of `count` rows into view.
    void showAmong(int32_t row, int32_t count) {
        if (row < 0 || row >= count) return;
        if (row < top_)
            top_ = row;
        else if (row >= top_ + wholeRows())
            top_ = row - wholeRows() + 1;
        top_ = std::clamp(top_, 0, std::max(count - wholeRows(), 0));
    }
    int32_t topRow() const { return top_; }

    // The middle of a row's label (or of its icon) in list coordinates, where the row is now. The
    // label's rectangle ends with the first column, before its start when the column is narrower than
    // the icon: its middle then lies on the icon.
    Point rowPoint(int32_t row, bool onIcon) const {
        return {onIcon ? (kIconLeft + kLabelLeft) / 2 : (kLabelLeft + firstColumnWidth()) / 2,
                kHeaderHeight + (row - top_) * kRowHeight + kRowHeight / 2};
    }
    int32_t firstColumnWidth() const { return widths_.empty() ? 0 : widths_[0]; }
    // Below the last row, which the view is scrolled to first, or at the bottom of the view if no
    // space is left there.
    Point emptyPoint() {
        show(rowCount() - 1);
        const int32_t belowRows = kHeaderHeight + (rowCount() - top_) * kRowHeight + 4;
        return {std::min(24, clientWidth() / 2), std::min(belowRows, clientHeight() - 4)};
    }
    Point listToParent(Point p) const { return {p.x + setup_.x + kClientEdge, p.y + setup_.y + kClientEdge}; }

    // As the desktop's list view: a click on a row makes it the only selected and the focused row; a
    // click below the rows clears the selection and leaves the focus where it was.
    void click(int32_t row) {
        show(has(row) ? row : rowCount() - 1);
        for (auto& r : rows_)
            r.state = RowState{false, has(row) ? false : r.state.focused};
        if (has(row)) rows_[size_t(row)].state = RowState{true, true};
        headless::deliver([&] { events_.onClick(); });
    }

    // The focused row, the last one chosen, comes into view.
    bool select(const std::vector<int32_t>& chosen) {
        for (int32_t row : chosen)
            if (!has(row)) return false;
        for (auto& r : rows_)
            r.state = RowState{};
        for (int32_t row : chosen)
            rows_[size_t(row)].state.selected = true;
        if (!chosen.empty()) {
            rows_[size_t(chosen.back())].state.focused = true;
            show(chosen.back());
        }
        return true;
    }

    bool rightClick(int32_t row, int32_t choose, std::vector<std::string>& menuItems) {
        menuItems.clear();
        if (row >= 0 && !has(row)) return false;
        if (row >= 0) show(row);
        const Point listPoint = row >= 0 ? rowPoint(row, false) : emptyPoint();
        const Point origin = clientOrigin();
        desk().cursor = {origin.x + listPoint.x, origin.y + listPoint.y};
        // The right button focuses the row under it, which becomes the only selected row unless it was
        // selected already; below the rows it clears the selection.
        if (row < 0) {
            for (auto& r : rows_)
                r.state.selected = false;
        } else {
            const bool wasSelected = rows_[size_t(row)].state.selected;
            for (auto& r : rows_)
                r.state = RowState{wasSelected && r.state.selected, false};
            rows_[size_t(row)].state = RowState{true, true};
        }
        menuShown_ = false;
        headless::deliver([&] { events_.onRightClick(); });
        if (!menuShown_) return true;
        menuShown_ = false;
        try {
            for (const auto& item : contextMenu())
                menuItems.push_back(item.second);
        } catch (...) {
            menuItems.clear(); // a desktop out of memory shows no menu, and no command comes from it
            return true;
        }
        if (choose >= 0 && size_t(choose) < contextMenu().size())
            headless::deliver([&] { events_.onMenuCommand(contextMenu()[size_t(choose)].first); });
        return true;
    }

    bool editLabel(int32_t row, const std::optional<std::string>& text) {
        if (!has(row)) return false;
        show(row);
        // Editing a label makes its row the only selected one, and the focused one.
        for (auto& r : rows_)
            r.state = RowState{};
        rows_[size_t(row)].state = RowState{true, true};
        headless::deliver([&] { events_.onBeginLabelEdit(row, 0); });
        headless::deliver([&] { events_.onEndLabelEdit(row, 0, text ? text->c_str() : nullptr); });
        return true;
    }

    // The button goes down on the first selected row; the list is scrolled to the target (with the
    // wheel) before the button comes up on it.
    bool dragOnto(int32_t target, bool onIcon) {
        const int32_t first = nextSelected(-1);
        if (first < 0 || !has(target)) return false;
        show(first);
        headless::deliver([&] { events_.onBeginDrag(rowPoint(first, false)); });
        show(target);
        const Point drop = listToParent(rowPoint(target, onIcon));
        headless::deliver([&] { events_.onPointerMove(drop); });
        headless::deliver([&] { events_.onButtonUp(drop); });
        return true;
    }

    bool dragging() const { return dragging_; }
    platform::ListViewEvents& events() { return events_; }

private:
    bool has(int32_t row) const { return row >= 0 && size_t(row) < rows_.size(); }

    Point clientOrigin() const {
        const Point window = windowOrigin();
        return {window.x + kClientEdge, window.y + kClientEdge};
    }
    int32_t clientHeight() const { return std::max(setup_.height - 2 * kClientEdge, 0); }
    // Rows wholly in view: at least one, as the control scrolls by at least one row.
    int32_t wholeRows() const { return std::max((clientHeight() - kHeaderHeight) / kRowHeight, 1); }
    int32_t lastTop() const { return std::max(rowCount() - wholeRows(), 0); }
    int32_t clientWidth() const {
        const int32_t bar = rowCount() > wholeRows() ? kScrollBarWidth : 0;
        return std::max(setup_.width - 2 * kClientEdge - bar, 0);
    }

    template <class Which> int32_t next(int32_t after, Which which) const {
        for (size_t i = after < 0 ? 0 : size_t(after) + 1; i < rows_.size(); ++i)
            if (which(rows_[i])) return int32_t(i);
        return -1;
    }

    static inline int32_t nextWindow_ = 0x5000;

    platform::ListViewSetup setup_;
    platform::ListViewEvents& events_;
    int32_t window_ = nextWindow_++;
    // Side by side, so that going through the rows' states reads memory in order; a row inserted or
    // deleted moves the rows after it (a few words each, their texts staying where they are).
    std::vector<Row> rows_;
    int32_t top_ = 0; // the row at the top of the view
    std::vector<int32_t> widths_;
    bool menuShown_ = false;
    bool dragging_ = false;
};

HeadlessListView* newest() {
    const auto& views = desk().views;
    return views.empty() ? nullptr : views.back();
}

} // namespace

namespace platform {

std::unique_ptr<ListViewControl> createListView(const ListViewSetup& setup, ListViewEvents& events) {
    if (setup.parentWindow == 0) return nullptr; // a child window needs its parent
    return std::make_unique<HeadlessListView>(setup, events);
}

bool copyTextToClipboard(std::string_view text) {
    if (desk().clipboardHeld) return false;
    desk().clipboard = std::string(text);
    return true;
}

} // namespace platform

namespace headless {

bool listViewExists() {
    return newest() != nullptr;
}

int32_t listViewWindow() {
    return newest() ? newest()->window() : 0;
}

std::vector<ListViewRow> listViewRows() {
    return newest() ? newest()->rows() : std::vector<ListViewRow>{};
}

std::vector<int32_t> listViewColumnWidths() {
    return newest() ? newest()->widths() : std::vector<int32_t>{};
}

bool destroyListViewWindow() {
    if (!newest() || !newest()->window()) return false;
    newest()->windowGone();
    return true;
}

void destroyChildWindowsOf(int32_t parent) {
    for (HeadlessListView* view : desk().views)
        if (view->window() && view->parentWindow() == parent) view->windowGone();
}

bool setListViewColumnWidth(int32_t column, int32_t width) {
    return newest() && newest()->setWidth(column, width);
}

int32_t listViewTopRow() {
    return newest() ? newest()->topRow() : 0;
}

bool showListRow(int32_t row) {
    if (!newest() || row < 0 || row >= newest()->rowCount()) return false;
    newest()->show(row);
    return true;
}

bool clickListRow(int32_t row) {
    if (!newest() || row >= newest()->rowCount()) return false;
    newest()->click(row);
    return true;
}

bool selectListRows(const std::vector<int32_t>& rows) {
    return newest() && newest()->select(rows);
}

bool rightClickListRow(int32_t row, int32_t choose, std::vector<std::string>& menuItems) {
    return newest() && newest()->rightClick(row, choose, menuItems);
}

bool clickListColumn(int32_t column) {
    if (!newest() || column < 0 || size_t(column) >= newest()->widths().size()) return false;
    headless::deliver([&] { newest()->events().onColumnClick(column); });
    return true;
}

bool editListLabel(int32_t row, const std::optional<std::string>& text) {
    return newest() && newest()->editLabel(row, text);
}

bool dragListRowsOnto(int32_t target, bool onIcon) {
    return newest() && newest()->dragOnto(target, onIcon);
}

bool listViewDragging() {
    return newest() && newest()->dragging();
}

std::optional<std::string> clipboardText() {
    return desk().clipboard;
}

void holdClipboard(bool held) {
    desk().clipboardHeld = held;
}

void resetListViews() {
    Desk& d = desk();
    d.clipboard.reset();
    d.clipboardHeld = false;
    d.cursor = {};
    // The list's memory, made when the plug-in's first list view came, goes with the plug-in.
    if (d.views.empty()) std::vector<HeadlessListView*>().swap(d.views);
}

} // namespace headless

} // namespace brio
