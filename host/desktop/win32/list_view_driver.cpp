// The plug-in's list view is the real control: the driver does to it and sends for it what the control
// does and sends when a person works it, and answers its context menu with keys through the thread's
// hook.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "host/desktop/win32/win32_driver.h"

namespace brio::host::win32 {

namespace {

constexpr const char* kListViewClass = "SysListView32";

POINT centreOf(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A part of a row, in list coordinates (LVIR_LABEL, LVIR_ICON or LVIR_BOUNDS).
std::optional<RECT> rowRect(HWND list, int32_t row, int part) {
    RECT r{};
    r.left = part;
    if (!SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)))
        return {};
    return r;
}

int32_t rowCountOf(HWND list) {
    return static_cast<int32_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

int32_t columnCountOf(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int32_t>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

// A cell's whole text: the buffer grows until the text fits.
std::string cellText(HWND list, int32_t row, int32_t column) {
    constexpr size_t kLargest = size_t{1} << 20;
    for (size_t size = 256;; size *= 2) {
        std::vector<char> buffer(size, '\0');
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        if (!item.pszText) return {};
        // A text cut to the buffer may fill it without a terminator (Wine's A messages).
        const size_t length = strnlen(item.pszText, size - 1);
        if (length + 1 < size || size >= kLargest) return std::string(item.pszText, length);
    }
}

// A menu item's text in code page 1250, as the plug-in's own texts are and as a Polish desktop's
// GetMenuStringA gives it; asked for in UTF-16, so the process's own code page (Wine's is 1252 here)
// does not matter.
std::string menuText(HMENU menu, UINT position) {
    const int length = GetMenuStringW(menu, position, nullptr, 0, MF_BYPOSITION);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetMenuStringW(menu, position, wide.data(), length + 1, MF_BYPOSITION);
    if (copied <= 0) return {};
    const int bytes = WideCharToMultiByte(1250, 0, wide.data(), copied, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(std::max(bytes, 0)), '\0');
    if (bytes > 0) WideCharToMultiByte(1250, 0, wide.data(), copied, text.data(), bytes, nullptr, nullptr);
    return text;
}

// A person scrolls a row wholly into view before pointing at it.
void showRow(HWND list, int32_t row) {
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void setRowState(HWND list, int32_t row, UINT mask, UINT state) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// What the list view tells its parent, as it tells it.
template <typename Notification> void notifyParent(HWND list, Notification& notification, UINT code) {
    notification.hdr.hwndFrom = list;
    notification.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    notification.hdr.code = code;
    SendMessageA(GetParent(list), WM_NOTIFY, notification.hdr.idFrom,
                 reinterpret_cast<LPARAM>(&notification));
}

// A key press as the keyboard would queue it; the menu loop acts on the key going down.
void postKey(HWND window, UINT key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(window, WM_KEYDOWN, key, scan | 1);
}

} // namespace

std::vector<ListRowSeen> Win32Driver::listViewRows() {
    std::vector<ListRowSeen> rows;
    HWND list = listView();
    if (!list) return rows;
    const int32_t count = rowCountOf(list);
    for (int32_t row = 0; row < count; ++row) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE | LVIF_STATE;
        item.iItem = row;
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        rows.push_back({item.iImage, (item.state & LVIS_SELECTED) != 0, (item.state & LVIS_FOCUSED) != 0,
                        cellText(list, row, 0), cellText(list, row, 1)});
    }
    return rows;
}

std::vector<int32_t> Win32Driver::listViewColumnWidths() {
    std::vector<int32_t> widths;
    HWND list = listView();
    const int32_t columns = list ? columnCountOf(list) : 0;
    for (int32_t column = 0; column < columns; ++column)
        widths.push_back(
            static_cast<int32_t>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0)));
    return widths;
}

bool Win32Driver::clickRow(int32_t row) {
    HWND list = listView();
    if (!list || row < -1 || row >= rowCountOf(list)) return false;
    // A plain click leaves only the clicked row selected and gives it the focus; below the rows it
    // only clears the selection (the focus stays where it was).
    if (row >= 0) showRow(list, row);
    setRowState(list, -1, LVIS_SELECTED, 0);
    POINT at{};
    if (row >= 0) {
        setRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageA(list, LVM_SETSELECTIONMARK, 0, row);
        at = centreOf(rowRect(list, row, LVIR_LABEL).value_or(RECT{}));
    } else {
        at = emptyPoint(list);
    }
    NMITEMACTIVATE click{};
    click.iItem = row;
    click.ptAction = at;
    notifyParent(list, click, NM_CLICK);
    return true;
}

bool Win32Driver::selectRows(const std::vector<int32_t>& rows) {
    HWND list = listView();
    if (!list) return false;
    const int32_t count = rowCountOf(list);
    if (std::any_of(rows.begin(), rows.end(), [&](int32_t row) { return row < 0 || row >= count; }))
        return false;
    setRowState(list, -1, LVIS_SELECTED | LVIS_FOCUSED, 0);
    for (int32_t row : rows)
        setRowState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    if (!rows.empty()) setRowState(list, rows.back(), LVIS_FOCUSED, LVIS_FOCUSED);
    return true;
}

