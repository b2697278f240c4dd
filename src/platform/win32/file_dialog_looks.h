// The two ways the Windows desktop shows a file dialog, apart from the choice between them that
// askForFile makes, for the checks that run each under Wine.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/file_dialogs.h"

namespace brio::platform {

enum class DialogLook {
    System, // no hook procedure: on Windows Vista and later, the modern dialog
    Hooked, // a hook procedure that takes a name longer than the dialog takes from its field
};

// Whether GetOpenFileName and GetSaveFileName draw the system's modern dialog when no hook procedure is
// given, which takes names of any length itself. Windows before Vista, and Wine whatever version it
// reports, draw their Explorer-style dialog with or without a hook, and it refuses a name of MAX_PATH
// bytes and more without a word.
bool systemDialogTakesLongNames();

// As askForFile with that dialog; `failure` gets the dialog's own error code (CommDlgExtendedError), or
// kPathTooLong for a name taken from the field that is longer than any path.
std::optional<ChosenFile> askForFileWithLook(const FileDialogRequest& request, DialogLook look,
                                             uint32_t* failure);

} // namespace brio::platform
