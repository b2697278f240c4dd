// The text import's options dialog (resource 103): a radio button per status position showing its
// icon, the seconds between two descriptions, "OK" and "Anuluj". Modeless: the rest of the host stays
// usable while it is open.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace brio::platform {

class ImportDialogEvents {
public:
    // "OK", with the time field's text (at most 31 bytes) and the checked status position (0-5; -1
    // when no button is checked). Answers whether the dialog closes.
    virtual bool onImportConfirmed(std::string_view seconds, int32_t checkedPosition) = 0;
    // "Anuluj" (or the window closed): the dialog closes.
    virtual void onImportCancelled() = 0;
    // The dialog has closed after "OK": the last thing it does, so the one answering may end it here.
    virtual void onImportDialogClosed() = 0;

protected:
    ~ImportDialogEvents() = default;
};

class ImportDialog {
public:
    virtual ~ImportDialog() = default; // destroys the window if it is still there
    virtual bool open() const = 0;     // false once it has closed
};

// Shows the dialog centred on the desktop, without a parent, from the plug-in's module. `icons` are
// the host's icon handles for status positions 0 to 5. Null when it cannot be shown.
std::unique_ptr<ImportDialog> showImportDialog(void* instance, const std::array<int32_t, 6>& icons,
                                               ImportDialogEvents& events);

} // namespace brio::platform
