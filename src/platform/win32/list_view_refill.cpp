#include "platform/win32/list_view_refill.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <string>

#include "platform/list_view.h"
#include "platform/win32/list_view_rows.h"

namespace brio::platform::win32 {

namespace {

// Rows going at once from which the control is emptied and the rows that stay put back.
constexpr size_t kRefillFrom = 64;

int32_t focusedRow(HWND list) {
    return static_cast<int32_t>(
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
}

} // namespace

bool refillPays(size_t going, size_t count) {
    return going >= kRefillFrom && going * 4 >= count;
}

int32_t refillWithout(HWND list, int32_t columns, const std::vector<bool>& goes) {
    const auto count = static_cast<int32_t>(goes.size());
    // The selection mark (where a shift-click starts) moves on as the focus does, views aside.
    const int32_t mark =
        afterDeletingOneByOne(goes, {static_cast<int32_t>(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0)), 0},
                              1)
            .focus;
    const FocusAndTop after = afterDeletingOneByOne(
        goes, {focusedRow(list), static_cast<int32_t>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0))},
        static_cast<int32_t>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)));
    struct Kept {
        int32_t image;
        bool selected;
        std::string texts[2];
    };
    std::vector<Kept> kept;
    kept.reserve(static_cast<size_t>(std::count(goes.begin(), goes.end(), false)));
    for (int32_t row = 0; row < count; ++row) {
        if (goes[static_cast<size_t>(row)]) continue;
        LVITEMA item{};
        item.mask = LVIF_IMAGE | LVIF_STATE;
        item.iItem = row;
        item.stateMask = LVIS_SELECTED;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        kept.push_back({item.iImage,
                        (item.state & LVIS_SELECTED) != 0,
                        {wholeText(list, row, 0), columns > 1 ? wholeText(list, row, 1) : std::string()}});
    }
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (const Kept& k : kept) {
        const int32_t row = insertRow(list, INT_MAX, k.image, k.texts[0], {k.selected, false});
        if (row >= 0 && !k.texts[1].empty()) setText(list, row, 1, k.texts[1]);
    }
    if (after.focus >= 0) {
        LVITEMA item{};
        item.stateMask = LVIS_FOCUSED;
        item.state = LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(after.focus),
                     reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, mark);
    return after.top;
}

} // namespace brio::platform::win32
