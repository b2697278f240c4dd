// The standard file dialogs: GetSaveFileNameA / GetOpenFileNameA with the structure as Windows 95 and
// NT 4 knew it (76 bytes), so that the dialog behaves the same on every Windows that loads the plug-in.
// The user sees the system's own dialog where it takes a name of any length itself (Windows Vista and
// later draw their modern dialog when no hook procedure is given); the dialog with a hook procedure,
// which takes a long name from its field, only where the system's cannot: on Windows before Vista and
// under Wine (where it looks the same as without the hook), and on Windows when the modern dialog
// reports the name too long or not valid.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"
#include "platform/open_file.h"
#include "platform/win32/file_dialog_looks.h"

namespace brio::platform {

namespace {

// As long as a path can be; the dialog asks for more when even this is short (and says so).
constexpr size_t kNameBufferSize = 32768;

constexpr char kLongNameProperty[] = "BrioLongName";

// A name typed into the dialog that is longer than the dialog itself takes (its own buffers hold
// MAX_PATH characters, and it refuses longer names without a word): taken from the name field
// when "OK" is pressed, and the dialog closed.
struct LongName {
    WNDPROC previous = nullptr;
    std::string path;
    int32_t filterIndex = 1;
};

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

std::string windowText(HWND window) {
    const int length = window ? GetWindowTextLengthA(window) : 0;
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

// The name in the dialog's name field as a whole path: a relative one is meant from the folder the
// dialog shows.
std::string typedPath(HWND dialog) {
    HWND field = GetDlgItem(dialog, cmb13);
    std::string typed = windowText(field ? field : GetDlgItem(dialog, edt1));
    const bool whole = typed.size() >= 2 && (typed[1] == ':' || (typed[0] == '\\' && typed[1] == '\\'));
    if (typed.empty() || whole) return typed;
    std::vector<char> folder(kNameBufferSize, '\0');
    const auto length =
        SendMessageA(dialog, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data()));
    if (length <= 0 || static_cast<size_t>(length) > folder.size()) return typed;
    std::string path(folder.data(), strnlen(folder.data(), folder.size()));
    if (typed[0] == '\\' || typed[0] == '/') return path.substr(0, 2) + typed; // from the drive's root
    if (!path.empty() && path.back() != '\\') path.push_back('\\');
    return path + typed;
}

// On "OK": a name too long for the dialog is kept and the dialog closed (true); otherwise the dialog
// takes it. Nothing thrown may leave a window procedure (it would end the messenger): out of memory
// here, the dialog goes on as it is.
bool tookLongName(HWND dialog, LongName& longName) noexcept try {
    std::string path = typedPath(dialog);
    if (path.size() < MAX_PATH) return false;
    longName.path = std::move(path);
    longName.filterIndex = static_cast<int32_t>(SendDlgItemMessageA(dialog, cmb1, CB_GETCURSEL, 0, 0)) + 1;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
} catch (...) {
    return false;
}

LRESULT CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* longName = static_cast<LongName*>(GetPropA(dialog, kLongNameProperty));
    if (!longName) return DefDlgProcA(dialog, message, wParam, lParam);
    const WNDPROC previous = longName->previous;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        if (tookLongName(dialog, *longName)) return 0;
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropA(dialog, kLongNameProperty);
    }
    return CallWindowProcA(previous, dialog, message, wParam, lParam);
}

// The hook's own (empty) dialog sits inside the file dialog: the file dialog, its parent, is the one
// whose "OK" is watched.
UINT_PTR CALLBACK hookProcedure(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return 0;
    auto* longName = reinterpret_cast<LongName*>(reinterpret_cast<const OPENFILENAMEA*>(lParam)->lCustData);
    HWND dialog = GetParent(child);
    if (!dialog || !SetPropA(dialog, kLongNameProperty, longName)) return 0;
    longName->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialogProcedure)));
    if (!longName->previous) RemovePropA(dialog, kLongNameProperty); // not watched: the dialog as it is
    return 0;
}

// A name without an extension gets the default one, as the dialog gives it.
std::string withExtension(std::string path, const std::string& extension) {
    const size_t name = path.find_last_of("\\/");
    const size_t dot = path.find_last_of('.');
    if (!extension.empty() && (dot == std::string::npos || (name != std::string::npos && dot < name)))
        path += "." + extension;
    return path;
}

} // namespace

bool systemDialogTakesLongNames() {
    // Told by what the system has rather than by the version it reports, which a compatibility setting
    // (and Wine) makes up: Vista is the first Windows with GetTickCount64, and Wine's ntdll names itself.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const bool vistaOrLater = kernel && GetProcAddress(kernel, "GetTickCount64");
    const bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version");
    return vistaOrLater && !wine;
}

std::optional<ChosenFile> askForFileWithLook(const FileDialogRequest& request, DialogLook look,
                                             uint32_t* failure) {
    const bool hooked = look == DialogLook::Hooked;
    const std::string filters = filterString(request.filters);
    std::vector<char> name(kNameBufferSize, '\0');
    LongName longName;
    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.lpstrFilter = request.filters.empty() ? nullptr : filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags =
        (request.save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST) |
        OFN_EXPLORER | (hooked ? OFN_ENABLEHOOK : 0);
    dialog.lpfnHook = hooked ? hookProcedure : nullptr;
    dialog.lCustData = hooked ? reinterpret_cast<LPARAM>(&longName) : 0;
    const BOOL chosen = request.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (failure) *failure = 0;
    if (chosen)
        return ChosenFile{std::string(name.data(), strnlen(name.data(), name.size() - 1)),
                          static_cast<int32_t>(dialog.nFilterIndex)};
    if (longName.path.size() > kLongestPath) {
        if (failure) *failure = kPathTooLong;
        return std::nullopt;
    }
    if (!longName.path.empty()) {
        // The file calls take the long name; what they cannot do with it, they say. The dialog never
        // saw the name, so it asked nothing about replacing a file of it.
        if (request.save) longName.path = withExtension(std::move(longName.path), request.defaultExtension);
        const bool replaces = request.save && isExistingFile(longName.path);
        return ChosenFile{longName.path, longName.filterIndex, replaces};
    }
    if (failure) *failure = CommDlgExtendedError();
    return std::nullopt;
}

std::optional<ChosenFile> askForFile(const FileDialogRequest& request, uint32_t* failure) {
    uint32_t error = 0;
    std::optional<ChosenFile> chosen;
    bool asked = false;
    if (systemDialogTakesLongNames()) {
        chosen = askForFileWithLook(request, DialogLook::System, &error);
        // Only a name the system's dialog could not take goes to the hooked one, which takes it from
        // its field.
        asked = chosen || (error != FNERR_BUFFERTOOSMALL && error != FNERR_INVALIDFILENAME);
    }
    if (!asked) chosen = askForFileWithLook(request, DialogLook::Hooked, &error);
    if (failure) *failure = error == FNERR_BUFFERTOOSMALL ? kPathTooLong : error;
    return chosen;
}

} // namespace brio::platform