bool Win32Driver::rightClickRow(int32_t row, int32_t choose, std::vector<std::string>& menuItems) {
    menuItems.clear();
    HWND list = listView();
    if (!list || row < -1 || row >= rowCountOf(list)) return false;
    // The right button focuses the row under it, which becomes the only selected row unless it was
    // selected already; below the rows it clears the selection (the focus stays).
    if (row >= 0) showRow(list, row);
    if (row < 0 ||
        !(SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED))
        setRowState(list, -1, LVIS_SELECTED, 0);
    if (row >= 0) setRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    POINT at = row >= 0 ? centreOf(rowRect(list, row, LVIR_LABEL).value_or(RECT{})) : emptyPoint(list);
    POINT onScreen = at;
    ClientToScreen(list, &onScreen);
    movePointer(list, onScreen);
    // A menu shown while the notification is handled is answered by the hook.
    menuChoice_ = choose;
    menuItems_ = &menuItems;
    NMITEMACTIVATE click{};
    click.iItem = row;
    click.ptAction = at;
    if (!watchingAlways_) watch(true);
    notifyParent(list, click, NM_RCLICK);
    if (!watchingAlways_) watch(false);
    menuItems_ = nullptr;
    menuChoice_ = -1;
    // The chosen command was posted to the page.
    deliverQueued(GetParent(list));
    return true;
}

bool Win32Driver::clickColumn(int32_t column) {
    HWND list = listView();
    if (!list || column < 0 || column >= columnCountOf(list)) return false;
    NMLISTVIEW click{};
    click.iItem = -1;
    click.iSubItem = column;
    notifyParent(list, click, LVN_COLUMNCLICK);
    return true;
}

bool Win32Driver::editLabel(int32_t row, const std::optional<std::string>& text) {
    HWND list = listView();
    if (!list || row < 0 || row >= rowCountOf(list)) return false;
    SetFocus(list);
    showRow(list, row);
    // The control asks its parent (LVN_BEGINLABELEDITA) and opens its edit box on the label.
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, static_cast<WPARAM>(row), 0));
    if (!edit) return false;
    if (text) SetWindowTextA(edit, text->c_str());
    // Enter keeps the typed text, Escape cancels; either way the control ends the edit and tells its
    // parent (LVN_ENDLABELEDITA).
    SendMessageA(edit, WM_KEYDOWN, text ? VK_RETURN : VK_ESCAPE, 0);
    if (IsWindow(edit)) {
        if (text)
            SetFocus(list); // losing the focus ends the edit with its text
        else
            SendMessageA(list, LVM_CANCELEDITLABEL, 0, 0);
    }
    deliverQueued(GetParent(list));
    return true;
}

bool Win32Driver::dragOnto(int32_t target, DropPart part) {
    HWND list = listView();
    if (!list || target < 0 || target >= rowCountOf(list)) return false;
    const auto first = static_cast<int32_t>(
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
    if (first < 0 || !dropPoint(list, target, part)) return false;
    // The button goes down on the first selected row's label and the pointer moves away; the list is
    // scrolled to the target (with the wheel) before the button comes up on it.
    showRow(list, first);
    NMLISTVIEW begin{};
    begin.iItem = first;
    begin.ptAction = centreOf(rowRect(list, first, LVIR_LABEL).value_or(RECT{}));
    notifyParent(list, begin, LVN_BEGINDRAG);
    showRow(list, target);
    const std::optional<POINT> drop = dropPoint(list, target, part);
    if (!drop) return false;
    // The page holds the mouse now: it hears the pointer and the button, in its own coordinates.
    HWND page = GetParent(list);
    POINT onScreen = *drop;
    ClientToScreen(list, &onScreen);
    movePointer(list, onScreen);
    POINT inPage = *drop;
    MapWindowPoints(list, page, &inPage, 1);
    const LPARAM where = MAKELPARAM(inPage.x, inPage.y);
    SendMessageA(page, WM_MOUSEMOVE, MK_LBUTTON, where);
    SendMessageA(page, WM_LBUTTONUP, 0, where);
    return true;
}

bool Win32Driver::setColumnWidth(int32_t column, int32_t width) {
    HWND list = listView();
    if (!list || column < 0 || column >= columnCountOf(list) || width < 0 || width > SHRT_MAX) return false;
    return SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
}

// The menu is taken from inside its own loop (see answerMenu), with the list under it.
PictureTaken Win32Driver::pictureMenu(int32_t row, const std::string& path) {
    HWND list = listView();
    if (!list) return {"no list view is shown (open page Lista)", {}};
    if (row < 0 || row >= rowCountOf(list)) return {"no row " + std::to_string(row), {}};
    // The menu is pictured over the list, so the page it is in comes on screen (pages are kept off it).
    HWND page = GetAncestor(list, GA_ROOT);
    ShowWindow(page, SW_SHOWNOACTIVATE);
    UpdateWindow(page);
    menuPicture_ = MenuPicture{path, list, nullptr, {"the plug-in showed no menu", {}}};
    std::vector<std::string> items;
    rightClickRow(row, -1, items);
    const PictureTaken taken = menuPicture_->taken;
    menuPicture_.reset();
    return taken;
}

// Records the menu's texts and picks the wanted item: Down once onto
// the first item and once more for each further one, then Enter. A menu nobody asked for is
// dismissed, since nobody is there to answer it.
void Win32Driver::answerMenu(HWND owner, HMENU menu) {
    if (menuPicture_ && !menuPicture_->owner) {
        // The menu is drawn once its loop runs: a timer fires inside the loop, after the painting.
        menuPicture_->owner = owner;
        if (!SetTimer(nullptr, 0, kMenuPictureDelayMs, menuPictureTick)) postKey(owner, VK_ESCAPE);
        return;
    }
    const int count = GetMenuItemCount(menu);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(menuText(menu, static_cast<UINT>(i)));
    const bool wanted = menuItems_ != nullptr;
    if (wanted) *menuItems_ = std::move(texts);
    if (!wanted || menuChoice_ < 0 || menuChoice_ >= count) {
        postKey(owner, VK_ESCAPE);
        return;
    }
    // Home selects the first item wherever the pointer left the menu's highlight; Down moves on.
    postKey(owner, VK_HOME);
    for (int i = 0; i < menuChoice_; ++i)
        postKey(owner, VK_DOWN);
    postKey(owner, VK_RETURN);
}

// The pointer's move reaches the windows under it as a message of its own, a moment after
// SetCursorPos, when the system's input has come through. It is let in at once, so that it cannot fall
// into a loop that starts afterwards (a menu's, whose highlight it would move) and every run goes alike.
void Win32Driver::movePointer(HWND list, POINT onScreen) {
    POINT now{};
    if (GetCursorPos(&now) && now.x == onScreen.x && now.y == onScreen.y) return; // no move, no message
    SetCursorPos(onScreen.x, onScreen.y);
    const DWORD start = GetTickCount();
    while (!(GetQueueStatus(QS_MOUSEMOVE) & (QS_MOUSEMOVE << 16)) && GetTickCount() - start < kPointerWaitMs)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_MOUSEMOVE);
    deliverQueued(list);
}

