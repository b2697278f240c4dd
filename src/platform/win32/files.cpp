// Files through kernel32: opened for reading without sharing, sized with GetFileSize, read whole.
#include <windows.h>

#include <commdlg.h>

#include <cstddef>

#include "frame/records.h"
#include "platform/files.h"

// The host's file dialogs hand Brio their OPENFILENAMEA; the record Brio writes into must be that one.
static_assert(offsetof(OPENFILENAMEA, lStructSize) == offsetof(brio::OpenFileNameRecord, structSize));
static_assert(offsetof(OPENFILENAMEA, lpstrFilter) == offsetof(brio::OpenFileNameRecord, filter));
static_assert(offsetof(OPENFILENAMEA, Flags) == offsetof(brio::OpenFileNameRecord, flags));
static_assert(offsetof(OPENFILENAMEA, nFileOffset) == offsetof(brio::OpenFileNameRecord, fileOffset));
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) == offsetof(brio::OpenFileNameRecord, templateName));
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == sizeof(brio::OpenFileNameRecord));

namespace brio::platform {

namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

} // namespace

FileRead readFile(const std::string& path) {
    FileRead result;
    const Handle file(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A file that cannot be opened reports why it could not, rather than the invalid handle that a size
    // query on it would complain of.
    if (file.get() == INVALID_HANDLE_VALUE) {
        result.error = GetLastError();
        return result;
    }
    DWORD high = 0;
    const DWORD size = GetFileSize(file.get(), &high);
    if (size == INVALID_FILE_SIZE) {
        const DWORD error = GetLastError();
        if (error != NO_ERROR) {
            result.error = error;
            return result;
        }
    }
    result.opened = true;
    if (high != 0 || size > kLargestReadableFile) return result;
    result.bytes.assign(size, '\0');
    DWORD done = 0;
    while (done < size) {
        DWORD n = 0;
        if (!ReadFile(file.get(), result.bytes.data() + done, size - done, &n, nullptr) || n == 0) break;
        done += n;
    }
    return result;
}

} // namespace brio::platform
