// Files read whole or in blocks, or written whole (the list files, the speed files), never shared with
// another program while open. Errors are the system's codes (Windows numbering: 2 no such file, 3 no
// such folder, 5 access denied, 8 not enough memory, 29 write fault, 32 held by another program without
// sharing, 112 disk full, 223 file too large).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brio::platform {

class OpenFile {
public:
    virtual ~OpenFile() = default; // closes the file

    // The whole file from its start. None when it did not open, its size cannot be found, or it is
    // larger than `largest` (or than this 32-bit process can hold: error 223, file too large), with the
    // system's error code in `error`.
    std::optional<std::string> readAll(uint32_t& error, uint64_t largest = UINT64_MAX) {
        std::string bytes;
        if (!readInto(bytes, error, largest)) return std::nullopt;
        return bytes;
    }

    // The same into `bytes`, whose memory is reused when it is large enough; false for none.
    virtual bool readInto(std::string& bytes, uint32_t& error, uint64_t largest = UINT64_MAX) = 0;
};

// A file written whole before it takes the place of the file of its name, so that a save that fails
// halfway never costs the old file: the bytes go to a new file in the same folder, which `replaceOld`
// then puts in the old one's place in one step. Given up without that (or after it failed), the new
// file is removed and the old one stays as it was.
class NewFile {
public:
    virtual ~NewFile() = default;

    // Appends the bytes; false, with the system's error code in `error`, when not all were written.
    virtual bool write(std::string_view bytes, uint32_t& error) = 0;

    // The written file takes the place of the file of the name (made if there is none); false, with
    // the error code. A folder, a read-only file or one held open elsewhere is not replaced.
    virtual bool replaceOld(uint32_t& error) = 0;
};

// Null, with the system's error code, when the new file cannot be made.
std::unique_ptr<NewFile> createFileForWriting(const std::string& path, uint32_t& error);

// An existing file for reading. A file that cannot be opened (missing, or held by another program)
// still gives an object, whose readAll fails with the error of the open.
std::unique_ptr<OpenFile> openFileForReading(const std::string& path);

// Whether the path, of any length, names a file that is there (not a folder).
bool isExistingFile(const std::string& path);

// Opens, reads whole (as readInto) and closes a file, making no object on the heap: for files read
// again and again, such as the speed files on every timer tick.
bool readFile(const std::string& path, std::string& bytes, uint32_t& error, uint64_t largest = UINT64_MAX);

// What takes a file read in blocks (readFileInBlocks), from the file's start on.
class BlockSink {
public:
    virtual ~BlockSink() = default;
    // Where the next block goes, told how many bytes of the file are still unread (at least one). An
    // empty room: no more is wanted.
    virtual std::span<char> room(uint64_t unread) = 0;
    // The file's next `count` bytes (at least one) are at the start of the room given last.
    virtual void took(size_t count) = 0;
};

// Opens a file as readFile does and hands its bytes to `sink` block after block from its start, until
// the sink wants no more, the file ends (at the size it had when opened) or a read fails; then closes
// it. Makes no object on the heap, and reads no more of the file than the sink asks for. False, with the
// system's error code, when the file did not open or its size cannot be found.
bool readFileInBlocks(const std::string& path, BlockSink& sink, uint32_t& error);

} // namespace brio::platform
