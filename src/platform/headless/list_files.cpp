// The headless file dialogs and import options dialog, answered by the driver, and files on the real
// file system (the host's scenarios work in a scratch directory).
#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/file_dialogs.h"
#include "platform/headless/driver.h"
#include "platform/import_dialog.h"
#include "platform/open_file.h"

namespace brio {

namespace {

constexpr uint32_t kInvalidHandle = 6; // what a size query on a file that did not open reports
constexpr size_t kPathLimit = 259;     // the dialogs' 260-byte name buffer

class HeadlessImportDialog;

struct Dialogs {
    std::function<void(const platform::FileDialogRequest&)> observer;
    std::optional<platform::ChosenFile> answer;
    HeadlessImportDialog* importDialog = nullptr; // the open one
};

// Never destroyed, as the rest of the headless desktop.
Dialogs& dialogs() {
    static Dialogs& d = *new Dialogs;
    return d;
}

class HeadlessFile final : public platform::OpenFile {
public:
    explicit HeadlessFile(std::FILE* file) : file_(file) {}
    ~HeadlessFile() override {
        if (file_) std::fclose(file_);
    }
    HeadlessFile(const HeadlessFile&) = delete;
    HeadlessFile& operator=(const HeadlessFile&) = delete;

    bool write(std::string_view bytes) override {
        return file_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    }

    std::optional<std::string> readAll(uint32_t& error) override {
        if (!file_) {
            error = kInvalidHandle;
            return std::nullopt;
        }
        std::string bytes;
        char buffer[4096];
        std::rewind(file_);
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file_)) > 0;)
            bytes.append(buffer, n);
        return bytes;
    }

private:
    std::FILE* file_;
};

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
        const std::string typed = seconds.substr(0, 31); // the time field gives at most 31 bytes
        if (!ok) {
            events_.onImportCancelled();
            close();
        } else if (events_.onImportConfirmed(typed, checked >= 0 && checked < 6 ? checked : -1)) {
            close();
        }
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

std::optional<ChosenFile> askForFile(const FileDialogRequest& request) {
    Dialogs& d = dialogs();
    if (d.observer) d.observer(request);
    if (!d.answer || d.answer->filterIndex < 1 || size_t(d.answer->filterIndex) > request.filters.size() ||
        d.answer->path.empty() || d.answer->path.size() > kPathLimit)
        return std::nullopt;
    return d.answer;
}

std::unique_ptr<OpenFile> createFileForWriting(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    return file ? std::make_unique<HeadlessFile>(file) : nullptr;
}

std::unique_ptr<OpenFile> openFileForReading(const std::string& path) {
    return std::make_unique<HeadlessFile>(std::fopen(path.c_str(), "rb"));
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
    d.answer.reset();
}

} // namespace headless

} // namespace brio
