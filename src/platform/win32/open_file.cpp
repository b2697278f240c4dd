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
        uint64_t size = 0;
        if (!sizeOf(size, error)) return false;
        // Nothing above 4 GiB fits this 32-bit process; say so instead of reading a part of it.
        if (size > UINT32_MAX || size > largest) {
            bytes.clear();
            error = ERROR_FILE_TOO_LARGE;
            return false;
        }
        // Not cleared first: a file read again at its size costs no filling of the buffer with zeros.
        try {
            bytes.resize(static_cast<size_t>(size));
        } catch (const std::bad_alloc&) {
            bytes.clear();
            error = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        } catch (const std::length_error&) {
            bytes.clear();
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

    // From the start of a file just opened, as far as the sink wants it. A file that shrank since its
    // size was asked (or a failing read) ends where reading stops.
    bool readBlocks(BlockSink& sink, uint32_t& error) {
        uint64_t unread = 0;
        if (!sizeOf(unread, error)) return false;
        while (unread > 0) {
            const std::span<char> room = sink.room(unread);
            if (room.empty()) break;
            const auto ask = static_cast<DWORD>(std::min<uint64_t>({room.size(), unread, kChunk}));
            DWORD read = 0;
            if (!ReadFile(handle_, room.data(), ask, &read, nullptr) || read == 0) break;
            sink.took(read);
            unread -= read;
        }
        return true;
    }

private:
    // The file's size; false, with the error, for a file that did not open or cannot be sized.
    bool sizeOf(uint64_t& size, uint32_t& error) {
        if (handle_ == INVALID_HANDLE_VALUE) {
            error = openError_;
            return false;
        }
        // A size of 0xFFFFFFFF is a real size unless the call also sets an error.
        DWORD high = 0;
        SetLastError(NO_ERROR);
        const DWORD low = GetFileSize(handle_, &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
            error = GetLastError();
            return false;
        }
        size = (uint64_t{high} << 32) | low;
        return true;
    }

    HANDLE handle_;
    DWORD openError_;
};

// A path as the wide-character calls take it beyond MAX_PATH: whole (a relative path is made full
// first) and with the long-path prefix, \\?\ for a drive, \\?\UNC\ for a \\server\share. The bytes are
// the ANSI code page's, as the file dialogs and the calls ending in A take them. Empty when the path
// cannot be converted.
std::wstring longPath(const std::string& path) {
    if (path.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return {};
    full.resize(written);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// Beside the file it is to replace: a move within one folder is one step.
std::wstring besideIt(const std::wstring& path, const wchar_t* pattern, DWORD serial) {
    wchar_t name[16];
    wsprintfW(name, pattern, static_cast<unsigned>(serial & 0xFFFF));
    const size_t separator = path.find_last_of(L"\\/");
    return (separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1)) + name;
}

DWORD nextSerial() {
    static DWORD serial = GetTickCount() ^ GetCurrentProcessId();
    return serial++;
}

// What an old file keeps of itself however it is replaced.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class Win32NewFile final : public NewFile {
public:
    Win32NewFile(HANDLE handle, std::wstring temporary, std::wstring path)
        : handle_(handle), temporary_(std::move(temporary)), path_(std::move(path)) {}
    ~Win32NewFile() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        if (!temporary_.empty()) DeleteFileW(temporary_.c_str());
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
        // Windows refuses these; asked first, so that every system Brio runs on (Wine keeps the
        // read-only attribute in the file's mode) says the same.
        const DWORD attributes = GetFileAttributesW(path_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
            error = ERROR_ACCESS_DENIED;
            return false;
        }
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!MoveFileExW(temporary_.c_str(), path_.c_str(), MOVEFILE_WRITE_THROUGH)) {
                error = GetLastError();
                return false;
            }
            temporary_.clear();
            return true;
        }
        if (!replaceExisting(attributes, error)) return false;
        temporary_.clear();
        return true;
    }

private:
    // The old file is replaced so that it keeps what it was besides its bytes (attributes, security,
    // creation time). Through a backup of its own: without one, a failing ReplaceFile may leave no old
    // file at all. Whatever fails, the old file ends where it was.
    bool replaceExisting(DWORD attributes, uint32_t& error) {
        std::wstring backup;
        for (int attempt = 0; attempt < 64 && backup.empty(); ++attempt) {
            std::wstring name = besideIt(path_, L"~brio%04X.bak", nextSerial());
            if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) backup = std::move(name);
        }
        if (backup.empty()) {
            error = ERROR_FILE_EXISTS;
            return false;
        }
        if (!ReplaceFileW(path_.c_str(), temporary_.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr)) {
            error = GetLastError();
            // The new file could not take the name after the old one left it: the old one goes back.
            if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
                MoveFileExW(backup.c_str(), path_.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            else
                DeleteFileW(backup.c_str());
            // A file held open elsewhere: said as a move over it says it, and as every desktop Brio runs
            // on says it (Windows answers 1175 here, Wine 32).
            if (error == ERROR_SHARING_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED)
                error = ERROR_ACCESS_DENIED;
            return false;
        }
        DeleteFileW(backup.c_str());
        // Where the system did not carry them over (Wine), the attributes the user gave the file.
        const DWORD now = GetFileAttributesW(path_.c_str());
        if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != (attributes & kKeptAttributes))
            SetFileAttributesW(path_.c_str(), (now & ~kKeptAttributes) | (attributes & kKeptAttributes));
        return true;
    }

    HANDLE handle_;
    std::wstring temporary_; // empty once it has taken the old file's place
    std::wstring path_;
};

} // namespace

std::unique_ptr<NewFile> createFileForWriting(const std::string& path, uint32_t& error) {
    const std::wstring target = longPath(path);
    if (target.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::wstring temporary = besideIt(target, L"~brio%04X.tmp", nextSerial());
        HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            // Out of memory for the object: the file is closed and gone again, not left behind.
            try {
                return std::make_unique<Win32NewFile>(handle, temporary, target);
            } catch (...) {
                CloseHandle(handle);
                DeleteFileW(temporary.c_str());
                throw;
            }
        }
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
    }
    return nullptr;
}

std::unique_ptr<OpenFile> openFileForReading(const std::string& path) {
    // A failed open keeps its error for readAll: it says more than a size query on no file would. A
    // path too long for the calls ending in A goes the long way.
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (path.size() < MAX_PATH) {
        handle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    } else {
        const std::wstring wide = longPath(path);
        if (wide.empty()) return std::make_unique<Win32File>(INVALID_HANDLE_VALUE, ERROR_PATH_NOT_FOUND);
        handle = CreateFileW(wide.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    }
    const DWORD error = handle == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR;
    try {
        return std::make_unique<Win32File>(handle, error);
    } catch (...) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle); // not lost with the object never made
        throw;
    }
}

bool isExistingFile(const std::string& path) {
    const std::wstring wide = longPath(path);
    const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool readFile(const std::string& path, std::string& bytes, uint32_t& error, uint64_t largest) {
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Win32File file(handle, handle == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR);
    return file.readInto(bytes, error, largest);
}

bool readFileInBlocks(const std::string& path, BlockSink& sink, uint32_t& error) {
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Win32File file(handle, handle == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR);
    return file.readBlocks(sink, error);
}

} // namespace brio::platform
