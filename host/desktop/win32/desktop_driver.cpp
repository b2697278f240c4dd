// Windows: the plug-in's timers are real thread timers, so letting time pass means running this
// thread's message loop; its message boxes are real too, and a window hook answers each one with OK.
// The plug-in's list view is the real control: the driver does to it and sends for it what the control
// does and sends when a person works it, and answers its context menu with keys through the same hook.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <io.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "host/desktop/desktop_driver.h"
#include "host/desktop/win32/pictures.h"

namespace brio::host {

namespace {

// How much longer than asked the loop runs, so that a timer due exactly at the end of the interval,
// and started a moment late by the work around it, still fires in it, as it does on the virtual clock.
constexpr uint64_t kGraceMs = 100;

// A message box's text is the static control with this id; its icon is a static control with the
// icon style (its id differs between Windows and Wine).
constexpr int kMessageTextId = 0xFFFF;

std::string windowText(HWND window) {
    if (!window) return {};
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

bool hasClass(HWND window, const char* className) {
    char name[16] = {};
    return GetClassNameA(window, name, sizeof(name)) > 0 && lstrcmpiA(name, className) == 0;
}

struct BoxContents {
    bool onlyMessageBoxControls = true;
    HICON icon = nullptr;
};

// A message box holds only static controls and its answer buttons (IDOK to IDCONTINUE); the
// plug-in's own dialogs have radio buttons and edit fields, and are not answered here.
BOOL CALLBACK inspectChild(HWND child, LPARAM contentsAddress) {
    auto& contents = *reinterpret_cast<BoxContents*>(contentsAddress);
    const int id = GetDlgCtrlID(child);
    if (hasClass(child, "Static")) {
        const auto style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        if ((style & SS_TYPEMASK) == SS_ICON)
            contents.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return TRUE;
    }
    if (hasClass(child, "Button") && id >= IDOK && id <= IDCONTINUE) return TRUE;
    contents.onlyMessageBoxControls = false;
    return FALSE;
}

// The box shows one of the system's shared icons; which one tells the style it was asked for.
std::string iconName(HICON shown) {
    if (!shown) return "none";
    const std::pair<LPCSTR, const char*> known[] = {
        {IDI_WARNING, "warning"}, {IDI_ERROR, "error"}, {IDI_INFORMATION, "information"}};
    for (const auto& [id, name] : known)
        if (LoadIconA(nullptr, id) == shown) return name;
    return "unknown";
}

constexpr const char* kPageClass = "BrioHostPage";

// Page windows are plain windows: the plug-in puts its list view in them and subclasses them.
bool registerPageClass() {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExA(GetModuleHandleA(nullptr), kPageClass, &existing)) return true;
    WNDCLASSEXA pageClass{};
    pageClass.cbSize = sizeof(pageClass);
    pageClass.lpfnWndProc = DefWindowProcA;
    pageClass.hInstance = GetModuleHandleA(nullptr);
    pageClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    pageClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    pageClass.lpszClassName = kPageClass;
    return RegisterClassExA(&pageClass) != 0;
}

constexpr const char* kListViewClass = "SysListView32";

// Status images: solid squares, each of its own colour (0x00BBGGRR).
constexpr std::array<COLORREF, kStatusImages> kStatusColours = {
    0x0000C000, 0x0000C0C0, 0x000080FF, 0x000000FF, 0x00800080, 0x00808080, 0x00FF0000, 0x00000000};
constexpr int kStatusImageSize = 16;
constexpr int32_t kAvailableImage = 2; // the image of the first status, "available"

// A 16 x 16 icon of one colour, from icon resource bits (colour rows, then an all-opaque mask).
HICON solidIcon(COLORREF colour) {
    constexpr int side = kStatusImageSize;
    constexpr size_t pixels = side * side;
    constexpr size_t maskRowBytes = 4; // 16 bits, padded to 32
    std::vector<BYTE> bits(sizeof(BITMAPINFOHEADER) + pixels * 4 + side * maskRowBytes, 0);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = side;
    header.biHeight = side * 2; // colour and mask
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::memcpy(bits.data(), &header, sizeof(header));
    BYTE* pixel = bits.data() + sizeof(header);
    for (size_t i = 0; i < pixels; ++i, pixel += 4) {
        pixel[0] = GetBValue(colour);
        pixel[1] = GetGValue(colour);
        pixel[2] = GetRValue(colour);
        pixel[3] = 0xFF;
    }
    return CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE, 0x00030000, side,
                                    side, LR_DEFAULTCOLOR);
}

template <typename Handle> Handle fromInt(int32_t value) {
    return reinterpret_cast<Handle>(static_cast<intptr_t>(value));
}
template <typename Handle> int32_t toInt(Handle handle) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(handle));
}

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

