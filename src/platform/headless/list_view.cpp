// The headless list view: rows in memory, laid out as a report view would draw them, so that hit tests,
// the pointer and the context menu behave as on the desktop; and the clipboard. The driver plays the
// user on the newest list view.
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

// Every page window's client area starts here on the screen; rows are drawn below a header.
constexpr Point kParentOnScreen{100, 100};
constexpr int32_t kHeaderHeight = 20;
constexpr int32_t kRowHeight = 16;
constexpr int32_t kIconWidth = 16;

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
                r->state.focused = false;
        Row row{image, state, {std::string(text), std::string()}};
        rows_.insert(rows_.begin() + std::ptrdiff_t(position), std::make_unique<Row>(std::move(row)));
        return int32_t(position);
    }

    void setText(int32_t row, int32_t column, std::string_view text) override {
        if (has(row) && (column == 0 || column == 1)) rows_[size_t(row)]->texts[column] = std::string(text);
    }

    std::string text(int32_t row, int32_t column, size_t bufferSize) const override {
        if (!has(row) || (column != 0 && column != 1)) return {};
        return cut(rows_[size_t(row)]->texts[column], bufferSize);
    }

    platform::RowRead readRow(int32_t row, size_t bufferSize) const override {
        if (!has(row)) return {};
        const Row& r = *rows_[size_t(row)];
        return {r.image, r.state, cut(r.texts[0], bufferSize)};
    }

    // As the desktop's list view: when the focused row goes, the row that takes its place (or the new
    // last row) gets the focus.
    void deleteRow(int32_t row) override {
        if (!has(row)) return;
        const bool focused = rows_[size_t(row)]->state.focused;
        rows_.erase(rows_.begin() + row);
        if (focused && !rows_.empty()) rows_[std::min(size_t(row), rows_.size() - 1)]->state.focused = true;
    }
    // One pass that keeps the rows that stay: erasing them one by one would move the rows after each.
    void deleteRows(const std::vector<int32_t>& doomed) override {
        std::vector<bool> goes(rows_.size(), false);
        for (int32_t row : doomed)
            if (has(row)) goes[size_t(row)] = true;
        bool focusLost = false;
        size_t kept = 0, focusAt = SIZE_MAX;
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (goes[i]) {
                focusLost = focusLost || rows_[i]->state.focused;
                continue;
            }
            if (focusLost && focusAt == SIZE_MAX) focusAt = kept;
            if (kept != i) rows_[kept] = std::move(rows_[i]);
            ++kept;
        }
        rows_.resize(kept);
        if (focusLost && !rows_.empty()) rows_[std::min(focusAt, rows_.size() - 1)]->state.focused = true;
    }
    void deleteAllRows() override { rows_.clear(); }
    void setRedraw(bool) override {} // nothing is drawn here

    bool isSelected(int32_t row) const override { return has(row) && rows_[size_t(row)]->state.selected; }

    int32_t nextFocused(int32_t after) const override {
        return next(after, [](const Row& r) { return r.state.focused; });
    }
    int32_t nextSelected(int32_t after) const override {
        return next(after, [](const Row& r) { return r.state.selected; });
    }

    HitTest hitTest(Point p) const override {
        if (p.x < 0 || p.x >= setup_.width || p.y < kHeaderHeight || p.y >= setup_.height) return {};
        const int32_t row = (p.y - kHeaderHeight) / kRowHeight;
        if (!has(row)) return {};
        const int32_t rowWidth = std::accumulate(widths_.begin(), widths_.end(), 0);
        if (p.x >= rowWidth) return {};
        // With whole rows selectable, every column to the right of the icon counts as the label.
        return {row, p.x < kIconWidth ? RowPart::Icon : RowPart::Label};
    }

    void sortRows(const std::function<int(int32_t, int32_t)>& compare) override {
        // The comparator reads the rows where they stand; they move only once the order is known.
        std::vector<int32_t> order(rows_.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return compare(a, b) < 0; });
        std::vector<std::unique_ptr<Row>> sorted;
        sorted.reserve(rows_.size());
        for (int32_t i : order)
            sorted.push_back(std::move(rows_[size_t(i)]));
        rows_ = std::move(sorted);
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
        const Point origin = windowOrigin();
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
            seen.push_back({r->image, r->state.selected, r->state.focused, r->texts[0], r->texts[1]});
        return seen;
    }
    const std::vector<int32_t>& widths() const { return widths_; }
    // The window is destroyed by someone else (its page going first): what is left answers as a control
    // without a window does, with no rows and no column widths.
    int32_t parentWindow() const { return setup_.parentWindow; }
    void windowGone() {
        window_ = 0;
        rows_.clear();
        std::fill(widths_.begin(), widths_.end(), 0);
        dragging_ = false;
    }

    bool setWidth(int32_t column, int32_t width) {
        if (column < 0 || size_t(column) >= widths_.size() || width < 0) return false;
        widths_[size_t(column)] = width;
        return true;
    }

    // The middle of a row's label (or of its icon) in list coordinates.
    Point rowPoint(int32_t row, bool onIcon) const {
        return {onIcon ? kIconWidth / 2 : kIconWidth + 8, kHeaderHeight + row * kRowHeight + kRowHeight / 2};
    }
    Point listToParent(Point p) const { return {p.x + setup_.x, p.y + setup_.y}; }

    // As the desktop's list view: a click on a row makes it the only selected and the focused row; a
    // click below the rows clears the selection and leaves the focus where it was.
    void click(int32_t row) {
        for (auto& r : rows_)
            r->state = RowState{false, has(row) ? false : r->state.focused};
        if (has(row)) rows_[size_t(row)]->state = RowState{true, true};
        events_.onClick();
    }

    bool select(const std::vector<int32_t>& chosen) {
        for (int32_t row : chosen)
            if (!has(row)) return false;
        for (auto& r : rows_)
            r->state = RowState{};
        for (int32_t row : chosen)
            rows_[size_t(row)]->state.selected = true;
        if (!chosen.empty()) rows_[size_t(chosen.back())]->state.focused = true;
        return true;
    }

    bool rightClick(int32_t row, int32_t choose, std::vector<std::string>& menuItems) {
        menuItems.clear();
        if (row >= 0 && !has(row)) return false;
        const Point listPoint = row >= 0 ? rowPoint(row, false) : Point{kIconWidth + 8, setup_.height - 4};
        const Point origin = windowOrigin();
        desk().cursor = {origin.x + listPoint.x, origin.y + listPoint.y};
        // The right button focuses the row under it, which becomes the only selected row unless it was
        // selected already; below the rows it clears the selection.
        if (row < 0) {
            for (auto& r : rows_)
                r->state.selected = false;
        } else {
            const bool wasSelected = rows_[size_t(row)]->state.selected;
            for (auto& r : rows_)
                r->state = RowState{wasSelected && r->state.selected, false};
            rows_[size_t(row)]->state = RowState{true, true};
        }
        menuShown_ = false;
        events_.onRightClick();
        if (!menuShown_) return true;
        menuShown_ = false;
        for (const auto& item : contextMenu())
            menuItems.push_back(item.second);
        if (choose >= 0 && size_t(choose) < contextMenu().size())
            events_.onMenuCommand(contextMenu()[size_t(choose)].first);
        return true;
    }

    bool editLabel(int32_t row, const std::optional<std::string>& text) {
        if (!has(row)) return false;
        // Editing a label makes its row the only selected one, and the focused one.
        for (auto& r : rows_)
            r->state = RowState{};
        rows_[size_t(row)]->state = RowState{true, true};
        events_.onBeginLabelEdit(row, 0);
        events_.onEndLabelEdit(row, 0, text ? text->c_str() : nullptr);
        return true;
    }

    bool dragOnto(int32_t target, bool onIcon) {
        const int32_t first = nextSelected(-1);
        if (first < 0 || !has(target)) return false;
        events_.onBeginDrag(rowPoint(first, false));
        const Point drop = listToParent(rowPoint(target, onIcon));
        events_.onPointerMove(drop);
        events_.onButtonUp(drop);
        return true;
    }

    bool dragging() const { return dragging_; }
    platform::ListViewEvents& events() { return events_; }

private:
    bool has(int32_t row) const { return row >= 0 && size_t(row) < rows_.size(); }

    template <class Which> int32_t next(int32_t after, Which which) const {
        for (size_t i = after < 0 ? 0 : size_t(after) + 1; i < rows_.size(); ++i)
            if (which(*rows_[i])) return int32_t(i);
        return -1;
    }

    static inline int32_t nextWindow_ = 0x5000;

    platform::ListViewSetup setup_;
    platform::ListViewEvents& events_;
    int32_t window_ = nextWindow_++;
    // By pointer, as the desktop's list view keeps them: a row inserted or deleted moves pointers.
    std::vector<std::unique_ptr<Row>> rows_;
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
    newest()->events().onColumnClick(column);
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
}

} // namespace headless

} // namespace brio
