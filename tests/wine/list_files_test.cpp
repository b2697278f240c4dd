// The list files' desktop under Wine: the real common file dialogs answered by brio-host's Windows
// driver, kernel32 files opened without sharing, and the import options dialog from Brio.dll's
// resources, worked through the driver as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/desktop/desktop_driver.h"
#include "platform/file_dialogs.h"
#include "platform/import_dialog.h"
#include "platform/open_file.h"
#include "platform/win32/file_dialog_looks.h"

namespace {

using brio::host::DesktopDriver;
using brio::host::FileDialogAnswer;
using brio::host::FileDialogSeen;
using brio::host::MessageBoxSeen;
namespace platform = brio::platform;

constexpr const char* kScratch = "list-files-scratch";
using Filters = std::vector<std::pair<std::string, std::string>>;

std::string inScratch(const std::string& name) {
    return std::string(kScratch) + "\\" + name;
}

std::string fullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return std::string(full, length);
}

void writeBytes(const std::string& path, const std::string& bytes) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::optional<std::string> fileBytes(const std::string& path) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// The new files a failed or finished save might have left in the folder.
std::vector<std::string> leftBeside(const std::string& folder = kScratch) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\~brio*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

class ListFilesWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryA(kScratch, nullptr);
        driver_ = DesktopDriver::create([this](const MessageBoxSeen& box) { boxes_.push_back(box); });
        driver_->setFileDialogObserver([this](const FileDialogSeen& seen) { dialogs_.push_back(seen); });
    }

    void TearDown() override {
        for (const char* name : {"a.sts", "b.txt", "old.sts", "bytes.bin", "held.sts", "open.sts"})
            DeleteFileA(inScratch(name).c_str());
        RemoveDirectoryA(kScratch);
    }

    std::unique_ptr<DesktopDriver> driver_;
    std::vector<MessageBoxSeen> boxes_;
    std::vector<FileDialogSeen> dialogs_;
};

const platform::FileDialogRequest kSaveRequest{
    true, {{"AutoStatus (*.sts)", "*.sts"}, {"Plik tekstowy (*.txt)", "*.txt"}}, "sts"};
const platform::FileDialogRequest kOpenRequest{
    false, {{"AutoStatus(*.sts)", "*.sts"}, {"Dokument tekstowy (*.txt)", "*.txt"}}, ""};

Filters pairsOf(const platform::FileDialogRequest& request) {
    Filters pairs;
    for (const auto& filter : request.filters)
        pairs.emplace_back(filter.label, filter.pattern);
    return pairs;
}

struct DialogCase {
    const char* what;
    const platform::FileDialogRequest* request;
    const char* name;
    int32_t filter;
};

