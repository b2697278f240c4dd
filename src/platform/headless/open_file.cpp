// Files on the real file system, so that a host on Linux can point Brio at files of its own. Failures
// are reported with the codes Windows gives for them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>
#include <utility>

#include "platform/headless/driver.h"
#include "platform/open_file.h"

namespace brio::platform {

namespace {

constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kNotSameDevice = 17;
constexpr uint32_t kWriteFault = 29;
constexpr uint32_t kGeneralFailure = 31;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kFileExists = 80;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kFileTooLarge = 223;

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

// The write the driver has a file fail, counted down from the next one.
struct WriteFault {
    uint32_t countdown = 0;
    uint32_t error = 0;
};
WriteFault& writeFault() {
    static WriteFault& fault = *new WriteFault;
    return fault;
}
// Made as the desktop library loads, not at the first call that needs it, which may be the plug-in's:
// the desktop's own lasting memory is none of the plug-in's.
[[maybe_unused]] const bool kFilesMade = (heldFiles(), writeFault(), true);

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
    case EROFS:
        return kAccessDenied;
    case EEXIST:
        return kFileExists;
    default:
        return kGeneralFailure;
    }
}

uint32_t writeFailure(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG ? kDiskFull : kWriteFault;
}

uint32_t renameFailure(const std::string& path, int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return kPathNotFound;
    case EXDEV:
        return kNotSameDevice;
    case ENOSPC:
    case EDQUOT:
        return kDiskFull;
    case EBUSY:
    case ENOTEMPTY:
        return kAccessDenied;
    default:
        return openFailure(path, error);
    }
}

// What Windows will not replace: a folder, a read-only file (a file nobody may write, as Wine shows
// the read-only attribute), a file held open.
bool mayReplace(const std::string& path, uint32_t& error) {
    struct stat s {};
    if (::stat(path.c_str(), &s) != 0) return true;
    if (S_ISDIR(s.st_mode) || (s.st_mode & 0222) == 0 || heldFiles().count({s.st_dev, s.st_ino}) != 0) {
        error = kAccessDenied;
        return false;
    }
    return true;
}

class HeadlessFile final : public OpenFile {
public:
    HeadlessFile(int fd, uint32_t openError, std::optional<FileKey> key = std::nullopt)
        : fd_(fd), openError_(openError), key_(key) {}
    ~HeadlessFile() override {
        if (key_) heldFiles().erase(*key_);
        if (fd_ >= 0) ::close(fd_);
    }
    HeadlessFile(const HeadlessFile&) = delete;
    HeadlessFile& operator=(const HeadlessFile&) = delete;

    bool readInto(std::string& bytes, uint32_t& error, uint64_t largest) override {
        struct stat s {};
        if (fd_ < 0 || ::fstat(fd_, &s) != 0) {
            error = fd_ < 0 ? openError_ : kGeneralFailure;
            return false;
        }
        if (s.st_size < 0 || uint64_t(s.st_size) > largest || uint64_t(s.st_size) > bytes.max_size()) {
            bytes.clear();
            error = kFileTooLarge;
            return false;
        }
        // Not cleared first: a file read again at its size costs no filling of the buffer with zeros.
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

    // From the start of a file just opened, as far as the sink wants it. A file that shrank since its
    // size was asked (or a failing read) ends where reading stops.
    bool readBlocks(BlockSink& sink, uint32_t& error) {
        struct stat s {};
        if (fd_ < 0 || ::fstat(fd_, &s) != 0) {
            error = fd_ < 0 ? openError_ : kGeneralFailure;
            return false;
        }
        uint64_t unread = s.st_size < 0 ? 0 : uint64_t(s.st_size);
        while (unread > 0) {
            const std::span<char> room = sink.room(unread);
            if (room.empty()) break;
            const ssize_t n = ::read(fd_, room.data(), size_t(std::min<uint64_t>(room.size(), unread)));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            sink.took(size_t(n));
            unread -= uint64_t(n);
        }
        return true;
    }

private:
    int fd_;
    uint32_t openError_;
    std::optional<FileKey> key_;
};

// The open file of `fd` as held by the new object; -1 with a sharing violation when it is held already.
// Out of memory on the way, the file is closed and let go again, not lost with the object never made.
std::unique_ptr<HeadlessFile> take(int fd) {
    FileKey key{};
    bool held = false;
    try {
        held = hold(fd, key);
        if (held) return std::make_unique<HeadlessFile>(fd, 0, key);
    } catch (...) {
        if (held) heldFiles().erase(key);
        ::close(fd);
        throw;
    }
    ::close(fd);
    return std::make_unique<HeadlessFile>(-1, kSharingViolation);
}

class HeadlessNewFile final : public NewFile {
public:
    HeadlessNewFile(int fd, FileKey key, std::string temporary, std::string path)
        : fd_(fd), key_(key), temporary_(std::move(temporary)), path_(std::move(path)) {}
    ~HeadlessNewFile() override {
        close();
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
    }
    HeadlessNewFile(const HeadlessNewFile&) = delete;
    HeadlessNewFile& operator=(const HeadlessNewFile&) = delete;

