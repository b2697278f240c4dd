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
    SpeedFileSink(std::string& bytes, SpeedsSettled settled, size_t block)
        : bytes_(bytes), settled_(settled), block_(std::max<size_t>(block, 1)) {
        bytes_.clear();
    }

    // None when all is read, or kFileTooLarge, kNotEnoughMemory.
    uint32_t error() const { return error_; }

    std::span<char> room(uint64_t unread) override {
        if (done_) return {};
        const size_t have = bytes_.size();
        if (have >= kLargestSpeedFile) {
            error_ = kFileTooLarge; // more to read, and the speeds not settled yet
            return {};
        }
        const size_t step = have + block_ <= kHeldSpeedBytes ? block_ : std::max(block_, have);
        const auto size = static_cast<size_t>(std::min<uint64_t>({step, unread, kLargestSpeedFile - have}));
        try {
            // Past what is kept the speeds stand far in, or nowhere: room for all that may still be read
            // is made at once, rather than once for every doubling.
            if (have + size > kHeldSpeedBytes && bytes_.capacity() < have + size)
                bytes_.reserve(static_cast<size_t>(std::min<uint64_t>(have + unread, kLargestSpeedFile)));
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
            done_ = true;
            return;
        }
        // Behind a last block read whole (a short file's only one) nothing is left to be read: the
        // speeds need not be looked for.
        if (!end) done_ = settled_(bytes_);
    }

private:
    std::string& bytes_;
    SpeedsSettled settled_;
    size_t block_;
    size_t from_ = 0;   // where the room given last starts
    bool last_ = false; // that room holds all of the file still unread
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

bool readSpeedFile(const std::string& path, std::string& bytes, SpeedsSettled settled, uint32_t* failure,
                   size_t block) {
    SpeedFileSink sink(bytes, settled, block);
    uint32_t error = 0;
    if (!platform::readFileInBlocks(path, sink, error)) return failed(path, bytes, error, failure);
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
