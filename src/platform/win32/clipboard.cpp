// The clipboard holds one NUL-terminated text in a shared global memory block.
#include <windows.h>

#include <cstring>

#include "platform/clipboard.h"

namespace brio::platform {

bool copyTextToClipboard(std::string_view text) {
    // Opened on behalf of the clipboard's current owner, so that emptying it keeps that owner.
    if (!OpenClipboard(GetClipboardOwner())) return false;
    EmptyClipboard();
    bool placed = false;
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, text.size() + 1);
    if (block) {
        if (void* bytes = GlobalLock(block)) {
            if (!text.empty()) std::memcpy(bytes, text.data(), text.size());
            static_cast<char*>(bytes)[text.size()] = '\0';
            GlobalUnlock(block);
            // Once placed, the block belongs to the clipboard; otherwise it is still ours.
            placed = SetClipboardData(CF_TEXT, block) != nullptr;
            if (placed) block = nullptr;
        }
        if (block) GlobalFree(block);
    }
    CloseClipboard();
    return placed;
}

} // namespace brio::platform
