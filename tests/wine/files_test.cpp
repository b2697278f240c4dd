// Win32 files read whole, as the feeds and the list files read them: the system's codes for files that
// cannot be read (the headless layer reports the same ones), a file held open by another program
// without sharing, and bytes read whole, zero bytes included.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

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
    // A file larger than asked for reads as empty.
    write(file("speed.dat"), "12345");
    EXPECT_TRUE(readFile(file("speed.dat"), 4).opened);
    EXPECT_EQ(readFile(file("speed.dat"), 4).bytes, "");
    EXPECT_EQ(readFile(file("speed.dat"), 5).bytes, "12345");
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
        const Read read = readFile(c.path);
        EXPECT_FALSE(read.opened) << c.path;
        EXPECT_EQ(read.error, c.error) << c.path;
        EXPECT_EQ(read.bytes, "") << c.path;
    }
}

TEST_F(Win32Files, AFileHeldWithoutSharingCannotBeRead) {
    write(file("speed.dat"), "1|a|b|c\n1|2|3\n");
    HANDLE held = CreateFileA(file("speed.dat").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Read read = readFile(file("speed.dat"));
    CloseHandle(held);
    EXPECT_FALSE(read.opened);
    EXPECT_EQ(read.error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    // And the reader holds nothing once it is done.
    EXPECT_TRUE(readFile(file("speed.dat")).opened);
    EXPECT_TRUE(DeleteFileA(file("speed.dat").c_str()));
}

} // namespace
