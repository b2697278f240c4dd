// Many rows deleted at once: deleting a row costs the list view time in proportion to the whole list,
// so the rows that stay are put back into the emptied control instead, with the focus and the selection
// mark where deleting them one by one from the last would have left them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brio::platform::win32 {

// Whether deleting `going` of `count` rows is done by a refill rather than one by one.
bool refillPays(size_t going, size_t count);

// Deletes the rows whose flag in `goes` is set (one flag per row) by a refill. The answer is the row
// that deleting them one by one would have left first in view, for the caller to scroll to.
int32_t refillWithout(HWND list, int32_t columns, const std::vector<bool>& goes);

} // namespace brio::platform::win32