    bool write(std::string_view bytes, uint32_t& error) override {
        if (fd_ < 0) {
            error = kWriteFault;
            return false;
        }
        WriteFault& fault = writeFault();
        if (fault.countdown != 0 && --fault.countdown == 0) {
            error = fault.error;
            return false;
        }
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = n < 0 ? writeFailure(errno) : kWriteFault;
                return false;
            }
            bytes.remove_prefix(size_t(n));
        }
        return true;
    }

    bool replaceOld(uint32_t& error) override {
        if (fd_ < 0) {
            error = kWriteFault;
            return false;
        }
        // The old file keeps who may read and write it, as Windows keeps a replaced file's attributes
        // and security (a name hides a file here: it stays with the name).
        struct stat old {};
        if (::stat(path_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd_, old.st_mode & 07777);
        // On the disk before it takes the old file's place.
        if (::fsync(fd_) != 0) {
            error = writeFailure(errno);
            return false;
        }
        if (!close()) {
            error = writeFailure(errno);
            return false;
        }
        if (!mayReplace(path_, error)) return false;
        if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
            error = renameFailure(path_, errno);
            return false;
        }
        temporary_.clear();
        return true;
    }

private:
    bool close() {
        if (fd_ < 0) return true;
        heldFiles().erase(key_);
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

    int fd_;
    FileKey key_;
    std::string temporary_; // empty once it has taken the old file's place
    std::string path_;
};

// Beside the file it is to replace: a rename within one folder is one step.
std::string temporaryBeside(const std::string& path, uint32_t serial) {
    char name[16];
    std::snprintf(name, sizeof name, "~brio%04X.tmp", unsigned(serial & 0xFFFF));
    const size_t slash = path.find_last_of('/');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

} // namespace

std::unique_ptr<NewFile> createFileForWriting(const std::string& path, uint32_t& error) {
    static uint32_t serial = uint32_t(::getpid());
    for (int attempt = 0; attempt < 64; ++attempt) {
        const std::string temporary = temporaryBeside(path, serial++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = openFailure(temporary, errno);
            if (error == kFileExists) continue;
            return nullptr;
        }
        FileKey key{};
        bool held = false;
        try {
            held = hold(fd, key);
            return std::make_unique<HeadlessNewFile>(fd, key, temporary, path);
        } catch (...) {
            if (held) heldFiles().erase(key);
            ::close(fd);
            ::unlink(temporary.c_str());
            throw;
        }
    }
    return nullptr;
}

namespace {

// A file opened for one reading: as openFileForReading, without an object on the heap. The file is
// read and closed before anything else can run, so it only has to be free now and is never entered
// among the held files. -1, with the error, when it cannot be read.
int openForOneReading(const std::string& path, uint32_t& error) {
    if (isFolder(path)) {
        error = kAccessDenied;
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = openFailure(path, errno);
        return -1;
    }
    struct stat s {};
    if (::fstat(fd, &s) == 0 && heldFiles().count(FileKey{s.st_dev, s.st_ino}) != 0) {
        ::close(fd);
        error = kSharingViolation;
        return -1;
    }
    return fd;
}

} // namespace

bool isExistingFile(const std::string& path) {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0 && !S_ISDIR(s.st_mode);
}

bool readFile(const std::string& path, std::string& bytes, uint32_t& error, uint64_t largest) {
    const int fd = openForOneReading(path, error);
    if (fd < 0) return false;
    HeadlessFile file(fd, 0);
    return file.readInto(bytes, error, largest);
}

bool readFileInBlocks(const std::string& path, BlockSink& sink, uint32_t& error) {
    const int fd = openForOneReading(path, error);
    if (fd < 0) return false;
    HeadlessFile file(fd, 0);
    return file.readBlocks(sink, error);
}

std::unique_ptr<OpenFile> openFileForReading(const std::string& path) {
    // Windows opens no folder as a file.
    if (isFolder(path)) return std::make_unique<HeadlessFile>(-1, kAccessDenied);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::make_unique<HeadlessFile>(-1, openFailure(path, errno));
    return take(fd);
}

} // namespace brio::platform

namespace brio::headless {

void failFileWrite(uint32_t nth, uint32_t error) {
    platform::writeFault() = {nth, error};
}

void resetFiles() {
    platform::writeFault() = {};
}

} // namespace brio::headless
