// files/: "Zapisz" and "Wczytaj": the list files and the text import, on the list editor's rows. Uses
// every folder below it, in practice formats/, platform/, boundary/ and list/.
//
// The list files behind the "Lista" page's "Zapisz" and "Wczytaj": AutoStatus files (*.sts) and
// plain-text files, picked in the standard file dialogs. They work on the list editor's rows; reading
// appends after the rows there are.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_dialogs.h"
#include "platform/import_dialog.h"
#include "platform/open_file.h"

namespace brio {

class HostGateway;
class ListEditor;

// A plain-text file waiting for the import options dialog, which gives the status and the time for
// all of its lines. The file stays open until the dialog's "OK" or "Anuluj", or until the session goes.
// A file that cannot be read, and one that is not empty but gives no line, are reported once the dialog
// has closed: the message box lets the rest of the desktop run, and whatever ends the session meanwhile
// must find nothing of it still at work.
class ImportSession final : public platform::ImportDialogEvents {
public:
    ImportSession(ListEditor& editor, std::string path, std::unique_ptr<platform::OpenFile> file);
    ~ImportSession();
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

    // Shows the dialog with the host's status icons; false when it cannot be shown.
    bool show(const HostGateway& host);
    bool waiting() const { return file_ != nullptr; }

    bool onImportConfirmed(std::string_view seconds, int32_t checkedPosition) override;
    void onImportCancelled() override;
    void onImportDialogClosed() override;

private:
    ListEditor& editor_;
    std::string path_; // as chosen, for the user
    std::unique_ptr<platform::OpenFile> file_;
    std::unique_ptr<platform::ImportDialog> dialog_;
    // To be reported once the dialog has closed.
    std::optional<uint32_t> readFailure_;
    bool nothingRead_ = false;
};

// The dialogs of "Zapisz" and "Wczytaj". They have no owner: while one is up, the rest of the desktop
// goes on, and the list page may close, so no list editor is held across them. A name of any length is
// given; a dialog that fails (a name longer than it can give) says so in a message box. A file to save
// whose replacing the dialog could not ask about (a name it could not take itself) is asked about here,
// as the dialog asks; "Nie" chooses nothing.
std::optional<platform::ChosenFile> askForListFileToSave();
std::optional<platform::ChosenFile> askForListFileToOpen();

// "Zapisz": the rows go to the chosen file, as an AutoStatus or a plain-text file by the filter chosen.
// A file that cannot be written whole is reported by its name and the system's error code, and the
// file there was keeps its bytes.
void saveListFile(const ListEditor& editor, const platform::ChosenFile& chosen);

// "Wczytaj": an AutoStatus file's entries are appended at once. A plain-text file waits for the import
// options dialog in a new session that takes the place of `waiting`; the one waiting gives up its file
// first, so that the same file can be chosen again. A file that is not empty but gives no row (most
// likely one of the other type) is said to the user; an empty file, or an AutoStatus file of nothing but
// comments (an empty list as Brio saves it), adds nothing without a word.
void openListFile(ListEditor& editor, const platform::ChosenFile& chosen, const HostGateway& host,
                  std::unique_ptr<ImportSession>& waiting);

} // namespace brio
