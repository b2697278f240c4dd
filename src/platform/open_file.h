// Files opened for the list files: written whole or read whole, never shared with another program
// while open.
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

    // The whole file from its start. None when its size cannot be found, with the system's error
    // code in `error`.
    virtual std::optional<std::string> readAll(uint32_t& error) = 0;
};

// A new, empty file in place of any file of that name; null when it cannot be created.
std::unique_ptr<OpenFile> createFileForWriting(const std::string& path);

// An existing file for reading. A file that cannot be opened (missing, or held by another program)
// still gives an object, whose readAll fails as a size query on an invalid handle does (error 6).
std::unique_ptr<OpenFile> openFileForReading(const std::string& path);

} // namespace brio::platform
