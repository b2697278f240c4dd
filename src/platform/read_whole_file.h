// A speed file, read whole.
#pragma once

#include <cstdint>
#include <string>

namespace brio {

// The file's bytes up to its first zero byte. A file that cannot be opened or sized shows the user
// "GetFileSize() failed: GetLastError returned N" (title "Error") and reads as the empty text, as does
// a file too large to be a speed file.
std::string readWholeFile(const std::string& path);
// The same into `bytes`, whose memory is reused: a file read again and again at the same size costs no
// allocation. False (the bytes empty) for a file that could not be read; the message box comes last,
// after which neither `path` nor `bytes` is touched (its message loop may let their owner go).
bool readWholeFile(const std::string& path, std::string& bytes);

// Larger files are no speed files; reading one on every timer tick would stall the messenger.
constexpr uint64_t kLargestSpeedFile = 64u * 1024u * 1024u;

// A file that could not be read, as the user is told of it (the list files use it too).
void showReadFailure(uint32_t error);

} // namespace brio
