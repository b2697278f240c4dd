// Win32 files read whole or in blocks, as the list files and the feeds read them: the system's codes for
// files that cannot be read (the headless layer reports the same ones), a file held open by another program
// without sharing, and bytes read whole, zero bytes included. And files saved where a path reaches
// MAX_PATH, and over a file the user hid.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/open_file.h"

namespace {

namespace platform = brio::platform;

// What a read gives: the bytes, or the error.
struct Read {
    bool opened = false;
    uint32_t error = 0;
    std::string bytes;
};
Read readFile(const std::string& path, uint64_t largest = UINT64_MAX) {
    Read read;
    std::optional<std::string> bytes = platform::openFileForReading(path)->readAll(read.error, largest);
    read.opened = bytes.has_value();
    if (bytes) read.bytes = *bytes;
    return read;
}

// A reading in blocks of `size` bytes, as far as `wanted` bytes.
struct Blocks final : platform::BlockSink {
    Blocks(size_t size, size_t wanted = SIZE_MAX) : size(size), wanted(wanted) {}
    std::span<char> room(uint64_t) override { return {block, bytes.size() < wanted ? size : 0}; }
    void took(size_t count) override { bytes.append(block, count); }
    size_t size, wanted;
    char block[64] = {};
    std::string bytes;
};
Read readBlocks(const std::string& path, Blocks&& blocks) {
    Read read;
    read.opened = platform::readFileInBlocks(path, blocks, read.error);
    read.bytes = blocks.bytes;
    return read;
}

class Win32Files : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
        folder_ = std::string(folder) + "brio-files-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        DeleteFileA(file("speed.dat").c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    std::string file(const char* name) const { return folder_ + "\\" + name; }
    void write(const std::string& path, const std::string& bytes) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        ASSERT_EQ(written, bytes.size());
    }

    std::string folder_;
};