TEST_F(ListFilesWin32, FileDialogIsReportedThenAnsweredWithThePathAndTheChosenType) {
    writeBytes(inScratch("open.sts"), "x");
    const DialogCase cases[] = {
        {"save, second type", &kSaveRequest, "b.txt", 2},
        {"save, first type", &kSaveRequest, "a.sts", 1},
        {"open, second type", &kOpenRequest, "open.sts", 2},
        {"open, first type", &kOpenRequest, "open.sts", 1},
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs_.clear();
        driver_->setFileDialogAnswer(FileDialogAnswer{inScratch(c.name), c.filter});
        const std::string directory = fullPath(".");
        const std::optional<platform::ChosenFile> chosen = platform::askForFile(*c.request);
        EXPECT_EQ(fullPath("."), directory) << "the host's current directory stays";
        ASSERT_EQ(dialogs_.size(), 1u);
        EXPECT_EQ(dialogs_[0].save, c.request->save);
        EXPECT_EQ(dialogs_[0].filters, pairsOf(*c.request));
        EXPECT_EQ(dialogs_[0].defaultExtension, c.request->defaultExtension);
        ASSERT_TRUE(chosen.has_value());
        // Relative to the current directory, and given back whole.
        EXPECT_EQ(chosen->path, fullPath(inScratch(c.name)));
        EXPECT_EQ(chosen->filterIndex, c.filter);
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ListFilesWin32, FileDialogWithoutAnAnswerIsCancelled) {
    for (const auto* request : {&kSaveRequest, &kOpenRequest}) {
        dialogs_.clear();
        driver_->setFileDialogAnswer(std::nullopt);
        EXPECT_FALSE(platform::askForFile(*request).has_value());
        ASSERT_EQ(dialogs_.size(), 1u);
        EXPECT_EQ(dialogs_[0].save, request->save);
    }
}

TEST_F(ListFilesWin32, FileDialogAnsweredWithATypeItLacksIsCancelled) {
    for (int32_t filter : {0, 3}) {
        dialogs_.clear();
        driver_->setFileDialogAnswer(FileDialogAnswer{inScratch("a.sts"), filter});
        EXPECT_FALSE(platform::askForFile(kSaveRequest).has_value()) << filter;
        EXPECT_EQ(dialogs_.size(), 1u);
    }
}

TEST_F(ListFilesWin32, FileDialogRefusingTheNameIsCancelledInsteadOfWaiting) {
    // The open dialog wants an existing file; the save dialog an existing folder. Each says so in a
    // box of its own, which is not the plug-in's.
    const std::pair<const platform::FileDialogRequest*, std::string> cases[] = {
        {&kOpenRequest, inScratch("missing.sts")}, {&kSaveRequest, inScratch("no-folder\\a.sts")}};
    for (const auto& [request, path] : cases) {
        SCOPED_TRACE(path);
        driver_->setFileDialogAnswer(FileDialogAnswer{path, 1});
        EXPECT_FALSE(platform::askForFile(*request).has_value());
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ListFilesWin32, SavingOverAnExistingFileAgreesToReplaceIt) {
    writeBytes(inScratch("old.sts"), "old");
    driver_->setFileDialogAnswer(FileDialogAnswer{inScratch("old.sts"), 1});
    const auto chosen = platform::askForFile(kSaveRequest);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->path, fullPath(inScratch("old.sts")));
    EXPECT_TRUE(boxes_.empty()) << "the dialog's question is not one of the plug-in's boxes";
    // The dialog only chose the name; the file is replaced when it is created.
    EXPECT_EQ(fileBytes(inScratch("old.sts")), "old");
}

// Both dialogs take a name a dialog can take. A longer one only the hooked dialog takes, from its
// field; it then asks nothing about a file of that name, which the caller is told. Wine draws the
// same dialog with or without a hook procedure, and without one refuses a long name without a word:
// there the hooked dialog is the one shown.
TEST_F(ListFilesWin32, OnlyTheHookedDialogTakesALongNameUnderWine) {
    EXPECT_FALSE(platform::systemDialogTakesLongNames());
    const std::string folder = inScratch(std::string(150, 'd'));
    const std::string longName = folder + "\\" + std::string(150, 'n') + ".sts";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    bool refused = false;
    driver_->setFileDialogRefusedObserver([&] { refused = true; });
    struct Case {
        platform::DialogLook look;
        std::string name;
        bool exists;
        bool taken;
    };
    const Case cases[] = {
        {platform::DialogLook::System, inScratch("a.sts"), false, true},
        {platform::DialogLook::System, longName, false, false},
        {platform::DialogLook::Hooked, inScratch("a.sts"), true, true},
        {platform::DialogLook::Hooked, longName, false, true},
        {platform::DialogLook::Hooked, longName, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.name.size()) +
                     (c.look == platform::DialogLook::System ? " system" : " hooked") +
                     (c.exists ? ", there" : ""));
        refused = false;
        std::filesystem::remove(c.name, ignored);
        if (c.exists) std::ofstream(std::filesystem::path(c.name)) << "old";
        driver_->setFileDialogAnswer(FileDialogAnswer{c.name, 2});
        uint32_t failure = 1;
        const auto chosen = platform::askForFileWithLook(kSaveRequest, c.look, &failure);
        EXPECT_EQ(failure, 0u);
        EXPECT_EQ(refused, !c.taken);
        ASSERT_EQ(chosen.has_value(), c.taken);
        if (!chosen) continue;
        EXPECT_EQ(chosen->filterIndex, 2);
        EXPECT_EQ(chosen->path.substr(chosen->path.size() - 20), c.name.substr(c.name.size() - 20));
        // A long name's file is the caller's to ask about; a short one's the dialog asked about.
        EXPECT_EQ(chosen->replaceUnasked, c.exists && c.name.size() >= MAX_PATH);
    }
    driver_->setFileDialogRefusedObserver(nullptr);
    std::filesystem::remove_all(folder, ignored);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ListFilesWin32, FilesAreWrittenAndReadBackByteForByte) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::vector<std::vector<std::string>> writes = {
        {},
        {all},
        {"status=3\r\ntime=30\r\n", std::string(), "text=abc\r\n\r\n", all + "\r\n"},
        {std::string(70000, '\n')}};
    const std::string path = inScratch("bytes.bin");
    for (const auto& parts : writes) {
        std::string expected;
        uint32_t error = 0;
        {
            const auto file = platform::createFileForWriting(path, error);
            ASSERT_NE(file, nullptr) << error;
            for (const std::string& part : parts) {
                EXPECT_TRUE(file->write(part, error)) << error;
                expected += part;
            }
            EXPECT_TRUE(file->replaceOld(error)) << error;
        }
        EXPECT_EQ(fileBytes(path), expected) << "written as given, nothing added";
        const auto read = platform::openFileForReading(path)->readAll(error);
        ASSERT_TRUE(read.has_value()) << error;
        EXPECT_EQ(*read, expected);
    }
    // The old file stays whole until the new one takes its place; then its bytes are gone.
    writeBytes(path, "longer than what follows");
    uint32_t error = 0;
    const auto file = platform::createFileForWriting(path, error);
    ASSERT_NE(file, nullptr) << error;
    EXPECT_TRUE(file->write("ab", error));
    EXPECT_EQ(fileBytes(path), "longer than what follows");
    EXPECT_TRUE(file->replaceOld(error)) << error;
    EXPECT_EQ(fileBytes(path), "ab");
    EXPECT_EQ(leftBeside(), std::vector<std::string>{}) << "nothing left beside it";
}

