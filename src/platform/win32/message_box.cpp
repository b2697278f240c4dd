// Message boxes without an owner window: MessageBoxA with OK (or Yes and No) and the icon asked for.
#include <windows.h>

#include <string>

#include "platform/message_box.h"

namespace brio::platform {

namespace {

UINT iconStyle(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return MB_ICONINFORMATION;
    case MessageIcon::Warning:
        return MB_ICONWARNING;
    case MessageIcon::Error:
        return MB_ICONERROR;
    case MessageIcon::None:
        break;
    }
    return 0;
}

} // namespace

void showMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    // MessageBoxA wants NUL-terminated texts; a view need not be.
    const std::string textCopy(text);
    const std::string titleCopy(title);
    MessageBoxA(nullptr, textCopy.c_str(), titleCopy.c_str(), MB_OK | iconStyle(icon));
}

bool askYesNo(std::string_view text, std::string_view title, MessageIcon icon) {
    const std::string textCopy(text);
    const std::string titleCopy(title);
    return MessageBoxA(nullptr, textCopy.c_str(), titleCopy.c_str(),
                       MB_YESNO | MB_DEFBUTTON2 | iconStyle(icon)) == IDYES;
}

} // namespace brio::platform
