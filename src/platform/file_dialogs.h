// The standard dialogs in which the user picks a file to save to or to open.
#pragma once

#include <cstddef>
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
    std::string path;        // any length: a long one is for the calls that take long paths
    int32_t filterIndex = 1; // the filter selected when the dialog closed, from 1
    // A file to save whose name names an existing file, and the dialog did not ask whether to replace it
    // (a name it could not take itself): the caller asks.
    bool replaceUnasked = false;
};

// Why a dialog gave no file: 0 when the user cancelled it, kPathTooLong for a name longer than the
// dialog or the system can give, else the dialog's own error code.
constexpr uint32_t kPathTooLong = 206; // as Windows numbers it
constexpr size_t kLongestPath = 32767; // bytes; the most the calls for long paths take

// Shows the dialog with the first filter selected, no owner window, no title, no initial directory,
// and an empty name. None when the user cancels or the dialog fails, with the reason in `failure`.
std::optional<ChosenFile> askForFile(const FileDialogRequest& request, uint32_t* failure = nullptr);

} // namespace brio::platform