// A file that cannot be replaced keeps its bytes, and the new one is removed, with the system's code
// for the failure (the headless desktop gives the same ones).
TEST_F(ListFilesWin32, AFileThatCannotBeReplacedStaysAsItWas) {
    CreateDirectoryA(inScratch("dir").c_str(), nullptr);
    const struct {
        const char* what;
        std::string path;
        DWORD attributes; // of the old file, "old.sts"; 0: there is none
        bool held;        // another program has it open
        DWORD error;
    } cases[] = {
        {"missing folder", inScratch("missing\\a.sts"), 0, false, ERROR_PATH_NOT_FOUND},
        {"a file as the folder", inScratch("old.sts\\a.sts"), FILE_ATTRIBUTE_NORMAL, false,
         ERROR_PATH_NOT_FOUND},
        {"a folder as the file", inScratch("dir"), 0, false, ERROR_ACCESS_DENIED},
        {"read-only file", inScratch("old.sts"), FILE_ATTRIBUTE_READONLY, false, ERROR_ACCESS_DENIED},
        {"held by another program", inScratch("old.sts"), FILE_ATTRIBUTE_NORMAL, true, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.attributes) {
            writeBytes(inScratch("old.sts"), "stare");
            ASSERT_TRUE(SetFileAttributesA(inScratch("old.sts").c_str(), c.attributes));
        }
        HANDLE holder = c.held ? CreateFileA(inScratch("old.sts").c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr)
                               : INVALID_HANDLE_VALUE;
        uint32_t error = 0;
        if (const auto file = platform::createFileForWriting(c.path, error)) {
            EXPECT_TRUE(file->write("status=1\r\n", error)) << error;
            EXPECT_FALSE(file->replaceOld(error));
        }
        EXPECT_EQ(error, c.error);
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        if (c.attributes) {
            EXPECT_EQ(fileBytes(inScratch("old.sts")), "stare");
            EXPECT_EQ(GetFileAttributesA(inScratch("old.sts").c_str()) & FILE_ATTRIBUTE_READONLY,
                      c.attributes & FILE_ATTRIBUTE_READONLY);
        }
        EXPECT_EQ(GetFileAttributesA(inScratch("dir").c_str()), DWORD{FILE_ATTRIBUTE_DIRECTORY});
        EXPECT_EQ(leftBeside(), std::vector<std::string>{});
        SetFileAttributesA(inScratch("old.sts").c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(inScratch("old.sts").c_str());
    }
    RemoveDirectoryA(inScratch("dir").c_str());
}

// A disk that runs full halfway through the new file: run_checks.sh lends a small file system of its
// own when it can mount one.
TEST_F(ListFilesWin32, AWriteThatRunsOutOfRoomLeavesTheOldFile) {
    const char* full = std::getenv("BRIO_FULL_FOLDER");
    if (!full || !*full) GTEST_SKIP() << "no small file system to fill (run_checks.sh mounts one as root)";
    const std::string path = std::string(full) + "\\old.sts";
    writeBytes(path, "stare");
    uint32_t error = 0;
    auto file = platform::createFileForWriting(path, error);
    ASSERT_NE(file, nullptr) << error;
    EXPECT_TRUE(file->write(std::string(4096, 'a'), error)) << error;
    EXPECT_FALSE(file->write(std::string(size_t{1} << 20, 'b'), error)) << "more than the disk holds";
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_DISK_FULL));
    file.reset();
    EXPECT_EQ(fileBytes(path), "stare");
    EXPECT_EQ(leftBeside(full), std::vector<std::string>{});
    DeleteFileA(path.c_str());
}

