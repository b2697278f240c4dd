// Files on the real file system, so that a host on Linux can point Brio at files of its own. Failures
// are reported with the codes Windows gives for them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <utility>

#include "platform/open_file.h"

namespace brio::platform {

namespace {

constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kGeneralFailure = 31;
constexpr uint32_t kSharingViolation = 32;

// As on Windows, a file is opened without sharing: while one of ours holds it, it does not open again.
using FileKey = std::pair<dev_t, ino_t>;
std::set<FileKey>& heldFiles() {
    static std::set<FileKey>& held = *new std::set<FileKey>; // never destroyed: files may close late
    return held;
}

// Takes the file of `fd` as held; false (the file already held elsewhere) leaves it as it was.
bool hold(int fd, FileKey& key) {
    struct stat s {};
    if (::fstat(fd, &s) != 0) return true; // nothing to tell it by: it is not shared with anything
    key = {s.st_dev, s.st_ino};
    return heldFiles().insert(key).second;
}

bool isFolder(const std::string& path) {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

// Windows tells a missing file in an existing folder from a missing folder.
uint32_t missingCode(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return !path.empty() && path.back() != '/' && isFolder(folder) ? kFileNotFound : kPathNotFound;
}

uint32_t openFailure(const std::string& path, int error) {
    switch (error) {
    case ENOENT:
        return missingCode(path);
    case ENOTDIR:
    case ENAMETOOLONG:
        return kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return kAccessDenied;
    default:
        return kGeneralFailure;
    }
}

class HeadlessFile final : public OpenFile {
public:
    HeadlessFile(int fd, uint32_t openError, std::optional<FileKey> key = std::nullopt)
        : fd_(fd), openError_(openError), key_(key) {}
    ~HeadlessFile() override {
        if (key_) heldFiles().erase(*key_);
        if (fd_ >= 0) ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    HeadlessFile(const HeadlessFile&) = delete;
    HeadlessFile& operator=(const HeadlessFile&) = delete;

    bool write(std::string_view bytes) override {
        while (fd_ >= 0 && !bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes.remove_prefix(size_t(n));
        }
        return fd_ >= 0;
    }

    bool readInto(std::string& bytes, uint32_t& error, uint64_t largest) override {
        struct stat s {};
        if (fd_ < 0 || ::fstat(fd_, &s) != 0) {
            error = fd_ < 0 ? openError_ : kGeneralFailure;
            return false;
        }
        bytes.clear();
        if (s.st_size < 0 || uint64_t(s.st_size) > largest) return true;
        bytes.resize(size_t(s.st_size));
        // A file that shrank since its size was asked (or a failing read) gives what could be read.
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done, off_t(done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += size_t(n);
        }
        bytes.resize(done);
        return true;
    }

private:
    int fd_;
    uint32_t openError_;
    std::optional<FileKey> key_;
};

// The open file of `fd` as held by the new object; -1 with a sharing violation when it is held already.
std::unique_ptr<HeadlessFile> take(int fd) {
    FileKey key{};
    if (!hold(fd, key)) {
        ::close(fd);
        return std::make_unique<HeadlessFile>(-1, kSharingViolation);
    }
    return std::make_unique<HeadlessFile>(fd, 0, key);
}

} // namespace

std::unique_ptr<OpenFile> createFileForWriting(const std::string& path) {
    if (isFolder(path)) return nullptr;
    // Emptied only once it is ours: a file held open elsewhere keeps its bytes.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    std::unique_ptr<HeadlessFile> file = take(fd);
    if (!file->isOpen() || ::ftruncate(fd, 0) != 0) return nullptr;
    return file;
}

bool readFile(const std::string& path, std::string& bytes, uint32_t& error, uint64_t largest) {
    // As openFileForReading, without an object on the heap: the file is read and closed before anything
    // else can run, so it only has to be free now and is never entered among the held files.
    if (isFolder(path)) {
        error = kAccessDenied;
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = openFailure(path, errno);
        return false;
    }
    struct stat s {};
    if (::fstat(fd, &s) == 0 && heldFiles().count(FileKey{s.st_dev, s.st_ino}) != 0) {
        ::close(fd);
        error = kSharingViolation;
        return false;
    }
    HeadlessFile file(fd, 0);
    return file.readInto(bytes, error, largest);
}

std::unique_ptr<OpenFile> openFileForReading(const std::string& path) {
    // Windows opens no folder as a file.
    if (isFolder(path)) return std::make_unique<HeadlessFile>(-1, kAccessDenied);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::make_unique<HeadlessFile>(-1, openFailure(path, errno));
    return take(fd);
}

} // namespace brio::platform
