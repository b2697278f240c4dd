// Message boxes, the file dialogs and the import options dialog, answered as a person answers them: the
// thread's hook sees each one come up, records what it shows, and presses the scripted button.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "host/desktop/win32/win32_driver.h"

namespace brio::host::win32 {

namespace {

// A message box's text is the static control with this id; its icon is a static control with the
// icon style (its id differs between Windows and Wine).
constexpr int kMessageTextId = 0xFFFF;

std::string windowText(HWND window) {
    if (!window) return {};
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

struct BoxContents {
    bool onlyMessageBoxControls = true;
    HICON icon = nullptr;
};

// A message box holds only static controls and its answer buttons (IDOK to IDCONTINUE); the
// plug-in's own dialogs have radio buttons and edit fields, and are not answered here.
BOOL CALLBACK inspectChild(HWND child, LPARAM contentsAddress) {
    auto& contents = *reinterpret_cast<BoxContents*>(contentsAddress);
    const int id = GetDlgCtrlID(child);
    if (hasClass(child, "Static")) {
        const auto style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        if ((style & SS_TYPEMASK) == SS_ICON)
            contents.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return TRUE;
    }
    if (hasClass(child, "Button") && id >= IDOK && id <= IDCONTINUE) return TRUE;
    contents.onlyMessageBoxControls = false;
    return FALSE;
}

// The box shows one of the system's shared icons; which one tells the style it was asked for.
std::string iconName(HICON shown) {
    if (!shown) return "none";
    const std::pair<LPCSTR, const char*> known[] = {
        {IDI_WARNING, "warning"}, {IDI_ERROR, "error"}, {IDI_INFORMATION, "information"}};
    for (const auto& [id, name] : known)
        if (LoadIconA(nullptr, id) == shown) return name;
    return "unknown";
}

// The plug-in's file dialogs are the explorer-style common dialogs: the file type list is cmb1, the
// name field edt1 (a combo box, cmb13, in newer versions), and the read-only box chx1 is offered by
// the open dialog only.
bool isFileDialog(HWND dialog) {
    return GetDlgItem(dialog, cmb1) && (GetDlgItem(dialog, cmb13) || GetDlgItem(dialog, edt1)) &&
           GetDlgItem(dialog, IDOK) && GetDlgItem(dialog, IDCANCEL);
}

// How many bytes from `at` can be read without a fault: committed, readable memory up to the end of
// its region.
size_t readableFrom(const void* at) {
    MEMORY_BASIC_INFORMATION region{};
    if (!at || VirtualQuery(at, &region, sizeof(region)) != sizeof(region)) return 0;
    const DWORD unreadable = PAGE_NOACCESS | PAGE_GUARD;
    if (region.State != MEM_COMMIT || (region.Protect & unreadable) || region.Protect == 0) return 0;
    const auto end = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    return static_cast<size_t>(end - reinterpret_cast<uintptr_t>(at));
}

// A NUL-terminated text of another component, read only where memory can be read; none when it runs
// into unreadable memory or past `limit` bytes.
std::optional<std::string> readText(const char* at, size_t limit) {
    std::string text;
    while (text.size() < limit) {
        const size_t readable = std::min(readableFrom(at), limit - text.size());
        if (readable == 0) return std::nullopt;
        const size_t length = strnlen(at, readable);
        text.append(at, length);
        if (length < readable) return text;
        at += readable;
    }
    return std::nullopt;
}

// What the plug-in asked of a file dialog, as the dialog keeps it.
struct KeptRequest {
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultExtension;
    DWORD flags = 0;
};

// Wine's explorer-style dialog keeps the caller's OPENFILENAMEA: its window property
// "FileOpenDlgInfos" points at the dialog's state, which starts with that pointer and whether the
// caller used the wide call. The labels must match the type list's, or the state is not taken.
std::optional<KeptRequest> keptRequest(HWND dialog, const std::vector<std::string>& labels) {
    constexpr size_t kTextLimit = 4096;
    constexpr size_t kMostFilters = 64;
    struct StateStart {
        const OPENFILENAMEA* request;
        BOOL wide;
    };
    const auto* state = static_cast<const StateStart*>(GetPropA(dialog, "FileOpenDlgInfos"));
    if (readableFrom(state) < sizeof(StateStart) || state->wide) return std::nullopt;
    const OPENFILENAMEA* request = state->request;
    if (readableFrom(request) < OPENFILENAME_SIZE_VERSION_400A) return std::nullopt;
    if (request->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
        request->lStructSize != sizeof(OPENFILENAMEA))
        return std::nullopt;
    KeptRequest kept;
    kept.flags = request->Flags;
    if (request->lpstrDefExt) {
        const auto extension = readText(request->lpstrDefExt, kTextLimit);
        if (!extension) return std::nullopt;
        kept.defaultExtension = *extension;
    }
    for (const char* at = request->lpstrFilter; at && kept.filters.size() < kMostFilters;) {
        const auto label = readText(at, kTextLimit);
        if (!label) return std::nullopt;
        if (label->empty()) break;
        at += label->size() + 1;
        const auto pattern = readText(at, kTextLimit);
        if (!pattern) return std::nullopt;
        at += pattern->size() + 1;
        kept.filters.emplace_back(*label, *pattern);
    }
    if (kept.filters.size() != labels.size()) return std::nullopt;
    for (size_t i = 0; i < labels.size(); ++i)
        if (kept.filters[i].first != labels[i]) return std::nullopt;
    return kept;
}

// The file type list's labels. The dialog keeps them in UTF-16, converted from the caller's bytes in
// the process's code page; the A message converts them back the same way.
std::vector<std::string> fileTypeLabels(HWND dialog) {
    std::vector<std::string> labels;
    HWND types = GetDlgItem(dialog, cmb1);
    const auto count = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = static_cast<int>(SendMessageA(types, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
        if (length < 0) break;
        std::string label(static_cast<size_t>(length) + 1, '\0');
        const auto copied = static_cast<int>(SendMessageA(types, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                                          reinterpret_cast<LPARAM>(label.data())));
        label.resize(copied > 0 ? strnlen(label.data(), static_cast<size_t>(copied)) : 0);
        labels.push_back(std::move(label));
    }
    return labels;
}

// What the user sees of a file dialog, completed from the request the dialog keeps. Without it the
// patterns and the default extension cannot be seen, and stay empty.
FileDialogSeen seenFileDialog(HWND dialog) {
    FileDialogSeen seen;
    const std::vector<std::string> labels = fileTypeLabels(dialog);
    const std::optional<KeptRequest> kept = keptRequest(dialog, labels);
    if (kept) {
        seen.filters = kept->filters;
        seen.defaultExtension = kept->defaultExtension;
    } else {
        for (const std::string& label : labels)
            seen.filters.emplace_back(label, std::string());
    }
    // The open dialog offers to open a file read-only, unless asked not to; the save dialog never does.
    HWND readOnly = GetDlgItem(dialog, chx1);
    const bool offersReadOnly =
        readOnly && (static_cast<DWORD>(GetWindowLongA(readOnly, GWL_STYLE)) & WS_VISIBLE) != 0;
    if (kept && (kept->flags & OFN_HIDEREADONLY))
        seen.save = (kept->flags & OFN_OVERWRITEPROMPT) != 0;
    else
        seen.save = !offersReadOnly;
    return seen;
}

// A path as the user types it: a relative one is meant from the host's current directory, while the
// dialog would take it from the folder it shows.
std::string absolutePath(const std::string& path, const std::string& directory) {
    if (path.empty()) return path;
    const bool rooted = path[0] == '\\' || path[0] == '/' || (path.size() >= 2 && path[1] == ':');
    const std::string joined = rooted || directory.empty() ? path : directory + "\\" + path;
    // Of any length, as a person may type it.
    const DWORD size = GetFullPathNameA(joined.c_str(), 0, nullptr, nullptr);
    if (size == 0) return joined;
    std::string full(size, '\0');
    const DWORD length = GetFullPathNameA(joined.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return joined;
    full.resize(length);
    return full;
}

// A button pressed as the button itself tells its dialog.
void pressButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The text import's options dialog: a dialog of this thread with the status buttons and the time
// field, under its caption.
constexpr const char* kImportCaption = "Otwieranie pliku...";

constexpr int kImportFirstButton = 1001;

constexpr int kImportSecondsField = 1007;

BOOL CALLBACK findImportDialog(HWND window, LPARAM found) {
    if (!hasClass(window, "#32770") || !IsWindowVisible(window) || windowText(window) != kImportCaption)
        return TRUE;
    for (int id = kImportFirstButton; id <= kImportSecondsField; ++id)
        if (!GetDlgItem(window, id)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

} // namespace

void Win32Driver::setFileDialogObserver(std::function<void(const FileDialogSeen&)> observer) {
    fileDialogObserver_ = std::move(observer);
}

void Win32Driver::setFileDialogAnswer(const std::optional<FileDialogAnswer>& answer) {
    fileDialogAnswer_ = answer;
}

bool Win32Driver::answerImportDialog(int32_t checked, const std::string& seconds, bool ok) {
    HWND dialog = importDialog();
    if (!dialog || checked < -1 || checked >= 6) return false;
    // The user brings the dialog forward, picks a status (or leaves none picked) and types the time.
    SetForegroundWindow(dialog);
    SetActiveWindow(dialog);
    if (checked >= 0) {
        SendDlgItemMessageA(dialog, kImportFirstButton + checked, BM_CLICK, 0, 0);
    } else {
        for (int id = kImportFirstButton; id < kImportSecondsField; ++id)
            SendDlgItemMessageA(dialog, id, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    SetDlgItemTextA(dialog, kImportSecondsField, seconds.c_str());
    SendDlgItemMessageA(dialog, ok ? IDOK : IDCANCEL, BM_CLICK, 0, 0);
    deliverQueued();
    return true;
}

void Win32Driver::answer(HWND box) {
    if (!hasClass(box, "#32770")) return;
    if (isFileDialog(box)) {
        watchFileDialog(box);
        return;
    }
    HWND text = GetDlgItem(box, kMessageTextId);
    BoxContents contents;
    EnumChildWindows(box, inspectChild, reinterpret_cast<LPARAM>(&contents));
    if (!text || !contents.onlyMessageBoxControls) return;
    // A file dialog's own question (replace the existing file?) or complaint (no such folder) is
    // the dialog's, not the plug-in's: the user agrees to replace, and acknowledges the rest.
    if (fileDialog_ && GetWindow(box, GW_OWNER) == fileDialog_) {
        const int button = GetDlgItem(box, IDYES) ? IDYES : IDOK;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return;
    }
    const bool question = GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO);
    MessageBoxSeen seen{windowText(box), windowText(text), iconName(contents.icon), question};
    if (onMessageBox_) onMessageBox_(seen);
    InsideBox work = insideBoxes_ ? insideBoxes_() : InsideBox();
    // The work waits for the box's own message loop, which runs once its set-up is over: a thread
    // timer gets there. Without a timer it runs here, still before the box is answered.
    const UINT_PTR timer = work ? SetTimer(nullptr, 0, USER_TIMER_MINIMUM, boxWorkTick) : 0;
    if (timer) {
        boxWork_.push_back({timer, box, std::move(work), question});
        return;
    }
    workAndAnswer(box, question, work);
}

void Win32Driver::workAndAnswer(HWND box, bool question, const InsideBox& work) {
    // A box opened by the work has an answer of its own.
    const std::optional<bool> outer = std::exchange(questionAnswer_, std::nullopt);
    if (work) runInsideBox(work);
    const bool yes = questionAnswer_.value_or(true);
    questionAnswer_ = outer;
    const int button = question ? (yes ? IDYES : IDNO) : IDOK;
    if (IsWindow(box)) PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

void CALLBACK Win32Driver::boxWorkTick(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id); // once
    if (!activeDriver) return;
    auto& pending = activeDriver->boxWork_;
    const auto found =
        std::find_if(pending.begin(), pending.end(), [id](const BoxWork& w) { return w.timer == id; });
    if (found == pending.end()) return;
    const BoxWork taken = std::move(*found);
    pending.erase(found);
    activeDriver->workAndAnswer(taken.box, taken.question, taken.work);
}

// An exception cannot pass through the box's message loop.
void Win32Driver::runInsideBox(const InsideBox& work) {
    try {
        work();
    } catch (...) {
    }
}

bool Win32Driver::isBoxWorkTimer(UINT_PTR id) const {
    return std::any_of(boxWork_.begin(), boxWork_.end(), [id](const BoxWork& w) { return w.timer == id; });
}

// A file dialog is answered once it runs its own message loop: its set-up is over by then, and
// pressing its buttons behaves as a person's press does. A thread timer gets there.
// A file dialog moves the current directory to the folder it first shows while it initialises;
// the directory the host had is the one before that.
// A dialog inside it (the plug-in's hook's) comes later, after that move.
void Win32Driver::dialogCreated(HWND dialog) {
    if (GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) return;
    createdDialog_ = dialog;
    directoryAtCreation_ = currentDirectory();
}

void Win32Driver::watchFileDialog(HWND dialog) {
    fileDialog_ = dialog;
    fileDialogAnswered_ = false;
    workingDirectory_ = dialog == createdDialog_ ? directoryAtCreation_ : currentDirectory();
    if (!fileDialogTimer_) fileDialogTimer_ = SetTimer(nullptr, 0, kFileDialogTickMs, fileDialogTick);
}

void CALLBACK Win32Driver::fileDialogTick(HWND, UINT, UINT_PTR id, DWORD) {
    if (!activeDriver || activeDriver->fileDialogTimer_ != id) {
        KillTimer(nullptr, id);
        return;
    }
    // An exception cannot pass through the dialog's message loop.
    try {
        activeDriver->workFileDialog();
    } catch (...) {
    }
}

void Win32Driver::workFileDialog() {
    if (!fileDialog_ || !IsWindow(fileDialog_)) {
        KillTimer(nullptr, fileDialogTimer_);
        fileDialogTimer_ = 0;
        fileDialog_ = nullptr;
        return;
    }
    // While a press is being handled, or the dialog waits for an answer to its own message box
    // (it is disabled meanwhile), there is nothing to do.
    if (fileDialogPressing_ || !IsWindowEnabled(fileDialog_)) return;
    fileDialogPressing_ = true;
    try {
        pressFileDialog(fileDialog_);
    } catch (...) {
        // Answered or not, the next tick gives up on a dialog that is still there.
    }
    // The dialog makes the chosen file's folder the current directory, as it does for a person;
    // the host's relative paths keep meaning what they meant before the dialog.
    if (!workingDirectory_.empty()) SetCurrentDirectoryA(workingDirectory_.c_str());
    fileDialogPressing_ = false;
}

void Win32Driver::pressFileDialog(HWND dialog) {
    if (fileDialogAnswered_) {
        // The dialog took the answer and stayed open (it refused the name, and said why in a box
        // answered above): the user gives up.
        if (fileDialogRefused_) fileDialogRefused_();
        pressButton(dialog, IDCANCEL);
        return;
    }
    fileDialogAnswered_ = true;
    const FileDialogSeen seen = seenFileDialog(dialog);
    if (fileDialogObserver_) fileDialogObserver_(seen);
    // A type the list does not have cannot be picked: the user gives up at once.
    if (fileDialogAnswer_ && chooseFileType(dialog, fileDialogAnswer_->filter)) {
        const std::string path = absolutePath(fileDialogAnswer_->path, workingDirectory_);
        SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, path.c_str());
        pressButton(dialog, IDOK);
    } else {
        pressButton(dialog, IDCANCEL);
    }
}

std::string Win32Driver::currentDirectory() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0) return {};
    std::string directory(size, '\0');
    const DWORD length = GetCurrentDirectoryA(size, directory.data());
    directory.resize(length < size ? length : 0);
    return directory;
}

// Picks a file type from the list as the user does, which the dialog hears from the list. False
// for a number the list does not have.
bool Win32Driver::chooseFileType(HWND dialog, int32_t filter) {
    HWND types = GetDlgItem(dialog, cmb1);
    const auto count = static_cast<int32_t>(SendMessageA(types, CB_GETCOUNT, 0, 0));
    if (filter < 1 || filter > count) return false;
    SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(filter - 1), 0);
    for (WORD notification : {WORD{CBN_SELCHANGE}, WORD{CBN_SELENDOK}})
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notification), reinterpret_cast<LPARAM>(types));
    return true;
}

HWND Win32Driver::importDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findImportDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace brio::host::win32