TEST_F(ListFilesWin32, FileThatCannotBeOpenedFailsWithTheErrorOfTheOpen) {
    const std::string held = inScratch("held.sts");
    writeBytes(held, "status=1\r\n");
    // Another program holds it without sharing.
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const std::pair<std::string, DWORD> cases[] = {{held, ERROR_SHARING_VIOLATION},
                                                   {inScratch("missing.sts"), ERROR_FILE_NOT_FOUND}};
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path);
        const auto file = platform::openFileForReading(path);
        ASSERT_NE(file, nullptr);
        uint32_t error = 0;
        EXPECT_FALSE(file->readAll(error).has_value());
        EXPECT_EQ(error, static_cast<uint32_t>(expected));
    }
    CloseHandle(holder);
    // While the plug-in reads it, nobody else opens it.
    const auto reading = platform::openFileForReading(held);
    EXPECT_EQ(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
}

// What the dialog told the list editor, one line per event; and the editor's answer to "OK".
class ImportEvents final : public platform::ImportDialogEvents {
public:
    bool onImportConfirmed(std::string_view seconds, int32_t checkedPosition) override {
        log.push_back("confirmed '" + std::string(seconds) + "' " + std::to_string(checkedPosition));
        if (fail) throw std::runtime_error("import failed");
        return closeOnConfirm;
    }
    void onImportCancelled() override { log.push_back("cancelled"); }
    void onImportDialogClosed() override {
        log.push_back("closed");
        if (whenClosed) whenClosed();
    }

    std::vector<std::string> log;
    std::function<void()> whenClosed;
    bool closeOnConfirm = true;
    bool fail = false;
};

class ImportDialogWin32 : public ListFilesWin32 {
protected:
    static void SetUpTestSuite() {
        const char* path = std::getenv("BRIO_DLL");
        module_ = LoadLibraryA(path && *path ? path : "Brio.dll");
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }

    void SetUp() override {
        ListFilesWin32::SetUp();
        ASSERT_NE(module_, nullptr) << "Brio.dll (the dialog's module) did not load";
        for (int32_t i = 0; i < 6; ++i)
            icons_[static_cast<size_t>(i)] = driver_->statusIconHandle(i);
    }

    std::unique_ptr<platform::ImportDialog> show() {
        auto dialog = platform::showImportDialog(module_, icons_, events_);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    static HWND shownWindow() {
        HWND window = FindWindowA("#32770", "Otwieranie pliku...");
        return window && IsWindowVisible(window) ? window : nullptr;
    }

    static inline HMODULE module_ = nullptr;
    std::array<int32_t, 6> icons_{};
    ImportEvents events_;
};

TEST_F(ImportDialogWin32, DriverGivesOneIconPerStatusImageAndNoneBeyondThem) {
    for (size_t i = 0; i < icons_.size(); ++i) {
        EXPECT_NE(icons_[i], 0) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(icons_[i], icons_[j]) << i << " " << j;
        EXPECT_EQ(driver_->statusIconHandle(static_cast<int32_t>(i)), icons_[i]) << "made once";
    }
    EXPECT_EQ(driver_->statusIconHandle(-1), 0);
    EXPECT_EQ(driver_->statusIconHandle(8), 0);
}

TEST_F(ImportDialogWin32, ShowsTheStatusIconsCentredOnTheDesktop) {
    EXPECT_FALSE(driver_->importDialogOpen());
    const auto dialog = show();
    ASSERT_TRUE(dialog && dialog->open());
    HWND window = shownWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(driver_->importDialogOpen());
    EXPECT_EQ(GetParent(window), nullptr);
    for (int32_t position = 0; position < 6; ++position) {
        HWND button = GetDlgItem(window, 1001 + position);
        EXPECT_EQ(SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0), icons_[static_cast<size_t>(position)]);
        EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    }
    RECT desktop{}, placed{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &placed);
    const LONG width = placed.right - placed.left, height = placed.bottom - placed.top;
    EXPECT_EQ(placed.left, (desktop.right - desktop.left) / 2 - width / 2);
    EXPECT_EQ(placed.top, (desktop.bottom - desktop.top) / 2 - height / 2);
    EXPECT_TRUE(events_.log.empty());
}

struct AnswerCase {
    const char* what;
    int32_t checked;
    std::string seconds;
    bool ok;
    bool closeOnConfirm;
    std::vector<std::string> log;
    bool openAfter;
};

