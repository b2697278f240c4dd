// Reading a file whole, as the feeds read the speed files of other programs.
#pragma once

#include <cstdint>
#include <string>

namespace brio::platform {

// Larger files are no speed files; reading one on every timer tick would stall the messenger.
constexpr uint32_t kLargestReadableFile = 64u * 1024u * 1024u;

struct FileRead {
    // False when the file could not be opened or its size not found; `error` then holds the system's
    // error code (Windows numbering: 2 no such file, 3 no such folder, 5 access denied, 32 held open
    // by another program without sharing).
    bool opened = false;
    uint32_t error = 0;
    // As many bytes as the file's size said, those that could not be read left as zeros; nothing for a
    // file larger than kLargestReadableFile.
    std::string bytes;
};

// Opens the file for reading without sharing it, reads it and closes it.
FileRead readFile(const std::string& path);

} // namespace brio::platform
