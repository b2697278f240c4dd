// Files read or written whole (the list files, the speed files), never shared with another program
// while open. Errors are the system's codes (Windows numbering: 2 no such file, 3 no such folder, 5
// access denied, 32 held by another program without sharing).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brio::platform {

class OpenFile {
public:
    virtual ~OpenFile() = default; // closes the file

    // Appends the bytes; false when not all of them were written.
    virtual bool write(std::string_view bytes) = 0;

    // The whole file from its start; empty when it is larger than `largest`. None when it did not open
    // or its size cannot be found, with the system's error code in `error`.
    std::optional<std::string> readAll(uint32_t& error, uint64_t largest = UINT64_MAX) {
        std::string bytes;
        if (!readInto(bytes, error, largest)) return std::nullopt;
        return bytes;
    }

    // The same into `bytes`, whose memory is reused when it is large enough; false for none.
    virtual bool readInto(std::string& bytes, uint32_t& error, uint64_t largest = UINT64_MAX) = 0;
};

// A new, empty file in place of any file of that name; null when it cannot be created.
std::unique_ptr<OpenFile> createFileForWriting(const std::string& path);

// An existing file for reading. A file that cannot be opened (missing, or held by another program)
// still gives an object, whose readAll fails with the error of the open.
std::unique_ptr<OpenFile> openFileForReading(const std::string& path);

// Opens, reads whole (as readInto) and closes a file, making no object on the heap: for files read
// again and again, such as the speed files on every timer tick.
bool readFile(const std::string& path, std::string& bytes, uint32_t& error, uint64_t largest = UINT64_MAX);

} // namespace brio::platform