TEST_F(ImportDialogWin32, AnswersReachTheEventsAndCloseTheDialogWhenAccepted) {
    const std::vector<AnswerCase> cases = {
        {"OK with a status and a time", 3, "45", true, true, {"confirmed '45' 3", "closed"}, false},
        {"OK with nothing picked", -1, "", true, true, {"confirmed '' -1", "closed"}, false},
        {"first button", 0, "10", true, true, {"confirmed '10' 0", "closed"}, false},
        {"last button", 5, "9", true, true, {"confirmed '9' 5", "closed"}, false},
        {"time cut to 31 bytes",
         1,
         std::string(40, '7'),
         true,
         true,
         {"confirmed '" + std::string(31, '7') + "' 1", "closed"},
         false},
        {"OK refused by the editor", 4, "20", true, false, {"confirmed '20' 4"}, true},
        {"Anuluj", 2, "12", false, true, {"cancelled"}, false},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.what);
        events_.log.clear();
        events_.closeOnConfirm = c.closeOnConfirm;
        const auto dialog = show();
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(driver_->answerImportDialog(c.checked, c.seconds, c.ok));
        EXPECT_EQ(events_.log, c.log);
        EXPECT_EQ(dialog->open(), c.openAfter);
        EXPECT_EQ(driver_->importDialogOpen(), c.openAfter);
        if (c.openAfter) {
            // Still there to be answered again.
            ASSERT_TRUE(driver_->answerImportDialog(c.checked, c.seconds, false));
            EXPECT_EQ(events_.log.back(), "cancelled");
            EXPECT_FALSE(dialog->open());
        }
    }
    EXPECT_FALSE(driver_->answerImportDialog(0, "10", true)) << "no dialog is open";
    // A status the dialog has no button for is not an answer.
    const auto dialog = show();
    for (int32_t checked : {-2, 6})
        EXPECT_FALSE(driver_->answerImportDialog(checked, "10", true)) << checked;
    EXPECT_TRUE(dialog->open());
    EXPECT_EQ(events_.log, std::vector<std::string>{"cancelled"}) << "the last case's only";
}

// What runs once the dialog has closed (a message box, say) may end the dialog's owner, and the dialog
// with it.
TEST_F(ImportDialogWin32, TheDialogMayBeEndedOnceItHasClosed) {
    auto dialog = show();
    ASSERT_TRUE(dialog);
    HWND window = shownWindow();
    events_.whenClosed = [&] {
        EXPECT_FALSE(IsWindow(window));
        dialog.reset();
    };
    ASSERT_TRUE(driver_->answerImportDialog(1, "30", true));
    EXPECT_EQ(dialog, nullptr);
    EXPECT_EQ(events_.log, (std::vector<std::string>{"confirmed '30' 1", "closed"}));
    EXPECT_FALSE(driver_->importDialogOpen());
}

TEST_F(ImportDialogWin32, ClosingTheWindowCancels) {
    const auto dialog = show();
    ASSERT_TRUE(dialog);
    SendMessageA(shownWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(events_.log, std::vector<std::string>{"cancelled"});
    EXPECT_FALSE(dialog->open());
}

TEST_F(ImportDialogWin32, DestroyingTheDialogWhileOpenClosesItsWindowSilently) {
    auto dialog = show();
    ASSERT_TRUE(dialog);
    HWND window = shownWindow();
    ASSERT_NE(window, nullptr);
    dialog.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(driver_->importDialogOpen());
    EXPECT_TRUE(events_.log.empty());
    // Destroyed after it closed: nothing left to do.
    auto closed = show();
    ASSERT_TRUE(driver_->answerImportDialog(1, "30", false));
    closed.reset();
    EXPECT_EQ(events_.log, std::vector<std::string>{"cancelled"});
}

TEST_F(ImportDialogWin32, FailingEditorLeavesTheDialogOpen) {
    events_.fail = true;
    const auto dialog = show();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(driver_->answerImportDialog(2, "15", true));
    EXPECT_EQ(events_.log, std::vector<std::string>{"confirmed '15' 2"});
    EXPECT_TRUE(dialog->open());
    events_.fail = false;
    ASSERT_TRUE(driver_->answerImportDialog(2, "15", true));
    EXPECT_FALSE(dialog->open());
    EXPECT_EQ(events_.log.back(), "closed");
}

TEST_F(ImportDialogWin32, DialogFromAModuleWithoutItIsNotShown) {
    EXPECT_EQ(platform::showImportDialog(GetModuleHandleA(nullptr), icons_, events_), nullptr);
    EXPECT_FALSE(driver_->importDialogOpen());
}

} // namespace
