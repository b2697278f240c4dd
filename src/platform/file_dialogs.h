// The standard dialogs in which the user picks a file to save to or to open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brio::platform {

struct FileFilter {
    std::string label;   // what the dialog's type list shows
    std::string pattern; // e.g. "*.sts"
};

struct FileDialogRequest {
    bool save = false; // save: asks before replacing a file; open: the file must exist
    std::vector<FileFilter> filters;
    std::string defaultExtension; // added to a typed name without one; empty for none
};

struct ChosenFile {
    std::string path;        // at most 259 bytes
    int32_t filterIndex = 1; // the filter selected when the dialog closed, from 1
};

// Shows the dialog with the first filter selected, no owner window, no title, no initial directory,
// and an empty name. None when the user cancels or the dialog fails.
std::optional<ChosenFile> askForFile(const FileDialogRequest& request);

} // namespace brio::platform
