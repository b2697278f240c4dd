// The list view control: comctl32's "SysListView32" in the host's page window. The page window's
// procedure is replaced by ours, which finds the control through the window property "LIST_POINTER"
// and turns the page's messages into the editor's events. Texts are code page 1250 bytes, so only the
// A messages are used. The rows' messages, the drag image and the refill after many deletions have
// files of their own.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/list_view.h"
#include "platform/win32/list_view_drag.h"
#include "platform/win32/list_view_refill.h"
#include "platform/win32/list_view_rows.h"

namespace brio::platform {

namespace {

constexpr const char* kControlProperty = "LIST_POINTER";
// The page's own procedure, kept on the page itself: our procedure stays in the page's chain when
// another subclass was put on top of it, and must still find where to pass messages after the
// control is gone.
constexpr const char* kPreviousProperty = "BRIO_LIST_PREVIOUS_PROC";

constexpr int kMenuResource = 101;
constexpr WORD kFirstMenuCommand = 40005;
constexpr WORD kLastMenuCommand = 40008;
constexpr DWORD kListStyle = 0x50000201; // WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_EDITLABELS

// Window handles and image lists are 32-bit values in this 32-bit process, as the host's records
// carry them.
template <typename Handle> Handle fromInt(int32_t value) {
    return reinterpret_cast<Handle>(static_cast<intptr_t>(value));
}
template <typename Handle> int32_t toInt(Handle handle) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(handle));
}

Point pointFrom(LPARAM lParam) {
    // Signed: a captured pointer left of or above the window has negative coordinates.
    return {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
}

// Row positions in the comparator's order, equal rows keeping theirs: a merge sort, which stays in
// bounds whatever the comparator answers.
std::vector<int32_t> sortedPositions(int32_t count, const std::function<int(int32_t, int32_t)>& compare) {
    const auto n = static_cast<size_t>(std::max(count, 0));
    std::vector<int32_t> order(n), merged(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = static_cast<int32_t>(i);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t low = 0; low < n; low += 2 * width) {
            const size_t middle = std::min(low + width, n), high = std::min(low + 2 * width, n);
            size_t left = low, right = middle, out = low;
            while (left < middle && right < high)
                merged[out++] = compare(order[right], order[left]) < 0 ? order[right++] : order[left++];
            while (left < middle)
                merged[out++] = order[left++];
            while (right < high)
                merged[out++] = order[right++];
        }
        order.swap(merged);
    }
    return order;
}

LRESULT CALLBACK pageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
class Win32ListView;

// The page procedure runs for every message of the page and needs both properties each time; reading a
// window property can cost a call into the system (under Wine, a trip to its server process), so what
// they held is kept here for the page last asked about. The properties stay the record: whatever sets or
// removes one forgets this, and so does the page's end (its handle may come back on another window).
struct PageProperties {
    HWND page = nullptr;
    WNDPROC previous = nullptr;
    Win32ListView* control = nullptr;
};
PageProperties knownPage;

PageProperties propertiesOf(HWND page) {
    if (knownPage.page != page)
        knownPage = {page, reinterpret_cast<WNDPROC>(GetPropA(page, kPreviousProperty)),
                     static_cast<Win32ListView*>(GetPropA(page, kControlProperty))};
    return knownPage;
}

void forgetProperties() {
    knownPage = {};
}

class Win32ListView final : public ListViewControl {
public:
    Win32ListView(const ListViewSetup& setup, ListViewEvents& events, HWND page, HWND list)
        : events_(events), instance_(static_cast<HINSTANCE>(setup.instance)), page_(page), list_(list),
          columns_(static_cast<int32_t>(setup.columns.size())) {}

    ~Win32ListView() override {
        endDrag();
        detach();
        if (list_) {
            // Without LVS_SHAREIMAGELISTS the control would destroy the image list with itself;
            // it is ours, so take it back first and destroy it once, below.
            SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
            DestroyWindow(list_);
        }
        if (images_) ImageList_Destroy(images_);
    }

    Win32ListView(const Win32ListView&) = delete;
    Win32ListView& operator=(const Win32ListView&) = delete;

