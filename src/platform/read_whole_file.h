// A speed file, read whole.
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

// Larger files are no speed files but a file picked by mistake (a film, an archive), which is not read on
// every timer tick. eMule's onlinesig.dat is two short lines; Azureus's statistics hold an element of
// about a kilobyte for every download besides the global speeds, some megabytes for thousands of them.
constexpr uint64_t kLargestSpeedFile = 8u * 1024u * 1024u;

// The system's code for a file too large to be read (ERROR_FILE_TOO_LARGE).
constexpr uint32_t kFileTooLarge = 223;

// A file that could not be read, as the user is told of it (the list files use it too).
void showReadFailure(uint32_t error);
// A speed file over kLargestSpeedFile, as the user is told of it: by its name alone.
void showTooLarge(std::string_view path);

// The file's name without its folders, as the user is shown it (a path that ends in a separator: all of
// it). Both kinds of separator count, so that both desktops show the same.
std::string_view fileNameOf(std::string_view path);

} // namespace brio
