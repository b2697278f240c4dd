// "Zapisz" and "Wczytaj" on the list editor: the dialogs' requests, the file type chosen by filter, the
// import options dialog and its session, and files that cannot be read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "fake_host.h"
#include "files/list_files.h"
#include "formats/autostatus.h"
#include "list/list_editor.h"
#include "platform/headless/driver.h"
#include "temp_folder.h"

namespace brio {
namespace {

using test::FakeHost;

class ListFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        ASSERT_TRUE(folder.made());
        host.responder = [](const MessageRecord& m, int) -> int32_t {
            if (m.id == 10135) return (m.p1 - 0x40000000) / 16; // images are host status numbers
            if (m.id == 10136) return m.p1 + 1;                 // an icon handle per icon id
            return 0;
        };
        headless::onMessage([this](const headless::ShownMessage& m) { boxes.push_back(m); });
        headless::onFileDialog([this](const platform::FileDialogRequest& r) { requests.push_back(r); });
        editor = ListEditor::create(gateway, 0x1000, 220, nullptr, 0, 0, 33);
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override {
        session.reset();
        editor.reset();
        headless::reset();
    }

    std::string path(const std::string& name) const { return folder.name(name); }
    void answer(const std::string& name, int32_t filter) {
        headless::answerFileDialogs(platform::ChosenFile{path(name), filter});
    }
    void write(const std::string& name, const std::string& bytes) const { folder.write(name, bytes); }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string& name) const { return access(path(name).c_str(), F_OK) == 0; }
    // What the folder holds, by name, sorted.
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path("")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (int32_t row = 0; row < editor->rowCount(); ++row) {
            const StatusEntry e = editor->entryAt(row);
            out.push_back(std::to_string(e.status) + "|" + e.description + "|" + std::to_string(e.seconds));
        }
        return out;
    }

    // "Zapisz" and "Wczytaj" as the page's buttons work them: the dialog, then the file.
    void save() {
        if (const auto chosen = askForListFileToSave()) saveListFile(*editor, *chosen);
    }
    void open() {
        if (const auto chosen = askForListFileToOpen()) openListFile(*editor, *chosen, gateway, session);
    }
    // The file as the dialog gave it, gone or changed by the time it is read or written (the dialogs
    // themselves refuse a name that is no file to open, or no folder to save in).
    void saveTo(const std::string& name, int32_t filter) { saveListFile(*editor, {path(name), filter}); }
    void openFrom(const std::string& name, int32_t filter) {
        openListFile(*editor, {path(name), filter}, gateway, session);
    }

    void startImport(const std::string& name, const std::string& bytes) {
        write(name, bytes);
        answer(name, 2);
        open();
        ASSERT_NE(session, nullptr);
        ASSERT_TRUE(headless::importDialogOpen());
    }

    FakeHost host;
    HostGateway gateway{&host};
    std::unique_ptr<ListEditor> editor;
    std::unique_ptr<ImportSession> session;
    test::TempFolder folder;
    std::vector<headless::ShownMessage> boxes;
    std::vector<platform::FileDialogRequest> requests;
};

TEST_F(ListFilesTest, SaveWritesTheTypeOfTheChosenFilter) {
    editor->append({3, "abc", 30});
    editor->append({0, "", 10});
    answer("list.sts", 2); // a text list, whatever the name says
    save();
    EXPECT_EQ(read("list.sts"), "abc\r\n\r\n");
    answer("list.txt", 1);
    save();
    EXPECT_EQ(read("list.txt").substr(read("list.txt").find("status=")),
              "status=3\r\ntime=30\r\ntext=abc\r\n\r\nstatus=0\r\ntime=10\r\ntext=\r\n\r\n");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].defaultExtension, "sts");
    ASSERT_EQ(requests[0].filters.size(), 2u);
    EXPECT_EQ(requests[0].filters[0].label, "AutoStatus (*.sts)");
    EXPECT_EQ(requests[0].filters[1].label, "Plik tekstowy (*.txt)");
    EXPECT_EQ(requests[0].filters[1].pattern, "*.txt");
    // Cancelled: nothing is chosen.
    headless::answerFileDialogs(std::nullopt);
    EXPECT_EQ(askForListFileToSave(), std::nullopt);
    EXPECT_EQ(requests.size(), 3u);
}

