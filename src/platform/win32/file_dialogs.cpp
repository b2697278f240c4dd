// The standard file dialogs: GetSaveFileNameA / GetOpenFileNameA with the structure as Windows 95 and
// NT 4 knew it (76 bytes), so that the dialog behaves the same on every Windows that loads the plug-in.
#include <windows.h>

#include <commdlg.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "platform/file_dialogs.h"

namespace brio::platform {

namespace {

constexpr size_t kNameBufferSize = 260;

// "label NUL pattern NUL ... NUL NUL"; a label or pattern cannot hold a NUL of its own, so each ends at
// its first one.
std::string filterString(const std::vector<FileFilter>& filters) {
    std::string text;
    for (const FileFilter& filter : filters) {
        text.append(filter.label.c_str());
        text.push_back('\0');
        text.append(filter.pattern.c_str());
        text.push_back('\0');
    }
    text.push_back('\0'); // with the string's own terminator, the list ends with two NULs
    return text;
}

} // namespace

std::optional<ChosenFile> askForFile(const FileDialogRequest& request) {
    const std::string filters = filterString(request.filters);
    char name[kNameBufferSize] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.lpstrFilter = request.filters.empty() ? nullptr : filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = sizeof(name);
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags =
        request.save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    const BOOL chosen = request.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) return std::nullopt;
    return ChosenFile{std::string(name, strnlen(name, sizeof(name) - 1)),
                      static_cast<int32_t>(dialog.nFilterIndex)};
}

} // namespace brio::platform