// The plug-in's file dialogs are the explorer-style common dialogs: the file type list is cmb1, the
// name field edt1 (a combo box, cmb13, in newer versions), and the read-only box chx1 is offered by
// the open dialog only.
bool isFileDialog(HWND dialog) {
    return GetDlgItem(dialog, cmb1) && (GetDlgItem(dialog, cmb13) || GetDlgItem(dialog, edt1)) &&
           GetDlgItem(dialog, IDOK) && GetDlgItem(dialog, IDCANCEL);
}

// How many bytes from `at` can be read without a fault: committed, readable memory up to the end of
// its region.
size_t readableFrom(const void* at) {
    MEMORY_BASIC_INFORMATION region{};
    if (!at || VirtualQuery(at, &region, sizeof(region)) != sizeof(region)) return 0;
    const DWORD unreadable = PAGE_NOACCESS | PAGE_GUARD;
    if (region.State != MEM_COMMIT || (region.Protect & unreadable) || region.Protect == 0) return 0;
    const auto end = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    return static_cast<size_t>(end - reinterpret_cast<uintptr_t>(at));
}

// A NUL-terminated text of another component, read only where memory can be read; none when it runs
// into unreadable memory or past `limit` bytes.
std::optional<std::string> readText(const char* at, size_t limit) {
    std::string text;
    while (text.size() < limit) {
        const size_t readable = std::min(readableFrom(at), limit - text.size());
        if (readable == 0) return std::nullopt;
        const size_t length = strnlen(at, readable);
        text.append(at, length);
        if (length < readable) return text;
        at += readable;
    }
    return std::nullopt;
}

// What the plug-in asked of a file dialog, as the dialog keeps it.
struct KeptRequest {
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultExtension;
    DWORD flags = 0;
};

// Wine's explorer-style dialog keeps the caller's OPENFILENAMEA: its window property
// "FileOpenDlgInfos" points at the dialog's state, which starts with that pointer and whether the
// caller used the wide call. The labels must match the type list's, or the state is not taken.
std::optional<KeptRequest> keptRequest(HWND dialog, const std::vector<std::string>& labels) {
    constexpr size_t kTextLimit = 4096;
    constexpr size_t kMostFilters = 64;
    struct StateStart {
        const OPENFILENAMEA* request;
        BOOL wide;
    };
    const auto* state = static_cast<const StateStart*>(GetPropA(dialog, "FileOpenDlgInfos"));
    if (readableFrom(state) < sizeof(StateStart) || state->wide) return std::nullopt;
    const OPENFILENAMEA* request = state->request;
    if (readableFrom(request) < OPENFILENAME_SIZE_VERSION_400A) return std::nullopt;
    if (request->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
        request->lStructSize != sizeof(OPENFILENAMEA))
        return std::nullopt;
    KeptRequest kept;
    kept.flags = request->Flags;
    if (request->lpstrDefExt) {
        const auto extension = readText(request->lpstrDefExt, kTextLimit);
        if (!extension) return std::nullopt;
        kept.defaultExtension = *extension;
    }
    for (const char* at = request->lpstrFilter; at && kept.filters.size() < kMostFilters;) {
        const auto label = readText(at, kTextLimit);
        if (!label) return std::nullopt;
        if (label->empty()) break;
        at += label->size() + 1;
        const auto pattern = readText(at, kTextLimit);
        if (!pattern) return std::nullopt;
        at += pattern->size() + 1;
        kept.filters.emplace_back(*label, *pattern);
    }
    if (kept.filters.size() != labels.size()) return std::nullopt;
    for (size_t i = 0; i < labels.size(); ++i)
        if (kept.filters[i].first != labels[i]) return std::nullopt;
    return kept;
}