// A name longer than any path is no cancel: both buttons say it is too long, and nothing is written.
TEST_F(ListFilesTest, ANameTooLongForAnyPathIsSaid) {
    editor->append({3, "abc", 30});
    const std::string name(platform::kLongestPath + 1 - path("").size(), 'x');
    for (bool saving : {true, false}) {
        boxes.clear();
        answer(name, 1);
        EXPECT_EQ(saving ? askForListFileToSave() : askForListFileToOpen(), std::nullopt);
        ASSERT_EQ(boxes.size(), 1u) << saving;
        EXPECT_EQ(boxes[0].text, "Ścieżka pliku jest za długa.");
        EXPECT_EQ(boxes[0].title, "Brio - Error");
    }
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(ListFilesTest, OpeningAnAutoStatusFileAppendsItsEntries) {
    editor->append({1, "first", 20});
    write("in.sts", "status=2\r\ntime=60\r\ntext=a\r\n\r\nstatus=9\r\ntext=b\r\n");
    answer("in.sts", 1);
    open();
    open(); // twice read, twice appended
    EXPECT_EQ(session, nullptr);
    EXPECT_EQ(rows(), (std::vector<std::string>{"1|first|20", "2|a|60", "5|b|60", "2|a|60", "5|b|60"}));
    ASSERT_FALSE(requests.empty());
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].defaultExtension, "");
    EXPECT_EQ(requests[0].filters[0].label, "AutoStatus(*.sts)");
    EXPECT_EQ(requests[0].filters[1].label, "Dokument tekstowy (*.txt)");
}

TEST_F(ListFilesTest, AFileThatCannotBeReadIsReportedAndChangesNothing) {
    editor->append({1, "kept", 20});
    for (int32_t filter : {1, 2}) {
        boxes.clear();
        openFrom("missing", filter);
        if (filter == 2) {
            EXPECT_TRUE(boxes.empty()); // reported once the dialog has closed
            ASSERT_TRUE(headless::answerImportDialog(0, "10", true));
            EXPECT_FALSE(headless::importDialogOpen());
        }
        ASSERT_EQ(boxes.size(), 1u) << filter;
        EXPECT_EQ(boxes[0].text, "GetFileSize() failed: GetLastError returned 2\r\n");
        EXPECT_EQ(boxes[0].title, "Error");
        EXPECT_EQ(boxes[0].icon, platform::MessageIcon::None);
        EXPECT_EQ(rows(), (std::vector<std::string>{"1|kept|20"}));
    }
}

TEST_F(ListFilesTest, ImportOptionsGiveEveryLineTheSameStatusAndTime) {
    const size_t mark = host.sent.size();
    startImport("in.txt", "abc\r\n\r\nxyz\r\nno end");
    // Icons asked for in the order the dialog's buttons set them, each given to its position's button.
    std::vector<int32_t> asked;
    for (size_t i = mark; i < host.sent.size(); ++i)
        if (host.sent[i].id() == 10136) {
            const int32_t iconId = host.sent[i].message.p1; // a copy: the packed field is not aligned
            asked.push_back(iconId);
        }
    EXPECT_EQ(asked,
              (std::vector<int32_t>{0x40000400, 0x40000430, 0x40000410, 0x40000220, 0x40000210, 0x40000420}));
    EXPECT_EQ(headless::importDialogIcons(), (std::array<int32_t, 6>{0x40000401, 0x40000431, 0x40000411,
                                                                     0x40000211, 0x40000221, 0x40000421}));
    EXPECT_TRUE(rows().empty()); // nothing before "OK"
    ASSERT_TRUE(headless::answerImportDialog(3, "45", true));
    EXPECT_FALSE(headless::importDialogOpen());
    EXPECT_FALSE(session->waiting());
    // The last line counts without a line end, as Notepad leaves it.
    EXPECT_EQ(rows(), (std::vector<std::string>{"3|abc|45", "3||45", "3|xyz|45", "3|no end|45"}));
}

TEST_F(ListFilesTest, ImportTimeAndStatusFallBack) {
    const std::vector<std::tuple<std::string, int32_t, std::string>> cases = {
        {"", 2, "2|a|10"},
        {"0", 2, "2|a|10"},
        {"9", 2, "2|a|10"},
        {"120", 2, "2|a|120"},
        {" 30x", -1, "5|a|30"},
        // The field gives 31 bytes at most: the 32nd digit is never read.
        {std::string(31, '0') + "99", 4, "4|a|10"},
        // Past the largest time the list holds: that largest, not a wrap-round.
        {"3000000000", 0, "0|a|2147483647"}};
    for (const auto& [seconds, checked, expected] : cases) {
        editor->deleteAll();
        startImport("in.txt", "a\r\n");
        ASSERT_TRUE(headless::answerImportDialog(checked, seconds, true));
        EXPECT_EQ(rows(), (std::vector<std::string>{expected})) << seconds;
    }
}