TEST_F(Win32Files, ReadsEveryByte) {
    const std::string bytes("1|a|b|c\r\n12.3\0|4.5|\xFF", 20);
    write(file("speed.dat"), bytes);
    const Read read = readFile(file("speed.dat"));
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(read.bytes, bytes);
    write(file("speed.dat"), "");
    EXPECT_TRUE(readFile(file("speed.dat")).opened);
    EXPECT_EQ(readFile(file("speed.dat")).bytes, "");
    // A file larger than asked for is too large to read.
    write(file("speed.dat"), "12345");
    EXPECT_FALSE(readFile(file("speed.dat"), 4).opened);
    EXPECT_EQ(readFile(file("speed.dat"), 4).error, static_cast<uint32_t>(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(readFile(file("speed.dat"), 5).bytes, "12345");
}

TEST_F(Win32Files, ReadsInBlocksAsFarAsAsked) {
    const std::string bytes("1|a|b|c\r\n12.3\0|4.5|\xFF", 20);
    write(file("speed.dat"), bytes);
    for (const size_t size : {1u, 19u, 20u, 64u})
        EXPECT_EQ(readBlocks(file("speed.dat"), Blocks(size)).bytes, bytes);
    EXPECT_EQ(readBlocks(file("speed.dat"), Blocks(7, 1)).bytes, bytes.substr(0, 7));
}

TEST_F(Win32Files, UnreadableFilesGiveTheSystemCode) {
    const struct {
        std::string path;
        uint32_t error;
    } cases[] = {{file("missing.dat"), ERROR_FILE_NOT_FOUND},
                 {folder_ + "\\nofolder\\missing.dat", ERROR_PATH_NOT_FOUND},
                 {folder_, ERROR_ACCESS_DENIED},
                 {"", ERROR_PATH_NOT_FOUND}};
    for (const auto& c : cases) {
        for (const Read& read : {readFile(c.path), readBlocks(c.path, Blocks(8))}) {
            EXPECT_FALSE(read.opened) << c.path;
            EXPECT_EQ(read.error, c.error) << c.path;
            EXPECT_EQ(read.bytes, "") << c.path;
        }
    }
}

TEST_F(Win32Files, AFileHeldWithoutSharingCannotBeRead) {
    write(file("speed.dat"), "1|a|b|c\n1|2|3\n");
    HANDLE held = CreateFileA(file("speed.dat").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Read reads[] = {readFile(file("speed.dat")), readBlocks(file("speed.dat"), Blocks(8))};
    CloseHandle(held);
    for (const Read& read : reads) {
        EXPECT_FALSE(read.opened);
        EXPECT_EQ(read.error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    }
    // And the reader holds nothing once it is done.
    EXPECT_TRUE(readFile(file("speed.dat")).opened);
    EXPECT_TRUE(DeleteFileA(file("speed.dat").c_str()));
}

// --- saving ---

// Saves the bytes through a new file that then replaces the old one; the system's code on failure.
uint32_t save(const std::string& path, const std::string& bytes) {
    uint32_t error = 0;
    const auto file = platform::createFileForWriting(path, error);
    if (!file) return error;
    if (!file->write(bytes, error) || !file->replaceOld(error)) return error;
    return 0;
}

// The files a save may leave beside the one it wrote.
std::vector<std::string> leftBeside(const std::string& folder) {
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

// A folder as deep as Windows lets one be made (MAX_PATH - 12 with its name), and in it a file whose path
// is as long as the calls ending in A take: the file dialogs give such paths, and "Wczytaj" reads them,
// but a file made beside it for the save has a longer name than the file has.
TEST_F(Win32Files, SavesWhereThePathReachesMaxPath) {
    std::vector<std::string> folders;
    std::string deep = folder_;
    constexpr size_t kDeepest = MAX_PATH - 13;
    ASSERT_LT(deep.size(), kDeepest - 1);
    while (deep.size() < kDeepest) {
        // Folders of 40 letters, the last one making the path exactly as long as it may be.
        const size_t room = kDeepest - deep.size() - 1;
        deep += "\\" + std::string(room > 41 ? 40 : room, 'g');
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep.size() << " " << GetLastError();
        folders.push_back(deep);
    }
    const std::string path = deep + "\\" + std::string(MAX_PATH - 1 - deep.size() - 1 - 4, 'l') + ".sts";
    ASSERT_EQ(path.size(), size_t(MAX_PATH - 1));

    for (const char* bytes : {"pierwszy\r\n", "drugi, na miejsce pierwszego\r\n"}) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(save(path, bytes), 0u);
        const Read read = readFile(path);
        EXPECT_TRUE(read.opened) << read.error;
        EXPECT_EQ(read.bytes, bytes);
        EXPECT_EQ(leftBeside(deep), std::vector<std::string>{});
    }
    // A relative path is saved where it leads.
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    EXPECT_EQ(save(std::string(MAX_PATH - 1 - deep.size() - 1 - 4, 'l') + ".sts", "trzeci\r\n"), 0u);
    SetCurrentDirectoryA(before);
    EXPECT_EQ(readFile(path).bytes, "trzeci\r\n");

    EXPECT_TRUE(DeleteFileA(path.c_str()));
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        EXPECT_TRUE(RemoveDirectoryA(it->c_str())) << *it;
}

// A list the user hid (or marked as a system file) stays so when Brio saves over it.
TEST_F(Win32Files, SavingOverAHiddenFileKeepsItHidden) {
    const struct {
        const char* what;
        DWORD attributes;
    } cases[] = {{"hidden", FILE_ATTRIBUTE_HIDDEN},
                 {"hidden system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
                 {"plain", FILE_ATTRIBUTE_NORMAL}};
    const std::string path = file("ukryta.sts");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write(path, "stare");
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), c.attributes));
        EXPECT_EQ(save(path, "nowe\r\n"), 0u);
        EXPECT_EQ(readFile(path).bytes, "nowe\r\n");
        const DWORD now = GetFileAttributesA(path.c_str());
        ASSERT_NE(now, INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(now & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                  c.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        EXPECT_EQ(leftBeside(folder_), std::vector<std::string>{});
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_TRUE(DeleteFileA(path.c_str()));
    }
}

} // namespace