void CALLBACK Win32Driver::menuPictureTick(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!activeDriver || !activeDriver->menuPicture_) return;
    MenuPicture& picture = *activeDriver->menuPicture_;
    HWND menuWindow = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findShownMenu, reinterpret_cast<LPARAM>(&menuWindow));
    RECT list{}, shown{}, both{};
    if (menuWindow && GetWindowRect(picture.list, &list) && GetWindowRect(menuWindow, &shown)) {
        UnionRect(&both, &list, &shown);
        picture.taken = pictureOfArea(both, picture.path);
    }
    postKey(picture.owner, VK_ESCAPE);
}

BOOL CALLBACK Win32Driver::findShownMenu(HWND window, LPARAM found) {
    if (!hasClass(window, "#32768") || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The plug-in's list view: the list view child of the newest open page that has one.
HWND Win32Driver::listView() {
    std::erase_if(pages_, [](HWND page) { return !IsWindow(page); });
    for (auto page = pages_.rbegin(); page != pages_.rend(); ++page)
        if (HWND list = FindWindowExA(*page, nullptr, kListViewClass, nullptr)) return list;
    return nullptr;
}

// A point below the last row (or at the top when there are none), where a click hits no row: the
// list is scrolled to its end first.
POINT Win32Driver::emptyPoint(HWND list) {
    const int32_t count = rowCountOf(list);
    if (count > 0) showRow(list, count - 1);
    RECT client{};
    GetClientRect(list, &client);
    POINT at{std::min<LONG>(24, client.right / 2), client.bottom - 4};
    if (const auto last = count > 0 ? rowRect(list, count - 1, LVIR_BOUNDS) : std::nullopt)
        at.y = std::min<LONG>(last->bottom + 4, at.y);
    else if (const auto header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0))) {
        RECT headerRect{};
        GetWindowRect(header, &headerRect);
        at.y = std::min<LONG>(headerRect.bottom - headerRect.top + 4, at.y);
    }
    return at;
}

// Where the pointer is let go on a row, in list coordinates. A state icon is shown only when the
// control has state images: it lies left of the row's icon.
std::optional<POINT> Win32Driver::dropPoint(HWND list, int32_t row, DropPart part) {
    switch (part) {
    case DropPart::Label:
        if (const auto r = rowRect(list, row, LVIR_LABEL)) return centreOf(*r);
        return {};
    case DropPart::Icon:
        if (const auto r = rowRect(list, row, LVIR_ICON)) return centreOf(*r);
        return {};
    case DropPart::StateIcon: {
        const auto states =
            reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_STATE, 0));
        int width = 0, height = 0;
        if (!states || !ImageList_GetIconSize(states, &width, &height) || width <= 0) return {};
        const auto icon = rowRect(list, row, LVIR_ICON);
        if (!icon) return {};
        return POINT{icon->left - width / 2, (icon->top + icon->bottom) / 2};
    }
    }
    return {};
}

} // namespace brio::host::win32