TEST_F(ListFilesTest, CancelledOrReplacedImportsAddNothing) {
    startImport("in.txt", "a\r\n");
    ASSERT_TRUE(headless::answerImportDialog(1, "20", false));
    EXPECT_FALSE(headless::importDialogOpen());
    EXPECT_FALSE(session->waiting());
    // A second import while the first waits: only the second dialog is answered, once.
    startImport("first.txt", "first\r\n");
    startImport("second.txt", "second\r\n");
    // (The new session may take the old one's memory: which is which shows by what "OK" adds.)
    EXPECT_TRUE(session->waiting());
    EXPECT_TRUE(headless::importDialogOpen());
    ASSERT_TRUE(headless::answerImportDialog(0, "10", true));
    EXPECT_EQ(rows(), (std::vector<std::string>{"0|second|10"}));
    EXPECT_FALSE(headless::answerImportDialog(0, "10", true));
    // "OK" on a session whose file went does nothing and keeps the dialog.
    EXPECT_FALSE(session->onImportConfirmed("10", 0));
}

// A load that adds no row from a file that is not empty says so, by the file's name, once (the
// import once its dialog has closed); an empty file, a mark alone, and an AutoStatus file of comments
// alone (an empty list as Brio saves it) add nothing without a word.
TEST_F(ListFilesTest, ALoadThatAddsNoRowFromAFileThatIsNotEmptySaysSo) {
    struct Case {
        const char* what;
        std::string bytes;
        int32_t filter;
        bool said;
        size_t rows;
    };
    const Case cases[] = {
        {"a text list as AutoStatus", "jeden\r\ndwa\r\n", 1, true, 0},
        {"AutoStatus keys without a text line", "status=1\r\ntime=20\r\n", 1, true, 0},
        {"a NUL first", std::string("\0text=a\r\n", 10), 1, true, 0},
        {"the header alone", std::string(autoStatusHeader()), 1, false, 0},
        {"empty", "", 1, false, 0},
        {"a UTF-8 mark alone", "\xEF\xBB\xBF", 1, false, 0},
        {"one row", "# a\ntext=a", 1, false, 1},
        {"import: a NUL first", std::string("\0abc\r\n", 6), 2, true, 0},
        {"import: a UTF-16 mark alone", "\xFF\xFE", 2, false, 0},
        {"import: empty", "", 2, false, 0},
        {"import: an AutoStatus file", "status=1\r\ntext=a\r\n", 2, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        editor->deleteAll();
        boxes.clear();
        write("in.lst", c.bytes);
        answer("in.lst", c.filter);
        open();
        if (c.filter == 2) {
            EXPECT_TRUE(boxes.empty()); // not while the dialog is up
            ASSERT_TRUE(headless::answerImportDialog(1, "20", true));
        }
        EXPECT_EQ(size_t(editor->rowCount()), c.rows);
        ASSERT_EQ(boxes.size(), c.said ? 1u : 0u);
        if (!c.said) continue;
        EXPECT_EQ(boxes[0].text,
                  "Z pliku \"in.lst\" nie wczytano żadnego wiersza.\r\nSprawdź, czy wybrany typ pliku "
                  "zgadza się z jego zawartością.");
        EXPECT_EQ(boxes[0].title, "Ostrzeżenie");
        EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Warning);
        EXPECT_FALSE(boxes[0].question);
    }
}

// The waiting import holds its file as Windows does, unshared: choosing the same file again must not
// fail on the copy still waiting, and nothing else opens it meanwhile.
TEST_F(ListFilesTest, TheSameTextFileCanBeChosenAgainWhileItsImportWaits) {
    startImport("in.txt", "again\r\n");
    answer("in.txt", 1); // read as an AutoStatus file while the import holds it
    open();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "GetFileSize() failed: GetLastError returned 32\r\n");
    answer("in.txt", 2);
    open();
    ASSERT_TRUE(headless::answerImportDialog(0, "10", true));
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(rows(), (std::vector<std::string>{"0|again|10"}));
    // Saving over a file held by a waiting import leaves it whole.
    startImport("held.txt", "held\r\n");
    answer("held.txt", 2);
    save();
    EXPECT_EQ(read("held.txt"), "held\r\n");
}

