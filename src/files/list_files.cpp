#include "files/list_files.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "boundary/host_gateway.h"
#include "boundary/messages.h"
#include "formats/autostatus.h"
#include "formats/integer.h"
#include "formats/list_encoding.h"
#include "formats/status.h"
#include "formats/text_list.h"
#include "list/list_editor.h"
#include "platform/file_dialogs.h"
#include "platform/message_box.h"
#include "platform/read_whole_file.h"

namespace brio {

namespace {

constexpr int32_t kAutoStatusFilter = 1;
constexpr int32_t kUncheckedPosition = 5; // no radio button checked
// The dialog's buttons set their icons in this order of status positions.
constexpr int32_t kIconOrder[] = {0, 1, 2, 4, 3, 5};

// A file that cannot be read is reported; nothing is read from it. (The process goes on: a list file
// that cannot be read is no reason to end the messenger.)
std::optional<std::string> readListFile(platform::OpenFile& file) {
    uint32_t error = 0;
    std::optional<std::string> bytes = file.readAll(error);
    if (!bytes) showReadFailure(error);
    return bytes;
}

bool writeWhole(const std::string& path, const std::vector<std::string>& parts, uint32_t& error) {
    const std::unique_ptr<platform::NewFile> file = platform::createFileForWriting(path, error);
    if (!file) return false;
    for (const std::string& part : parts)
        if (!file->write(part, error)) return false;
    return file->replaceOld(error);
}

// The file by its name alone, as the user picked it.
void showSaveFailure(const std::string& path, uint32_t error) {
    const std::string name(fileNameOf(path));
    char text[1024];
    std::snprintf(text, sizeof text, "Nie można zapisać pliku \"%s\" (kod błędu %u).", name.c_str(),
                  static_cast<unsigned>(error));
    platform::showMessage(text, "Brio - Error", platform::MessageIcon::Warning);
}

// What an editor saves for an empty text: no byte, or a byte order mark alone.
bool emptyFile(std::string_view bytes) {
    return bytes.empty() || bytes == "\xEF\xBB\xBF" || bytes == "\xFF\xFE" || bytes == "\xFE\xFF";
}

// A file that is not empty gave no row: read, most likely, as the type it is not. The file by its name
// alone, as the dialog's own messages name it.
void showNothingRead(const std::string& path) {
    const std::string text = "Z pliku \"" + std::string(fileNameOf(path)) +
                             "\" nie wczytano żadnego wiersza.\r\nSprawdź, czy wybrany typ pliku zgadza się "
                             "z jego zawartością.";
    platform::showMessage(text, "Ostrzeżenie", platform::MessageIcon::Warning);
}

std::vector<StatusEntry> entriesOf(const ListEditor& editor) {
    std::vector<StatusEntry> entries;
    for (int32_t row = 0; row < editor.rowCount(); ++row)
        entries.push_back(editor.entryAt(row));
    return entries;
}

} // namespace

ImportSession::ImportSession(ListEditor& editor, std::string path, std::unique_ptr<platform::OpenFile> file)
    : editor_(editor), path_(std::move(path)), file_(std::move(file)) {}

ImportSession::~ImportSession() = default;

bool ImportSession::show(const HostGateway& host) {
    void* const instance = host.instanceHandle();
    std::array<int32_t, 6> icons{};
    for (int32_t position : kIconOrder)
        icons[size_t(position)] =
            host.send(msg::kStatusIconHandle, 0, 0, statusIconId(hostStatusNumber(position)), 1);
    dialog_ = platform::showImportDialog(instance, icons, *this);
    return dialog_ != nullptr;
}

bool ImportSession::onImportConfirmed(std::string_view seconds, int32_t checkedPosition) {
    if (!file_) return false; // nothing waits any more: the dialog stays as it is
    uint32_t error = 0;
    const std::optional<std::string> bytes = file_->readAll(error);
    file_.reset();
    if (!bytes) {
        readFailure_ = error;
        return true;
    }
    const int32_t time = readSeconds(seconds);
    const int32_t position =
        checkedPosition >= 0 && checkedPosition < kStatusCount ? checkedPosition : kUncheckedPosition;
    std::vector<StatusEntry> entries;
    for (std::string& line : readTextList(listFileText(*bytes)))
        entries.push_back({position, std::move(line), time});
    editor_.appendAll(entries);
    nothingRead_ = entries.empty() && !emptyFile(*bytes);
    return true;
}

void ImportSession::onImportCancelled() {
    file_.reset();
}

void ImportSession::onImportDialogClosed() {
    // Each is the last thing done here: this session may be gone when its box closes.
    if (std::exchange(nothingRead_, false)) {
        const std::string path = path_;
        showNothingRead(path);
        return;
    }
    if (!readFailure_) return;
    const uint32_t error = *readFailure_;
    readFailure_.reset();
    showReadFailure(error);
}

namespace {

// A dialog that failed is not a cancelled one: the user hears why nothing was saved or read.
std::optional<platform::ChosenFile> askForListFile(const platform::FileDialogRequest& request) {
    uint32_t failure = 0;
    std::optional<platform::ChosenFile> chosen = platform::askForFile(request, &failure);
    if (chosen || failure == 0) return chosen;
    char text[256];
    if (failure == platform::kPathTooLong)
        std::snprintf(text, sizeof text, "Ścieżka pliku jest za długa.");
    else
        std::snprintf(text, sizeof text, "Nie można wybrać pliku (kod błędu %u).",
                      static_cast<unsigned>(failure));
    platform::showMessage(text, "Brio - Error", platform::MessageIcon::Warning);
    return std::nullopt;
}

} // namespace

std::optional<platform::ChosenFile> askForListFileToSave() {
    platform::FileDialogRequest request;
    request.save = true;
    request.filters = {{"AutoStatus (*.sts)", "*.sts"}, {"Plik tekstowy (*.txt)", "*.txt"}};
    request.defaultExtension = "sts";
    std::optional<platform::ChosenFile> chosen = askForListFile(request);
    // The dialog's own question, for a name it could not ask about; the file by its name, as the dialog
    // names it.
    if (chosen && chosen->replaceUnasked) {
        const std::string text =
            "Plik \"" + std::string(fileNameOf(chosen->path)) + "\" już istnieje.\r\nCzy chcesz go zastąpić?";
        if (!platform::askYesNo(text, "Ostrzeżenie", platform::MessageIcon::Warning)) return std::nullopt;
    }
    return chosen;
}

std::optional<platform::ChosenFile> askForListFileToOpen() {
    platform::FileDialogRequest request;
    request.filters = {{"AutoStatus(*.sts)", "*.sts"}, {"Dokument tekstowy (*.txt)", "*.txt"}};
    return askForListFile(request);
}

void saveListFile(const ListEditor& editor, const platform::ChosenFile& chosen) {
    // Written a part at a time (the header, then a part per row); the old file stays until all of it
    // is written.
    std::vector<std::string> parts;
    const std::vector<StatusEntry> entries = entriesOf(editor);
    if (chosen.filterIndex == kAutoStatusFilter) {
        parts.emplace_back(autoStatusHeader());
        for (const StatusEntry& e : entries)
            parts.push_back(autoStatusRecord(e));
    } else {
        for (const StatusEntry& e : entries)
            parts.push_back(textListLine(e.description));
    }
    uint32_t error = 0;
    if (!writeWhole(chosen.path, parts, error)) showSaveFailure(chosen.path, error);
}

void openListFile(ListEditor& editor, const platform::ChosenFile& chosen, const HostGateway& host,
                  std::unique_ptr<ImportSession>& waiting) {
    if (chosen.filterIndex == kAutoStatusFilter) {
        // Nothing is appended after a failure's message box, during which the editor may have gone.
        const std::unique_ptr<platform::OpenFile> file = platform::openFileForReading(chosen.path);
        const std::optional<std::string> bytes = readListFile(*file);
        if (!bytes) return;
        const std::string text = listFileText(*bytes);
        const std::vector<StatusEntry> entries = readAutoStatus(text);
        editor.appendAll(entries);
        if (entries.empty() && !emptyFile(*bytes) && (text.empty() || !onlyCommentsIn(text)))
            showNothingRead(chosen.path);
        return;
    }
    waiting.reset();
    auto session =
        std::make_unique<ImportSession>(editor, chosen.path, platform::openFileForReading(chosen.path));
    if (session->show(host)) waiting = std::move(session);
}

} // namespace brio