// The file type list's labels. The dialog keeps them in UTF-16, converted from the caller's bytes in
// the process's code page; the A message converts them back the same way.
std::vector<std::string> fileTypeLabels(HWND dialog) {
    std::vector<std::string> labels;
    HWND types = GetDlgItem(dialog, cmb1);
    const auto count = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = static_cast<int>(SendMessageA(types, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
        if (length < 0) break;
        std::string label(static_cast<size_t>(length) + 1, '\0');
        const auto copied = static_cast<int>(SendMessageA(types, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                                          reinterpret_cast<LPARAM>(label.data())));
        label.resize(copied > 0 ? strnlen(label.data(), static_cast<size_t>(copied)) : 0);
        labels.push_back(std::move(label));
    }
    return labels;
}

// What the user sees of a file dialog, completed from the request the dialog keeps. Without it the
// patterns and the default extension cannot be seen, and stay empty.
FileDialogSeen seenFileDialog(HWND dialog) {
    FileDialogSeen seen;
    const std::vector<std::string> labels = fileTypeLabels(dialog);
    const std::optional<KeptRequest> kept = keptRequest(dialog, labels);
    if (kept) {
        seen.filters = kept->filters;
        seen.defaultExtension = kept->defaultExtension;
    } else {
        for (const std::string& label : labels)
            seen.filters.emplace_back(label, std::string());
    }
    // The open dialog offers to open a file read-only, unless asked not to; the save dialog never does.
    HWND readOnly = GetDlgItem(dialog, chx1);
    const bool offersReadOnly =
        readOnly && (static_cast<DWORD>(GetWindowLongA(readOnly, GWL_STYLE)) & WS_VISIBLE) != 0;
    if (kept && (kept->flags & OFN_HIDEREADONLY))
        seen.save = (kept->flags & OFN_OVERWRITEPROMPT) != 0;
    else
        seen.save = !offersReadOnly;
    return seen;
}

// A path as the user types it: a relative one is meant from the host's current directory, while the
// dialog would take it from the folder it shows.
std::string absolutePath(const std::string& path, const std::string& directory) {
    if (path.empty()) return path;
    const bool rooted = path[0] == '\\' || path[0] == '/' || (path.size() >= 2 && path[1] == ':');
    const std::string joined = rooted || directory.empty() ? path : directory + "\\" + path;
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(joined.c_str(), sizeof(full), full, nullptr);
    if (length == 0 || length >= sizeof(full)) return joined;
    return std::string(full, length);
}

// A button pressed as the button itself tells its dialog.
void pressButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The text import's options dialog: a dialog of this thread with the status buttons and the time
// field, under its caption.
constexpr const char* kImportCaption = "Otwieranie pliku...";
constexpr int kImportFirstButton = 1001;
constexpr int kImportSecondsField = 1007;

BOOL CALLBACK findImportDialog(HWND window, LPARAM found) {
    if (!hasClass(window, "#32770") || !IsWindowVisible(window) || windowText(window) != kImportCaption)
        return TRUE;
    for (int id = kImportFirstButton; id <= kImportSecondsField; ++id)
        if (!GetDlgItem(window, id)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

class Win32Driver;
Win32Driver* activeDriver = nullptr; // the hook procedure's way back to its driver (one thread)

class Win32Driver final : public DesktopDriver {
public:
    explicit Win32Driver(std::function<void(const MessageBoxSeen&)> onMessageBox)
        : onMessageBox_(std::move(onMessageBox)) {
        QueryPerformanceFrequency(&frequency_);
        watch(true);
        activeDriver = this;
    }

    ~Win32Driver() override {
        watch(false);
        if (activeDriver == this) activeDriver = nullptr;
        holdClipboard(false);
        if (clipboardWindow_) DestroyWindow(clipboardWindow_);
        if (fileDialogTimer_) KillTimer(nullptr, fileDialogTimer_);
        for (const BoxWork& w : boxWork_)
            KillTimer(nullptr, w.timer);
        for (HICON icon : statusIcons_)
            if (icon) DestroyIcon(icon);
        if (statusImages_) ImageList_Destroy(statusImages_);
    }

    Win32Driver(const Win32Driver&) = delete;
    Win32Driver& operator=(const Win32Driver&) = delete;

    void watchAlways(bool on) override {
        watchingAlways_ = on;
        watch(on);
    }

    void advance(uint64_t ms) override {
        const uint64_t deadline = nowMs() + ms + kGraceMs;
        for (;;) {
            deliverQueued();
            const uint64_t now = nowMs();
            if (now >= deadline) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        }
    }

    int32_t openPageWindow() override {
        if (!registerPageClass()) return 0;
        HWND page = CreateWindowExA(0, kPageClass, "Brio", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                                    0, 0, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (page) pages_.push_back(page);
        // Window handles are 32-bit values in a 32-bit process, as the host's records carry them.
        return toInt(page);
    }

    void closePageWindow(int32_t window) override {
        HWND page = fromInt<HWND>(window);
        std::erase(pages_, page);
        if (IsWindow(page)) DestroyWindow(page);
    }

    int32_t statusImageList() override {
        if (!statusImages_) {
            statusImages_ = ImageList_Create(kStatusImageSize, kStatusImageSize, ILC_COLOR32 | ILC_MASK,
                                             static_cast<int>(kStatusColours.size()), 0);
            if (!statusImages_) return 0;
            for (COLORREF colour : kStatusColours) {
                HICON icon = solidIcon(colour);
                ImageList_ReplaceIcon(statusImages_, -1, icon);
                if (icon) DestroyIcon(icon);
            }
        }
        return toInt(statusImages_);
    }

    bool listViewPresent() override { return listView() != nullptr; }

    std::vector<ListRowSeen> listViewRows() override {
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

    std::vector<int32_t> listViewColumnWidths() override {
        std::vector<int32_t> widths;
        HWND list = listView();
        const int32_t columns = list ? columnCountOf(list) : 0;
        for (int32_t column = 0; column < columns; ++column)
            widths.push_back(
                static_cast<int32_t>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0)));
        return widths;
    }

    bool clickRow(int32_t row) override {
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

    bool selectRows(const std::vector<int32_t>& rows) override {
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

    bool rightClickRow(int32_t row, int32_t choose, std::vector<std::string>& menuItems) override {
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
        SetCursorPos(onScreen.x, onScreen.y);
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

    bool clickColumn(int32_t column) override {
        HWND list = listView();
        if (!list || column < 0 || column >= columnCountOf(list)) return false;
        NMLISTVIEW click{};
        click.iItem = -1;
        click.iSubItem = column;
        notifyParent(list, click, LVN_COLUMNCLICK);
        return true;
    }

    bool editLabel(int32_t row, const std::optional<std::string>& text) override {
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

    bool dragOnto(int32_t target, DropPart part) override {
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
        SetCursorPos(onScreen.x, onScreen.y);
        POINT inPage = *drop;
        MapWindowPoints(list, page, &inPage, 1);
        const LPARAM where = MAKELPARAM(inPage.x, inPage.y);
        SendMessageA(page, WM_MOUSEMOVE, MK_LBUTTON, where);
        SendMessageA(page, WM_LBUTTONUP, 0, where);
        return true;
    }

    bool setColumnWidth(int32_t column, int32_t width) override {
        HWND list = listView();
        if (!list || column < 0 || column >= columnCountOf(list) || width < 0 || width > SHRT_MAX)
            return false;
        return SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
    }

    std::optional<std::string> clipboardText() override {
        // While held, the clipboard is open here already.
        if (!clipboardHeld_ && !OpenClipboard(nullptr)) return std::nullopt;
        std::optional<std::string> text;
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
                text.emplace(bytes, strnlen(bytes, GlobalSize(data)));
                GlobalUnlock(data);
            }
        }
        if (!clipboardHeld_) CloseClipboard();
        return text;
    }

    void holdClipboard(bool held) override {
        if (held == clipboardHeld_) return;
        if (!held) {
            CloseClipboard();
            clipboardHeld_ = false;
            return;
        }
        // Another window keeps it open, as another program would; it never empties it, so the
        // clipboard's owner stays whoever it was.
        if (!clipboardWindow_)
            clipboardWindow_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                               GetModuleHandleA(nullptr), nullptr);
        clipboardHeld_ = clipboardWindow_ && OpenClipboard(clipboardWindow_);
    }

    // A library's thread timers are not visible from here; one left running shows when it fires.
    void pluginLoaded() override { pluginGone = false; }
    size_t pluginUnloaded() override {
        pluginGone = true;
        return 0;
    }
    size_t timersOfAGoneLibrary() override { return std::exchange(timersOfGoneLibraries, 0); }

    bool stdinIsTerminal() const override { return _isatty(_fileno(stdin)) != 0; }

    void setWorkInsideBoxes(std::function<InsideBox()> next) override { insideBoxes_ = std::move(next); }

    void setFileDialogObserver(std::function<void(const FileDialogSeen&)> observer) override {
        fileDialogObserver_ = std::move(observer);
    }
    void setFileDialogAnswer(const std::optional<FileDialogAnswer>& answer) override {
        fileDialogAnswer_ = answer;
    }

    bool importDialogOpen() override { return importDialog() != nullptr; }

    bool answerImportDialog(int32_t checked, const std::string& seconds, bool ok) override {
        HWND dialog = importDialog();
        if (!dialog || checked < -1 || checked >= 6) return false;
        // The user brings the dialog forward, picks a status (or leaves none picked) and types the time.
        SetForegroundWindow(dialog);
        SetActiveWindow(dialog);
        if (checked >= 0) {
            SendDlgItemMessageA(dialog, kImportFirstButton + checked, BM_CLICK, 0, 0);
        } else {
            for (int id = kImportFirstButton; id < kImportSecondsField; ++id)
                SendDlgItemMessageA(dialog, id, BM_SETCHECK, BST_UNCHECKED, 0);
        }
        SetDlgItemTextA(dialog, kImportSecondsField, seconds.c_str());
        SendDlgItemMessageA(dialog, ok ? IDOK : IDCANCEL, BM_CLICK, 0, 0);
        deliverQueued();
        return true;
    }

    int32_t statusIconHandle(int32_t image) override {
        if (image < 0 || static_cast<size_t>(image) >= statusIcons_.size() || !statusImageList()) return 0;
        HICON& icon = statusIcons_[static_cast<size_t>(image)];
        if (!icon) icon = ImageList_GetIcon(statusImages_, image, ILD_NORMAL);
        return toInt(icon);
    }

    PictureTaken picturePage(const PageSeen& page, const std::string& path) override {
        // A network's image is the host's, not the plug-in's: the icon of the first status stands in.
        PictureTaken taken;
        {
            const PageOnShow shown(page, fromInt<HICON>(statusIconHandle(kAvailableImage)));
            if (!shown.window()) return {"the page has no window", {}};
            taken = pictureOfWindow(shown.window(), path);
        }
        deliverQueued();
        return taken;
    }

    PictureTaken pictureDialog(const std::string& path) override {
        HWND dialog = importDialog();
        if (!dialog) return {"no import options dialog is open", {}};
        SetForegroundWindow(dialog);
        RedrawWindow(dialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        deliverQueued();
        // The time field has the focus; its blinking caret would make each picture differ.
        HideCaret(nullptr);
        const PictureTaken taken = pictureOfWindow(dialog, path);
        ShowCaret(nullptr);
        return taken;
    }

    // The menu is taken from inside its own loop (see answerMenu), with the list under it.
    PictureTaken pictureMenu(int32_t row, const std::string& path) override {
        HWND list = listView();
        if (!list) return {"no list view is shown (open page Lista)", {}};
        if (row < 0 || row >= rowCountOf(list)) return {"no row " + std::to_string(row), {}};
        menuPicture_ = MenuPicture{path, list, nullptr, {"the plug-in showed no menu", {}}};
        std::vector<std::string> items;
        rightClickRow(row, -1, items);
        const PictureTaken taken = menuPicture_->taken;
        menuPicture_.reset();
        return taken;
    }

private:
    // A hook on the thread: the plug-in's boxes are shown on this thread, from its messages or its timers.
    void watch(bool on) {
        if (on && !hook_)
            hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, afterWindowProcedure, nullptr, GetCurrentThreadId());
        if (!on && hook_ && UnhookWindowsHookEx(hook_)) hook_ = nullptr;
    }

    // Once a dialog's WM_INITDIALOG has been handled, a message box shows its caption, text and icon
    // (Wine activates the box before that, so activation is too early). The OK we post is handled by
    // the box's own modal loop.
    // A popup menu is set up (WM_INITMENUPOPUP at its owner) before its loop reads the keyboard: the
    // keys posted then choose the item or dismiss the menu.
    static LRESULT CALLBACK afterWindowProcedure(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_CREATE && activeDriver && hasClass(call->hwnd, "#32770"))
            activeDriver->dialogCreated(call->hwnd);
        if (code == HC_ACTION && call->message == WM_INITDIALOG && activeDriver)
            activeDriver->answer(call->hwnd);
        if (code == HC_ACTION && call->message == WM_INITMENUPOPUP && HIWORD(call->lParam) == 0 &&
            activeDriver)
            activeDriver->answerMenu(call->hwnd, reinterpret_cast<HMENU>(call->wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    // Records the menu's texts and picks the wanted item: Down once onto
    // the first item and once more for each further one, then Enter. A menu nobody asked for is
    // dismissed, since nobody is there to answer it.
    void answerMenu(HWND owner, HMENU menu) {
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
        for (int i = 0; i <= menuChoice_; ++i)
            postKey(owner, VK_DOWN);
        postKey(owner, VK_RETURN);
    }

    static void CALLBACK menuPictureTick(HWND, UINT, UINT_PTR id, DWORD) {
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

    static BOOL CALLBACK findShownMenu(HWND window, LPARAM found) {
        if (!hasClass(window, "#32768") || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }

    // The plug-in's list view: the list view child of the newest open page that has one.
    HWND listView() {
        std::erase_if(pages_, [](HWND page) { return !IsWindow(page); });
        for (auto page = pages_.rbegin(); page != pages_.rend(); ++page)
            if (HWND list = FindWindowExA(*page, nullptr, kListViewClass, nullptr)) return list;
        return nullptr;
    }

    // A point below the last row (or at the top when there are none), where a click hits no row: the
    // list is scrolled to its end first.
    static POINT emptyPoint(HWND list) {
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
    static std::optional<POINT> dropPoint(HWND list, int32_t row, DropPart part) {
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

    // Whatever is already waiting in this thread's queue (for `window` and its children only, when one
    // is given: a menu's command, an edit box's close), without waiting for more.
    static void deliverQueued(HWND window = nullptr) {
        MSG message;
        while (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue; // nobody here asks to quit
            if (message.message == WM_TIMER && isStrayTimer(message)) {
                // Its procedure went with the plug-in's library: calling it would crash, so it is
                // stopped and counted instead.
                KillTimer(nullptr, message.wParam);
                ++timersOfGoneLibraries;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    void answer(HWND box) {
        if (!hasClass(box, "#32770")) return;
        if (isFileDialog(box)) {
            watchFileDialog(box);
            return;
        }
        HWND text = GetDlgItem(box, kMessageTextId);
        BoxContents contents;
        EnumChildWindows(box, inspectChild, reinterpret_cast<LPARAM>(&contents));
        if (!text || !contents.onlyMessageBoxControls) return;
        // A file dialog's own question (replace the existing file?) or complaint (no such folder) is
        // the dialog's, not the plug-in's: the user agrees to replace, and acknowledges the rest.
        if (fileDialog_ && GetWindow(box, GW_OWNER) == fileDialog_) {
            const int button = GetDlgItem(box, IDYES) ? IDYES : IDOK;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            return;
        }
        MessageBoxSeen seen{windowText(box), windowText(text), iconName(contents.icon)};
        if (onMessageBox_) onMessageBox_(seen);
        InsideBox work = insideBoxes_ ? insideBoxes_() : InsideBox();
        // The work waits for the box's own message loop, which runs once its set-up is over: a thread
        // timer gets there. Without a timer it runs here, still before the box is answered.
        const UINT_PTR timer = work ? SetTimer(nullptr, 0, USER_TIMER_MINIMUM, boxWorkTick) : 0;
        if (timer) {
            boxWork_.push_back({timer, box, std::move(work)});
            return;
        }
        if (work) runInsideBox(work);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    static void CALLBACK boxWorkTick(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id); // once
        if (!activeDriver) return;
        auto& pending = activeDriver->boxWork_;
        const auto found =
            std::find_if(pending.begin(), pending.end(), [id](const BoxWork& w) { return w.timer == id; });
        if (found == pending.end()) return;
        const BoxWork taken = std::move(*found);
        pending.erase(found);
        runInsideBox(taken.work);
        if (IsWindow(taken.box)) PostMessageA(taken.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    // An exception cannot pass through the box's message loop.
    static void runInsideBox(const InsideBox& work) {
        try {
            work();
        } catch (...) {
        }
    }

    bool isBoxWorkTimer(UINT_PTR id) const {
        return std::any_of(boxWork_.begin(), boxWork_.end(),
                           [id](const BoxWork& w) { return w.timer == id; });
    }

    // A file dialog is answered once it runs its own message loop: its set-up is over by then, and
    // pressing its buttons behaves as a person's press does. A thread timer gets there.
    // A file dialog moves the current directory to the folder it first shows while it initialises;
    // the directory the host had is the one before that.
    void dialogCreated(HWND dialog) {
        createdDialog_ = dialog;
        directoryAtCreation_ = currentDirectory();
    }

    void watchFileDialog(HWND dialog) {
        fileDialog_ = dialog;
        fileDialogAnswered_ = false;
        workingDirectory_ = dialog == createdDialog_ ? directoryAtCreation_ : currentDirectory();
        if (!fileDialogTimer_) fileDialogTimer_ = SetTimer(nullptr, 0, kFileDialogTickMs, fileDialogTick);
    }

    // Between an unload and the next load, the only thread timer of ours is the file dialogs' one: any
    // other was left running by the plug-in. (Its procedure's address cannot tell: Wine hands timer
    // messages over with a handle for the procedure, not the address.)
    static bool isStrayTimer(const MSG& message) {
        return pluginGone && !message.hwnd &&
               !(activeDriver && (activeDriver->fileDialogTimer_ == message.wParam ||
                                  activeDriver->isBoxWorkTimer(message.wParam)));
    }

    static void CALLBACK fileDialogTick(HWND, UINT, UINT_PTR id, DWORD) {
        if (!activeDriver || activeDriver->fileDialogTimer_ != id) {
            KillTimer(nullptr, id);
            return;
        }
        // An exception cannot pass through the dialog's message loop.
        try {
            activeDriver->workFileDialog();
        } catch (...) {
        }
    }

    void workFileDialog() {
        if (!fileDialog_ || !IsWindow(fileDialog_)) {
            KillTimer(nullptr, fileDialogTimer_);
            fileDialogTimer_ = 0;
            fileDialog_ = nullptr;
            return;
        }
        // While a press is being handled, or the dialog waits for an answer to its own message box
        // (it is disabled meanwhile), there is nothing to do.
        if (fileDialogPressing_ || !IsWindowEnabled(fileDialog_)) return;
        fileDialogPressing_ = true;
        try {
            pressFileDialog(fileDialog_);
        } catch (...) {
            // Answered or not, the next tick gives up on a dialog that is still there.
        }
        // The dialog makes the chosen file's folder the current directory, as it does for a person;
        // the host's relative paths keep meaning what they meant before the dialog.
        if (!workingDirectory_.empty()) SetCurrentDirectoryA(workingDirectory_.c_str());
        fileDialogPressing_ = false;
    }

    void pressFileDialog(HWND dialog) {
        if (fileDialogAnswered_) {
            // The dialog took the answer and stayed open (it refused the name, and said why in a box
            // answered above): the user gives up.
            pressButton(dialog, IDCANCEL);
            return;
        }
        fileDialogAnswered_ = true;
        const FileDialogSeen seen = seenFileDialog(dialog);
        if (fileDialogObserver_) fileDialogObserver_(seen);
        // A type the list does not have cannot be picked: the user gives up at once.
        if (fileDialogAnswer_ && chooseFileType(dialog, fileDialogAnswer_->filter)) {
            const std::string path = absolutePath(fileDialogAnswer_->path, workingDirectory_);
            SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, path.c_str());
            pressButton(dialog, IDOK);
        } else {
            pressButton(dialog, IDCANCEL);
        }
    }

    static std::string currentDirectory() {
        const DWORD size = GetCurrentDirectoryA(0, nullptr);
        if (size == 0) return {};
        std::string directory(size, '\0');
        const DWORD length = GetCurrentDirectoryA(size, directory.data());
        directory.resize(length < size ? length : 0);
        return directory;
    }

    // Picks a file type from the list as the user does, which the dialog hears from the list. False
    // for a number the list does not have.
    static bool chooseFileType(HWND dialog, int32_t filter) {
        HWND types = GetDlgItem(dialog, cmb1);
        const auto count = static_cast<int32_t>(SendMessageA(types, CB_GETCOUNT, 0, 0));
        if (filter < 1 || filter > count) return false;
        SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(filter - 1), 0);
        for (WORD notification : {WORD{CBN_SELCHANGE}, WORD{CBN_SELENDOK}})
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notification), reinterpret_cast<LPARAM>(types));
        return true;
    }

    static HWND importDialog() {
        HWND found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), findImportDialog, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    uint64_t nowMs() const {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        const auto ticks = static_cast<uint64_t>(counter.QuadPart);
        const auto perSecond = static_cast<uint64_t>(frequency_.QuadPart);
        return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
    }

    std::function<void(const MessageBoxSeen&)> onMessageBox_;
    // Message boxes whose work waits for their message loop, each with the timer that gets it there.
    struct BoxWork {
        UINT_PTR timer;
        HWND box;
        InsideBox work;
    };
    std::function<InsideBox()> insideBoxes_;
    std::vector<BoxWork> boxWork_;
    HHOOK hook_ = nullptr;
    bool watchingAlways_ = true;
    LARGE_INTEGER frequency_{};
    std::vector<HWND> pages_; // open page windows, oldest first
    HIMAGELIST statusImages_ = nullptr;
    HWND clipboardWindow_ = nullptr;
    std::array<HICON, kStatusColours.size()> statusIcons_{}; // made on first request
    // The plug-in's file dialogs: how they are answered, and the one being answered.
    static constexpr UINT kFileDialogTickMs = 20;
    static inline bool pluginGone = false;          // unloaded, and not loaded again since
    static inline size_t timersOfGoneLibraries = 0; // found by deliverQueued
    std::function<void(const FileDialogSeen&)> fileDialogObserver_;
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

} // namespace

std::unique_ptr<DesktopDriver>
DesktopDriver::create(std::function<void(const MessageBoxSeen&)> onMessageBox) {
    return std::make_unique<Win32Driver>(std::move(onMessageBox));
}

} // namespace brio::host
