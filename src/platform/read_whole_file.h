// A speed file, read whole or as far as its speeds stand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brio {

// The file's bytes up to its first zero byte. A file that cannot be opened or sized shows the user
// "GetFileSize() failed: GetLastError returned N" (title "Error"), a file larger than kLargestSpeedFile
// shows 'Plik "NAME" jest za duży (ponad 8 MB).' (title "Brio - Error"); either reads as the empty
// text.
std::string readWholeFile(const std::string& path);
// The same into `bytes`, whose memory is reused: a file read again and again at the same size costs no
// allocation. False (the bytes empty) for a file that could not be read; the message box comes last,
// after which neither `path` nor `bytes` is touched (its message loop may let their owner go).
// `failure`, when given, gets the system's code of a file that could not be read.
bool readWholeFile(const std::string& path, std::string& bytes, uint32_t* failure = nullptr);

// No more of a file is read for its speeds: one that holds none within it is no speed file but a file
// picked by mistake (a film, an archive), which the user is told of. eMule's onlinesig.dat is two
// short lines; Azureus's statistics hold the global speeds at the top, then an element of about a
// kilobyte for every download, some megabytes for thousands of them.
constexpr uint64_t kLargestSpeedFile = 8u * 1024u * 1024u;

// A speed file is read from its start in blocks, the first of this size, as far as its speeds stand.
constexpr size_t kSpeedFileBlock = 4096;
// What a buffer of a speed file keeps between readings, and what the blocks after the first fill: a
// few blocks. A buffer that a reading grew beyond this (an element longer than that) is let go.
constexpr size_t kHeldSpeedBytes = 4 * kSpeedFileBlock;

// What a speed file's reading needs to know of its format.
struct SpeedFileFormat {
    // Whether a start of the file settles the speeds: no bytes after it change what they are.
    bool (*settled)(std::string_view start);
    // Where in a start of the file the bytes that may matter to the speeds begin: the bytes before it
    // are let go as the file is read. Null: every byte may matter.
    size_t (*neededFrom)(std::string_view start);
};

// The sizes of the blocks (a test makes them small): the first; then each fills the buffer up to
// `held` bytes, or, once the bytes that may matter are more than that, is as large as they are, so
// that a file read far is looked over a few times, not once a block.
struct SpeedFileBlocks {
    size_t first = kSpeedFileBlock;
    size_t held = kHeldSpeedBytes;
};

// The part of a speed file that settles its speeds: read from its start block after block until the
// bytes so far settle them, the file ends, or a zero byte ends its text; into `bytes` go the bytes read
// from where they may matter (the rest let go on the way) up to that zero. So a tick costs as much for a
// file of megabytes as for a short one when the speeds stand at its top, as Azureus writes them. The
// limit applies to what is read: a file of any size whose speeds are settled within kLargestSpeedFile
// bytes is read; one whose speeds are not is too large. Returns and reports as readWholeFile(path,
// bytes, failure); whatever the outcome, `bytes` holds no more than kHeldSpeedBytes of memory once
// keepSmall has been called on it. `taken`, when given, gets how many bytes of the text were read.
bool readSpeedFile(const std::string& path, std::string& bytes, const SpeedFileFormat& format,
                   uint32_t* failure = nullptr, const SpeedFileBlocks& blocks = {},
                   uint64_t* taken = nullptr);

// Lets go of the memory of a buffer that a reading grew beyond kHeldSpeedBytes.
void keepSmall(std::string& bytes);

// The system's code for a file too large to be read (ERROR_FILE_TOO_LARGE).
constexpr uint32_t kFileTooLarge = 223;
// The system's code for a reading that found no memory (ERROR_NOT_ENOUGH_MEMORY).
constexpr uint32_t kNotEnoughMemory = 8;

// A file that could not be read, as the user is told of it (the list files use it too).
void showReadFailure(uint32_t error);
// A speed file over kLargestSpeedFile, as the user is told of it: by its name alone.
void showTooLarge(std::string_view path);

// The file's name without its folders, as the user is shown it (a path that ends in a separator: all of
// it). Both kinds of separator count, so that both desktops show the same.
std::string_view fileNameOf(std::string_view path);

} // namespace brio
