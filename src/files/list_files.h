// The list files behind the "Lista" page's "Zapisz" and "Wczytaj": AutoStatus files (*.sts) and
// plain-text files, picked in the standard file dialogs. They work on the list editor's rows; reading
// appends after the rows there are.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/import_dialog.h"
#include "platform/open_file.h"

namespace brio {

class HostGateway;
class ListEditor;

// A plain-text file waiting for the import options dialog, which gives the status and the time for
// all of its lines. The file stays open until the dialog's "OK" or "Anuluj", or until the session goes.
class ImportSession final : public platform::ImportDialogEvents {
public:
    ImportSession(ListEditor& editor, std::unique_ptr<platform::OpenFile> file);
    ~ImportSession();
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

    // Shows the dialog with the host's status icons; false when it cannot be shown.
    bool show(const HostGateway& host);
    bool waiting() const { return file_ != nullptr; }

    bool onImportConfirmed(std::string_view seconds, int32_t checkedPosition) override;
    void onImportCancelled() override;

private:
    ListEditor& editor_;
    std::unique_ptr<platform::OpenFile> file_;
    std::unique_ptr<platform::ImportDialog> dialog_;
};

// "Zapisz": the rows go to the chosen file, as an AutoStatus or a plain-text file by the filter chosen.
void saveListFile(const ListEditor& editor);

// "Wczytaj": an AutoStatus file's entries are appended at once; a plain-text file waits for the import
// options dialog, and its session is returned (null for anything else).
std::unique_ptr<ImportSession> openListFile(ListEditor& editor, const HostGateway& host);

// Appends a row for every line of the file, all with the same status position and seconds.
void importTextList(ListEditor& editor, platform::OpenFile& file, int32_t seconds, int32_t position);

} // namespace brio
