// Files through kernel32 handles, opened without sharing: while the plug-in has a file open, no
// other program can open it, and a file another program holds cannot be opened here.
#include <windows.h>

#include <algorithm>
#include <new>
#include <string>
#include <utility>

#include "platform/open_file.h"

namespace brio::platform {

namespace {

// The most one WriteFile or ReadFile call is asked to move; the loops go on until all is done.
constexpr DWORD kChunk = DWORD{1} << 20;

class Win32File final : public OpenFile {
public:
    Win32File(HANDLE handle, DWORD openError) : handle_(handle), openError_(openError) {}
    ~Win32File() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    bool readInto(std::string& bytes, uint32_t& error, uint64_t largest) override {
        if (handle_ == INVALID_HANDLE_VALUE) {
            error = openError_;
            return false;
        }
        // A size of 0xFFFFFFFF is a real size unless the call also sets an error.
        DWORD high = 0;
        SetLastError(NO_ERROR);
        const DWORD size = GetFileSize(handle_, &high);
        if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
            error = GetLastError();
            return false;
        }
        bytes.clear();
        // Nothing above 4 GiB fits this 32-bit process; say so instead of reading a part of it.
        if (high != 0 || size > largest) {
            error = ERROR_FILE_TOO_LARGE;
            return false;
        }
        try {
            bytes.resize(size);
        } catch (const std::bad_alloc&) {
            error = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        } catch (const std::length_error&) {
            error = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
        SetFilePointer(handle_, 0, nullptr, FILE_BEGIN);
        // A file that shrank since its size was asked (or a failing read) gives what could be read.
        size_t done = 0;
        while (done < bytes.size()) {
            const auto ask = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunk));
            DWORD read = 0;
            if (!ReadFile(handle_, bytes.data() + done, ask, &read, nullptr) || read == 0) break;
            done += read;
        }
        bytes.resize(done);
        return true;
    }

private:
    HANDLE handle_;
    DWORD openError_;
};

class Win32NewFile final : public NewFile {
public:
    Win32NewFile(HANDLE handle, std::string temporary, std::string path)
        : handle_(handle), temporary_(std::move(temporary)), path_(std::move(path)) {}
    ~Win32NewFile() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        if (!temporary_.empty()) DeleteFileA(temporary_.c_str());
    }
    Win32NewFile(const Win32NewFile&) = delete;
    Win32NewFile& operator=(const Win32NewFile&) = delete;

    bool write(std::string_view bytes, uint32_t& error) override {
        while (!bytes.empty()) {
            const auto ask = static_cast<DWORD>(std::min<size_t>(bytes.size(), kChunk));
            DWORD written = 0;
            if (handle_ == INVALID_HANDLE_VALUE ||
                !WriteFile(handle_, bytes.data(), ask, &written, nullptr)) {
                error = handle_ == INVALID_HANDLE_VALUE ? ERROR_WRITE_FAULT : GetLastError();
                return false;
            }
            if (written == 0) {
                error = ERROR_WRITE_FAULT;
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    bool replaceOld(uint32_t& error) override {
        if (handle_ == INVALID_HANDLE_VALUE) {
            error = ERROR_WRITE_FAULT;
            return false;
        }
        // On the disk before it takes the old file's place.
        const bool flushed = FlushFileBuffers(handle_);
        if (!flushed) error = GetLastError();
        const bool closed = CloseHandle(handle_);
        if (flushed && !closed) error = GetLastError();
        handle_ = INVALID_HANDLE_VALUE;
        if (!flushed || !closed) return false;
        // MoveFileEx refuses these on Windows; asked first, so that every system Brio runs on (Wine
        // keeps the read-only attribute in the file's mode) says the same.
        const DWORD attributes = GetFileAttributesA(path_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
            error = ERROR_ACCESS_DENIED;
            return false;
        }
        if (!MoveFileExA(temporary_.c_str(), path_.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = GetLastError();
            return false;
        }
        temporary_.clear();
        return true;
    }

private:
    HANDLE handle_;
    std::string temporary_; // empty once it has taken the old file's place
    std::string path_;
};

// Beside the file it is to replace: a move within one folder is one step.
std::string temporaryBeside(const std::string& path, DWORD serial) {
    char name[16];
    wsprintfA(name, "~brio%04X.tmp", static_cast<unsigned>(serial & 0xFFFF));
    const size_t separator = path.find_last_of("\\/:");
    return (separator == std::string::npos ? std::string() : path.substr(0, separator + 1)) + name;
}

} // namespace

std::unique_ptr<NewFile> createFileForWriting(const std::string& path, uint32_t& error) {
    static DWORD serial = GetTickCount() ^ GetCurrentProcessId();
    for (int attempt = 0; attempt < 64; ++attempt) {
        const std::string temporary = temporaryBeside(path, serial++);
        HANDLE handle = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return std::make_unique<Win32NewFile>(handle, temporary, path);
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
    }
    return nullptr;
}

std::unique_ptr<OpenFile> openFileForReading(const std::string& path) {
    // A failed open keeps its error for readAll: it says more than a size query on no file would.
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return std::make_unique<Win32File>(handle, handle == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR);
}

bool readFile(const std::string& path, std::string& bytes, uint32_t& error, uint64_t largest) {
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Win32File file(handle, handle == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR);
    return file.readInto(bytes, error, largest);
}

} // namespace brio::platform
