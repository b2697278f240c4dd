// The list view class comes from comctl32, which registers it on request.
#include <windows.h>

#include <commctrl.h>

#include "platform/common_controls.h"

namespace brio::platform {

void initCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    static_assert(sizeof(INITCOMMONCONTROLSEX) == 8);
    InitCommonControlsEx(&controls);
}

} // namespace brio::platform