// The dialogs and the message box let the desktop run: the list page may close while one is up. What
// ends then must not be used when it returns.
TEST_F(ListFilesTest, WhatEndsWhileAMessageBoxIsUpIsNotUsedAfterIt) {
    editor->append({1, "kept", 20});
    // An unreadable text file, its failure shown once the dialog closed: the session ends meanwhile.
    openFrom("missing.txt", 2);
    ASSERT_NE(session, nullptr);
    headless::onMessage([this](const headless::ShownMessage& m) {
        boxes.push_back(m);
        session.reset();
    });
    ASSERT_TRUE(headless::answerImportDialog(0, "10", true));
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(session, nullptr);
    // An unreadable AutoStatus file, the editor gone while its failure shows.
    headless::onMessage([this](const headless::ShownMessage& m) {
        boxes.push_back(m);
        editor.reset();
    });
    openFrom("missing.sts", 1);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(editor, nullptr);
}

// A save that fails is reported by the file's name and the Windows code of the failure; the file that
// was there keeps its bytes, nothing is left beside it, and the rows stay.
struct SaveFailure {
    const char* what;
    const char* name;     // under the test's folder
    const char* old;      // the file there before, if any
    bool readOnly;        // nobody may write it
    uint32_t failedWrite; // the write set to fail (1: the first), 0 for none
    uint32_t error;
};

TEST_F(ListFilesTest, ASaveThatFailsIsReportedAndTheOldFileStays) {
    editor->append({3, "abc", 30});
    editor->append({0, "def", 10});
    folder.folder("dir");
    const SaveFailure cases[] = {
        {"missing folder", "missing/list.sts", nullptr, false, 0, 3},
        {"a file as the folder", "old.sts/list.sts", "stare", false, 0, 3},
        {"a folder as the file", "dir", nullptr, false, 0, 5},
        {"read-only file", "old.sts", "stare", true, 0, 5},
        // The second part: an AutoStatus file's first record, a text file's last line.
        {"disk full after the first part", "old.sts", "stare", false, 2, 112},
        {"write fault in the first part", "old.sts", "stare", false, 1, 29},
    };
    for (const SaveFailure& c : cases) {
        for (int32_t filter : {1, 2}) {
            SCOPED_TRACE(std::string(c.what) + ", filter " + std::to_string(filter));
            boxes.clear();
            if (c.old) {
                write("old.sts", c.old);
                if (c.readOnly) {
                    ASSERT_EQ(chmod(path("old.sts").c_str(), 0444), 0);
                }
            }
            headless::failFileWrite(c.failedWrite, c.error);
            saveTo(c.name, filter);
            headless::failFileWrite(0, 0);
            ASSERT_EQ(boxes.size(), 1u);
            const std::string name = std::string(c.name).substr(std::string(c.name).find_last_of('/') + 1);
            EXPECT_EQ(boxes[0].text, "Nie można zapisać pliku \"" + name + "\" (kod błędu " +
                                         std::to_string(c.error) + ").");
            EXPECT_EQ(boxes[0].title, "Brio - Error");
            EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Warning);
            const std::vector<std::string> left =
                c.old ? std::vector<std::string>{"dir", "old.sts"} : std::vector<std::string>{"dir"};
            if (c.old) {
                EXPECT_EQ(read("old.sts"), c.old);
            }
            EXPECT_EQ(folderEntries(), left);
            EXPECT_EQ(rows(), (std::vector<std::string>{"3|abc|30", "0|def|10"}));
            chmod(path("old.sts").c_str(), 0644);
            folder.remove(path("old.sts"));
        }
    }
}

TEST_F(ListFilesTest, ASaveReplacesTheOldFileWhole) {
    editor->append({0, "a", 10});
    write("old.txt", "stare, dłuższe niż nowe\r\n");
    answer("old.txt", 2);
    save();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(read("old.txt"), "a\r\n");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"old.txt"});
}

// The replaced file keeps who may read it (as a Windows file keeps its attributes and security), and a
// hidden file (here: by its name) stays hidden.
TEST_F(ListFilesTest, ASaveKeepsWhatTheOldFileWas) {
    editor->append({0, "a", 10});
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0644)}) {
        SCOPED_TRACE(mode);
        write(".ukryta.txt", "stare\r\n");
        ASSERT_EQ(chmod(path(".ukryta.txt").c_str(), mode), 0);
        answer(".ukryta.txt", 2);
        save();
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(read(".ukryta.txt"), "a\r\n");
        struct stat s {};
        ASSERT_EQ(stat(path(".ukryta.txt").c_str(), &s), 0);
        EXPECT_EQ(s.st_mode & 07777, mode);
        EXPECT_EQ(folderEntries(), std::vector<std::string>{".ukryta.txt"});
    }
}

} // namespace
} // namespace brio
