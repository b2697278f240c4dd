// Files on the real file system, so that a host on Linux can point the feeds at files of its own.
// Failures are reported with the codes Windows gives for them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"

namespace brio::platform {

namespace {

constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kGeneralFailure = 31;

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
        return kAccessDenied;
    default:
        return kGeneralFailure;
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

FileRead readFile(const std::string& path) {
    FileRead result;
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        result.error = openFailure(path, errno);
        return result;
    }
    struct stat s {};
    if (::fstat(file.get(), &s) != 0) {
        result.error = kGeneralFailure;
        return result;
    }
    // Windows opens no folder as a file.
    if (S_ISDIR(s.st_mode)) {
        result.error = kAccessDenied;
        return result;
    }
    result.opened = true;
    if (s.st_size < 0 || static_cast<uint64_t>(s.st_size) > kLargestReadableFile) return result;
    result.bytes.assign(static_cast<size_t>(s.st_size), '\0');
    size_t done = 0;
    while (done < result.bytes.size()) {
        const ssize_t n = ::read(file.get(), result.bytes.data() + done, result.bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // the file shrank or cannot be read further: the rest stays zeros
        done += static_cast<size_t>(n);
    }
    return result;
}

} // namespace brio::platform
