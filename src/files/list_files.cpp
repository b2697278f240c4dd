#include "files/list_files.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "feeds/read_whole_file.h"
#include "formats/autostatus.h"
#include "formats/integer.h"
#include "formats/status.h"
#include "formats/text_list.h"
#include "frame/host_gateway.h"
#include "frame/messages.h"
#include "list/list_editor.h"
#include "platform/file_dialogs.h"

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

std::vector<StatusEntry> entriesOf(const ListEditor& editor) {
    std::vector<StatusEntry> entries;
    for (int32_t row = 0; row < editor.rowCount(); ++row)
        entries.push_back(editor.entryAt(row));
    return entries;
}

} // namespace

ImportSession::ImportSession(ListEditor& editor, std::unique_ptr<platform::OpenFile> file)
    : editor_(editor), file_(std::move(file)) {}

ImportSession::~ImportSession() = default;

bool ImportSession::show(const HostGateway& host) {
    std::array<int32_t, 6> icons{};
    for (int32_t position : kIconOrder)
        icons[size_t(position)] =
            host.send(msg::kStatusIconHandle, 0, 0, statusIconId(hostStatusNumber(position)), 1);
    dialog_ = platform::showImportDialog(host.instanceHandle(), icons, *this);
    return dialog_ != nullptr;
}

bool ImportSession::onImportConfirmed(std::string_view seconds, int32_t checkedPosition) {
    if (!file_) return false; // nothing waits any more: the dialog stays as it is
    importTextList(editor_, *file_, std::max(readInteger(seconds), kMinimumSeconds),
                   checkedPosition >= 0 && checkedPosition < kStatusCount ? checkedPosition
                                                                          : kUncheckedPosition);
    file_.reset();
    return true;
}

void ImportSession::onImportCancelled() {
    file_.reset();
}

void saveListFile(const ListEditor& editor) {
    platform::FileDialogRequest request;
    request.save = true;
    request.filters = {{"AutoStatus (*.sts)", "*.sts"}, {"Plik tekstowy (*.txt)", "*.txt"}};
    request.defaultExtension = "sts";
    const std::optional<platform::ChosenFile> chosen = platform::askForFile(request);
    if (!chosen) return;
    const std::unique_ptr<platform::OpenFile> file = platform::createFileForWriting(chosen->path);
    if (!file) return;
    const std::vector<StatusEntry> entries = entriesOf(editor);
    if (chosen->filterIndex == kAutoStatusFilter) {
        file->write(writeAutoStatus(entries));
    } else {
        std::vector<std::string> descriptions;
        for (const StatusEntry& e : entries)
            descriptions.push_back(e.description);
        file->write(writeTextList(descriptions));
    }
}

std::unique_ptr<ImportSession> openListFile(ListEditor& editor, const HostGateway& host) {
    platform::FileDialogRequest request;
    request.filters = {{"AutoStatus(*.sts)", "*.sts"}, {"Dokument tekstowy (*.txt)", "*.txt"}};
    const std::optional<platform::ChosenFile> chosen = platform::askForFile(request);
    if (!chosen) return nullptr;
    std::unique_ptr<platform::OpenFile> file = platform::openFileForReading(chosen->path);
    if (chosen->filterIndex == kAutoStatusFilter) {
        if (const std::optional<std::string> bytes = readListFile(*file))
            for (const StatusEntry& e : readAutoStatus(*bytes))
                editor.append(e);
        return nullptr;
    }
    auto session = std::make_unique<ImportSession>(editor, std::move(file));
    if (!session->show(host)) return nullptr;
    return session;
}

void importTextList(ListEditor& editor, platform::OpenFile& file, int32_t seconds, int32_t position) {
    const std::optional<std::string> bytes = readListFile(file);
    if (!bytes) return;
    for (const std::string& line : readTextList(*bytes))
        editor.append({position, line, seconds});
}

} // namespace brio
