#include "platform/win32/list_view_rows.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace brio::platform::win32 {

int textCapacity(size_t bufferSize) {
    return static_cast<int>(std::min<size_t>(bufferSize, INT_MAX));
}

std::string received(const char* text, const std::vector<char>& buffer) {
    if (!text || buffer.empty()) return {};
    return std::string(text, strnlen(text, buffer.size() - 1));
}

int32_t rowCountOf(HWND list) {
    return list ? static_cast<int32_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int32_t insertRow(HWND list, int32_t at, int32_t image, std::string_view text, RowState state) {
    if (!list || at < 0) return -1;
    std::string copy(text); // NUL-terminated
    LVITEMA item{};
    // A state is given only when one is asked for, since setting it costs the control a look at the
    // whole selection.
    item.mask = LVIF_IMAGE | LVIF_TEXT | (state.selected || state.focused ? LVIF_STATE : 0u);
    item.iItem = at;
    item.iImage = image;
    item.pszText = copy.data();
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = (state.selected ? LVIS_SELECTED : 0u) | (state.focused ? LVIS_FOCUSED : 0u);
    const auto row =
        static_cast<int32_t>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    // The control widens a selected run over a row inserted inside it (Wine's does): the row gets the
    // state it was asked for all the same. A row added at the end is inside no run.
    if (row >= 0 && row + 1 < rowCountOf(list)) {
        const auto now = static_cast<UINT>(
            SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED | LVIS_FOCUSED));
        if (now != item.state) {
            LVITEMA fix{};
            fix.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            fix.state = item.state;
            SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&fix));
        }
    }
    return row;
}

void setText(HWND list, int32_t row, int32_t column, std::string_view text) {
    std::string copy(text);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = copy.data();
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string readText(HWND list, int32_t row, int32_t column, int capacity) {
    std::vector<char> buffer(static_cast<size_t>(capacity), '\0');
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = capacity;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return received(item.pszText, buffer);
}

std::string wholeText(HWND list, int32_t row, int32_t column) {
    for (int capacity = 2048;; capacity *= 4) {
        std::string read = readText(list, row, column, capacity);
        if (read.size() + 1 < size_t(capacity) || capacity >= (1 << 24)) return read;
    }
}

} // namespace brio::platform::win32