    // Set-up that needs the object: the image list, then the page's procedure.
    bool attach(HIMAGELIST hostImages) {
        if (hostImages) images_ = ImageList_Duplicate(hostImages);
        if (images_) SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
        // The page is subclassed once: a later control in the same page reuses our procedure.
        if (!GetPropA(page_, kPreviousProperty)) {
            const LONG previous = GetWindowLongA(page_, GWL_WNDPROC);
            if (!previous || !SetPropA(page_, kPreviousProperty, reinterpret_cast<HANDLE>(previous)))
                return false;
            SetWindowLongA(page_, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<intptr_t>(pageProcedure)));
        }
        forgetProperties();
        return SetPropA(page_, kControlProperty, this) != 0;
    }

    // Our answer to one of the page's messages, or none to pass it on unchanged.
    std::optional<LRESULT> handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_NOTIFY:
            if (!lParam) break;
            return notified(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND:
            if (lParam == 0 && HIWORD(wParam) == 0 && LOWORD(wParam) >= kFirstMenuCommand &&
                LOWORD(wParam) <= kLastMenuCommand)
                events_.onMenuCommand(LOWORD(wParam));
            break;
        case WM_MOUSEMOVE:
            events_.onPointerMove(pointFrom(lParam));
            break;
        case WM_LBUTTONUP:
            events_.onButtonUp(pointFrom(lParam));
            break;
        case WM_PARENTNOTIFY:
            if (LOWORD(wParam) == WM_DESTROY && reinterpret_cast<HWND>(lParam) == list_) listGone();
            break;
        case WM_DESTROY:
            // The page goes first, taking the list view with it.
            listGone();
            break;
        case WM_NCDESTROY:
            detach();
            break;
        }
        return std::nullopt;
    }

    int32_t window() const override { return toInt(list_); }

    int32_t rowCount() const override { return win32::rowCountOf(list_); }

    int32_t insertRow(int32_t at, int32_t image, std::string_view text, RowState state) override {
        return win32::insertRow(list_, at, image, text, state);
    }

    void setText(int32_t row, int32_t column, std::string_view text) override {
        if (hasCell(row, column)) win32::setText(list_, row, column, text);
    }

    std::string text(int32_t row, int32_t column, size_t bufferSize) const override {
        if (!hasCell(row, column) || bufferSize == 0) return {};
        return win32::readText(list_, row, column, win32::textCapacity(bufferSize));
    }

    RowRead readRow(int32_t row, size_t bufferSize) const override {
        if (!hasCell(row, 0)) return {};
        std::vector<char> buffer(std::max(win32::textCapacity(bufferSize), 1), '\0');
        LVITEMA item{};
        item.mask = LVIF_IMAGE | LVIF_STATE | LVIF_TEXT;
        item.iItem = row;
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.pszText = buffer.data();
        item.cchTextMax = win32::textCapacity(bufferSize);
        if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return {};
        RowRead read;
        read.image = item.iImage;
        read.state.selected = (item.state & LVIS_SELECTED) != 0;
        read.state.focused = (item.state & LVIS_FOCUSED) != 0;
        if (bufferSize > 0) read.text = win32::received(item.pszText, buffer);
        return read;
    }

    void deleteRow(int32_t row) override {
        if (hasCell(row, 0)) SendMessageA(list_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }

    // A few rows are deleted one by one from the last, so that no row of the list moves before it is
    // deleted, and the control hands the focus on as each goes; many by a refill, which leaves the
    // focus and the view where that would have.
    void deleteRows(const std::vector<int32_t>& rows) override {
        const int32_t count = rowCount();
        std::vector<bool> goes(static_cast<size_t>(count), false);
        size_t going = 0;
        for (int32_t row : rows)
            if (row >= 0 && row < count && !goes[static_cast<size_t>(row)]) {
                goes[static_cast<size_t>(row)] = true;
                ++going;
            }
        if (!win32::refillPays(going, static_cast<size_t>(count))) {
            for (auto row = rows.rbegin(); row != rows.rend(); ++row)
                deleteRow(*row);
            return;
        }
        scrollTo(win32::refillWithout(list_, columns_, goes));
    }

    void deleteAllRows() override {
        if (list_) SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    }

    void setRedraw(bool on) override {
        if (!list_) return;
        redrawing_ = on;
        SendMessageA(list_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
        if (on && pendingTop_ >= 0) scrollTo(std::exchange(pendingTop_, -1));
        if (on) InvalidateRect(list_, nullptr, TRUE);
    }

    bool isSelected(int32_t row) const override {
        return hasCell(row, 0) &&
               (SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) &
                LVIS_SELECTED);
    }

    void setSelected(int32_t row, bool selected) override {
        if (!hasCell(row, 0)) return;
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = selected ? LVIS_SELECTED : 0;
        SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }

    int32_t nextFocused(int32_t after) const override { return next(after, LVNI_FOCUSED); }
    int32_t nextSelected(int32_t after) const override { return next(after, LVNI_SELECTED); }

    HitTest hitTest(Point listPoint) const override {
        if (!list_) return {};
        LVHITTESTINFO info{};
        info.pt = {listPoint.x, listPoint.y};
        const auto row =
            static_cast<int32_t>(SendMessageA(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        if (row < 0 || info.iItem < 0) return {};
        if (info.flags & LVHT_ONITEMLABEL) return {row, RowPart::Label};
        if (info.flags & LVHT_ONITEMSTATEICON) return {row, RowPart::StateIcon};
        if (info.flags & LVHT_ONITEMICON) return {row, RowPart::Icon};
        return {row, RowPart::ElseOnRow};
    }

    // The order is worked out first, while no row moves, so the comparator's positions are where the
    // rows stand; the control then puts each row at its place. (During LVM_SORTITEMSEX Wine numbers
    // the rows by its working copy while the rows read back in their old order.)
    bool sortRows(const std::function<int(int32_t, int32_t)>& compare) override {
        if (!list_ || !compare) return false;
        std::vector<int32_t> order;
        try {
            order = sortedPositions(rowCount(), compare);
        } catch (...) {
            return false; // the rows stay as they were
        }
        for (size_t place = 0; place < order.size(); ++place) {
            LVITEMA item{};
            item.mask = LVIF_PARAM;
            item.iItem = order[place];
            item.lParam = static_cast<LPARAM>(place);
            SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        SendMessageA(list_, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(byPlace));
        return true;
    }

    int32_t columnWidth(int32_t column) const override {
        if (!list_ || column < 0 || column >= columns_) return 0;
        return static_cast<int32_t>(SendMessageA(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    }

    Point cursorOnScreen() const override {
        POINT p{};
        GetCursorPos(&p);
        return {p.x, p.y};
    }

    Point windowOrigin() const override {
        RECT r{};
        if (list_) GetWindowRect(list_, &r);
        return {r.left, r.top};
    }

    Point parentToScreen(Point parentPoint) const override {
        POINT p{parentPoint.x, parentPoint.y};
        if (page_) ClientToScreen(page_, &p);
        return {p.x, p.y};
    }

    Point screenToList(Point screenPoint) const override {
        POINT p{screenPoint.x, screenPoint.y};
        if (list_) ScreenToClient(list_, &p);
        return {p.x, p.y};
    }

    void showContextMenu(Point screenPoint) override {
        if (!page_) return;
        HMENU menu = LoadMenuA(instance_, MAKEINTRESOURCEA(kMenuResource));
        if (!menu) return;
        if (HMENU popup = GetSubMenu(menu, 0))
            TrackPopupMenu(popup, 0, screenPoint.x, screenPoint.y, 0, page_, nullptr);
        DestroyMenu(menu);
    }

    void beginDrag(const std::vector<int32_t>& rows, Point listStart) override {
        drag_.begin(list_, page_, rows, listStart);
    }

    void moveDrag(Point parentPoint) override { drag_.move(parentToScreen(parentPoint)); }

    void endDrag() override { drag_.end(); }

private:
    std::optional<LRESULT> notified(const NMHDR& header) {
        if (!list_ || header.hwndFrom != list_) return std::nullopt;
        switch (header.code) {
        case NM_CLICK:
            events_.onClick();
            break;
        case NM_RCLICK:
            events_.onRightClick();
            break;
        case LVN_COLUMNCLICK:
            events_.onColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            break;
        case LVN_BEGINLABELEDITA: {
            const auto& item = reinterpret_cast<const NMLVDISPINFOA&>(header).item;
            events_.onBeginLabelEdit(item.iItem, item.iSubItem);
            return FALSE; // editing is always allowed
        }
        case LVN_ENDLABELEDITA: {
            // The editor writes the accepted text itself; the control keeps what it shows.
            const auto& item = reinterpret_cast<const NMLVDISPINFOA&>(header).item;
            events_.onEndLabelEdit(item.iItem, item.iSubItem, item.pszText);
            return 0;
        }
        case LVN_BEGINDRAG: {
            const POINT& at = reinterpret_cast<const NMLISTVIEW&>(header).ptAction;
            events_.onBeginDrag({at.x, at.y});
            break;
        }
        }
        return std::nullopt;
    }

    static int CALLBACK byPlace(LPARAM first, LPARAM second, LPARAM) {
        return first < second ? -1 : first > second ? 1 : 0;
    }

    // Makes `top` the view's first whole row: the last row is shown first, so that showing `top` then
    // scrolls up to it. The control scrolls only while it redraws; until then the row is kept.
    void scrollTo(int32_t top) {
        if (!redrawing_) {
            pendingTop_ = top;
            return;
        }
        const int32_t count = rowCount();
        if (count == 0) return;
        SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
        SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(std::clamp(top, 0, count - 1)), FALSE);
    }

    bool hasCell(int32_t row, int32_t column) const {
        // Column 0 is the row's own text, there with or without column headers.
        return list_ && row >= 0 && row < rowCount() && column >= 0 && (column == 0 || column < columns_);
    }

    int32_t next(int32_t after, UINT which) const {
        if (!list_ || after >= rowCount()) return -1;
        if (after < -1) after = -1;
        const auto found = static_cast<int32_t>(
            SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(after), MAKELPARAM(which, 0)));
        // The focused row is answered wherever it is; only one after the start counts.
        return found > after ? found : -1;
    }

    // The list view is being destroyed by someone else (with its page): it would destroy our image
    // list with itself, so take it back; nothing of the window is used afterwards.
    void listGone() {
        if (!list_) return;
        endDrag();
        SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        list_ = nullptr;
    }

    // From now on no message of the page reaches this object; the page's own procedure is put back
    // while ours is the one installed (else ours stays in the chain and passes everything on).
    void detach() {
        if (!page_) return;
        if (GetPropA(page_, kControlProperty) == this) RemovePropA(page_, kControlProperty);
        const auto previous = reinterpret_cast<intptr_t>(GetPropA(page_, kPreviousProperty));
        if (previous && GetWindowLongA(page_, GWL_WNDPROC) == reinterpret_cast<intptr_t>(pageProcedure)) {
            SetWindowLongA(page_, GWL_WNDPROC, static_cast<LONG>(previous));
            RemovePropA(page_, kPreviousProperty);
        }
        forgetProperties();
        page_ = nullptr;
    }

    ListViewEvents& events_;
    HINSTANCE instance_;
    HWND page_;
    HWND list_;
    int32_t columns_;
    HIMAGELIST images_ = nullptr;
    win32::DragImage drag_;
    bool redrawing_ = true;
    int32_t pendingTop_ = -1; // the first whole row to show once the control redraws again
};

LRESULT CALLBACK pageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    const PageProperties properties = propertiesOf(page);
    if (properties.control) {
        // Nothing may be thrown into the host's message loop.
        try {
            if (const auto answer = properties.control->handle(message, wParam, lParam)) return *answer;
        } catch (...) {
        }
    }
    const LRESULT result = properties.previous
                               ? CallWindowProcA(properties.previous, page, message, wParam, lParam)
                               : DefWindowProcA(page, message, wParam, lParam);
    if (message == WM_NCDESTROY) forgetProperties();
    return result;
}

} // namespace

std::unique_ptr<ListViewControl> createListView(const ListViewSetup& setup, ListViewEvents& events) {
    HWND page = fromInt<HWND>(setup.parentWindow);
    if (!page || !IsWindow(page)) return nullptr;
    // One control per page at a time: the page's property names exactly one.
    if (GetPropA(page, kControlProperty)) return nullptr;
    HWND list =
        CreateWindowExA(WS_EX_CLIENTEDGE, "SysListView32", "", kListStyle, setup.x, setup.y, setup.width,
                        setup.height, page, reinterpret_cast<HMENU>(static_cast<intptr_t>(setup.controlId)),
                        static_cast<HINSTANCE>(setup.instance), nullptr);
    if (!list) return nullptr;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ~0u, setup.extendedStyle);
    int column = 0;
    for (const auto& c : setup.columns) {
        std::string title = c.title;
        LVCOLUMNA entry{};
        entry.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        entry.fmt = LVCFMT_LEFT;
        entry.cx = c.width;
        entry.pszText = title.data();
        entry.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry));
        ++column;
    }
    auto control = std::make_unique<Win32ListView>(setup, events, page, list);
    if (!control->attach(fromInt<HIMAGELIST>(setup.hostImageList))) return nullptr;
    return control;
}

} // namespace brio::platform
