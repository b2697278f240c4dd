// A speed file, read whole.
#pragma once

#include <string>

namespace brio {

// The file's bytes up to its first zero byte. A file that cannot be opened or sized shows the user
// "GetFileSize() failed: GetLastError returned N" (title "Error") and reads as the empty text, as does
// a file too large to be a speed file.
std::string readWholeFile(const std::string& path);

} // namespace brio
