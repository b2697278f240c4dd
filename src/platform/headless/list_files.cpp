// The headless file dialogs and import options dialog, answered by the driver.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <utility>

#include "platform/file_dialogs.h"
#include "platform/headless/driver.h"
#include "platform/import_dialog.h"
#include "platform/open_file.h"

namespace brio {

namespace {

// Names the dialogs check themselves (the folder to save in, the file to open must be there); a longer
// one is handed on as it was typed, up to the longest path there is.
constexpr size_t kCheckedPathLimit = 259;

class HeadlessImportDialog;

struct Dialogs {
    std::function<void(const platform::FileDialogRequest&)> observer;
    std::function<void()> refused;
    std::optional<platform::ChosenFile> answer;
    HeadlessImportDialog* importDialog = nullptr; // the open one
};

bool isFolder(const std::string& path) {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool isFile(const std::string& path) {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0 && !S_ISDIR(s.st_mode);
}

// Whether the dialog takes the name: a folder's name opens the folder instead; the file to open must
// exist, the folder to save in too.
bool takesName(const platform::FileDialogRequest& request, const std::string& path) {
    if (isFolder(path)) return false;
    if (!request.save) return isFile(path);
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos || isFolder(slash == 0 ? "/" : path.substr(0, slash));
}

// The length of the path made whole, as the dialog measures it: a relative one from the working folder.
size_t wholeLength(const std::string& path) {
    if (path.front() == '/') return path.size();
    char folder[4096];
    return ::getcwd(folder, sizeof folder) ? strlen(folder) + 1 + path.size() : path.size();
}

// Never destroyed, as the rest of the headless desktop.
Dialogs& dialogs() {
    static Dialogs& d = *new Dialogs;
    return d;
}
// Made as the desktop library loads, not at the first call that needs it, which may be the plug-in's:
// the desktop's own lasting memory is none of the plug-in's.
[[maybe_unused]] const bool kDialogsMade = (dialogs(), true);

class HeadlessImportDialog final : public platform::ImportDialog {
public:
    HeadlessImportDialog(const std::array<int32_t, 6>& icons, platform::ImportDialogEvents& events)
        : icons_(icons), events_(events) {
        dialogs().importDialog = this;
    }
    ~HeadlessImportDialog() override { close(); }

    bool open() const override { return open_; }

    void close() {
        open_ = false;
        if (dialogs().importDialog == this) dialogs().importDialog = nullptr;
    }

    bool answer(int32_t checked, const std::string& seconds, bool ok) {
        headless::deliver([&] {
            const std::string typed = seconds.substr(0, 31); // the time field gives at most 31 bytes
            if (!ok) {
                events_.onImportCancelled();
                close();
            } else if (events_.onImportConfirmed(typed, checked >= 0 && checked < 6 ? checked : -1)) {
                close();
                events_.onImportDialogClosed(); // may end this dialog: nothing of it is used afterwards
            }
        });
        return true;
    }

    const std::array<int32_t, 6>& icons() const { return icons_; }

private:
    std::array<int32_t, 6> icons_;
    platform::ImportDialogEvents& events_;
    bool open_ = true;
};

} // namespace

namespace platform {

std::optional<ChosenFile> askForFile(const FileDialogRequest& request, uint32_t* failure) {
    Dialogs& d = dialogs();
    if (failure) *failure = 0;
    if (d.observer) d.observer(request);
    if (!d.answer || d.answer->filterIndex < 1 || size_t(d.answer->filterIndex) > request.filters.size() ||
        d.answer->path.empty())
        return std::nullopt;
    if (d.answer->path.size() > kLongestPath) {
        if (failure) *failure = kPathTooLong;
        return std::nullopt;
    }
    ChosenFile chosen = *d.answer;
    if (wholeLength(chosen.path) <= kCheckedPathLimit) {
        if (!takesName(request, chosen.path)) {
            if (d.refused) d.refused();
            return std::nullopt;
        }
    } else {
        chosen.replaceUnasked = request.save && platform::isExistingFile(chosen.path);
    }
    return chosen;
}

std::unique_ptr<ImportDialog> showImportDialog(void*, const std::array<int32_t, 6>& icons,
                                               ImportDialogEvents& events) {
    // One dialog at a time is shown here; an earlier one still open is no longer answered.
    if (dialogs().importDialog) dialogs().importDialog->close();
    return std::make_unique<HeadlessImportDialog>(icons, events);
}

} // namespace platform

namespace headless {

void onFileDialog(std::function<void(const platform::FileDialogRequest&)> observer) {
    dialogs().observer = std::move(observer);
}

void onFileDialogRefused(std::function<void()> refused) {
    dialogs().refused = std::move(refused);
}

void answerFileDialogs(const std::optional<platform::ChosenFile>& answer) {
    dialogs().answer = answer;
}

bool importDialogOpen() {
    return dialogs().importDialog != nullptr;
}

std::optional<std::array<int32_t, 6>> importDialogIcons() {
    if (!dialogs().importDialog) return std::nullopt;
    return dialogs().importDialog->icons();
}

bool answerImportDialog(int32_t checked, const std::string& seconds, bool ok) {
    HeadlessImportDialog* dialog = dialogs().importDialog;
    return dialog && dialog->answer(checked, seconds, ok);
}

void resetDialogs() {
    Dialogs& d = dialogs();
    d.observer = nullptr;
    d.refused = nullptr;
    d.answer.reset();
}

} // namespace headless

} // namespace brio
