#include "platform/read_whole_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include "platform/message_box.h"
#include "platform/open_file.h"

namespace brio {

void showReadFailure(uint32_t error) {
    char text[64];
    std::snprintf(text, sizeof text, "GetFileSize() failed: GetLastError returned %u\r\n",
                  static_cast<unsigned>(error));
    platform::showMessage(text, "Error", platform::MessageIcon::None);
}

std::string_view fileNameOf(std::string_view path) {
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos || separator + 1 == path.size() ? path
                                                                               : path.substr(separator + 1);
}

void showTooLarge(std::string_view path) {
    const std::string text = "Plik \"" + std::string(fileNameOf(path)) + "\" jest za duży (ponad " +
                             std::to_string(kLargestSpeedFile / (1024 * 1024)) + " MB).";
    platform::showMessage(text, "Brio - Error", platform::MessageIcon::Warning);
}

namespace {

// A reading that failed: nothing of the file stays, and the user is told, last.
bool failed(const std::string& path, std::string& bytes, uint32_t error, uint32_t* failure) {
    bytes.clear();
    keepSmall(bytes);
    if (failure) *failure = error;
    // The path is not used after this: the box's message loop may let its owner go.
    if (error == kFileTooLarge)
        showTooLarge(path);
    else
        showReadFailure(error);
    return false;
}

// Takes a speed file's blocks into the bytes until they settle its speeds.
class SpeedFileSink final : public platform::BlockSink {
public:
    SpeedFileSink(std::string& bytes, const SpeedFileFormat& format, const SpeedFileBlocks& blocks)
        : bytes_(bytes), format_(format), first_(std::max<size_t>(blocks.first, 1)),
          held_(std::max<size_t>(blocks.held, 1)) {
        bytes_.clear();
    }

    // None when all is read, or kFileTooLarge, kNotEnoughMemory.
    uint32_t error() const { return error_; }
    uint64_t taken() const { return taken_; }
    // Room given and not filled (a read that failed, a file that shrank since it was opened) holds none
    // of the file.
    void close() { bytes_.resize(kept_); }

    std::span<char> room(uint64_t unread) override {
        if (done_) return {};
        if (taken_ >= kLargestSpeedFile) {
            error_ = kFileTooLarge; // more to read, and the speeds not settled yet
            return {};
        }
        const size_t have = kept_;
        const size_t step = taken_ == 0 ? first_ : have < held_ ? held_ - have : have;
        const uint64_t allowed = std::min<uint64_t>(unread, kLargestSpeedFile - taken_);
        const auto size = static_cast<size_t>(std::min<uint64_t>(step, allowed));
        try {
            // Bytes that may matter beyond what is held: an element megabytes long, or one without its end.
            // Room for all that may still be read is made at once, rather than once for every doubling.
            if (have + size > held_ && bytes_.capacity() < have + size)
                bytes_.reserve(static_cast<size_t>(have + allowed));
            bytes_.resize(have + size);
        } catch (const std::exception&) { // bad_alloc, length_error
            error_ = kNotEnoughMemory;
            return {};
        }
        from_ = have;
        last_ = size == unread;
        return {bytes_.data() + have, size};
    }

    void took(size_t count) override {
        const bool end = last_ && from_ + count == bytes_.size();
        bytes_.resize(from_ + count);
        // The text ends at a zero byte, and with it what is to be read.
        const void* zero = std::memchr(bytes_.data() + from_, 0, count);
        if (zero) {
            bytes_.resize(static_cast<size_t>(static_cast<const char*>(zero) - bytes_.data()));
            taken_ += bytes_.size() - from_;
            kept_ = bytes_.size();
            done_ = true;
            return;
        }
        taken_ += count;
        // Behind a last block read whole (a short file's only one) nothing is left to be read: the
        // speeds need not be looked for.
        if (!end) {
            done_ = format_.settled(bytes_);
            if (!done_ && format_.neededFrom) bytes_.erase(0, format_.neededFrom(bytes_));
        }
        kept_ = bytes_.size();
    }

private:
    std::string& bytes_;
    const SpeedFileFormat& format_;
    size_t first_;
    size_t held_;
    uint64_t taken_ = 0; // bytes of the text read so far
    size_t kept_ = 0;    // of the bytes, those read and kept (beyond them: room given)
    size_t from_ = 0;    // where in the bytes the room given last starts
    bool last_ = false;  // that room holds all of the file still unread
    bool done_ = false;
    uint32_t error_ = 0;
};

} // namespace

bool readWholeFile(const std::string& path, std::string& bytes, uint32_t* failure) {
    uint32_t error = 0;
    if (!platform::readFile(path, bytes, error, kLargestSpeedFile))
        return failed(path, bytes, error, failure);
    const size_t end = bytes.find('\0');
    if (end != std::string::npos) bytes.resize(end);
    return true;
}

bool readSpeedFile(const std::string& path, std::string& bytes, const SpeedFileFormat& format,
                   uint32_t* failure, const SpeedFileBlocks& blocks, uint64_t* taken) {
    SpeedFileSink sink(bytes, format, blocks);
    uint32_t error = 0;
    const bool read = platform::readFileInBlocks(path, sink, error);
    sink.close();
    if (taken) *taken = sink.taken();
    if (!read) return failed(path, bytes, error, failure);
    if (sink.error() != 0) return failed(path, bytes, sink.error(), failure);
    return true;
}

void keepSmall(std::string& bytes) {
    if (bytes.capacity() > kHeldSpeedBytes) std::string().swap(bytes);
}

std::string readWholeFile(const std::string& path) {
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

} // namespace brio
