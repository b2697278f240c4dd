#include "platform/read_whole_file.h"

#include <cstdio>

#include "platform/message_box.h"
#include "platform/open_file.h"

namespace brio {

void showReadFailure(uint32_t error) {
    char text[64];
    std::snprintf(text, sizeof text, "GetFileSize() failed: GetLastError returned %u\r\n",
                  static_cast<unsigned>(error));
    platform::showMessage(text, "Error", platform::MessageIcon::None);
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    uint32_t error = 0;
    if (!platform::readFile(path, bytes, error, kLargestSpeedFile)) {
        bytes.clear();
        showReadFailure(error);
        return false;
    }
    const size_t end = bytes.find('\0');
    if (end != std::string::npos) bytes.resize(end);
    return true;
}

std::string readWholeFile(const std::string& path) {
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

} // namespace brio
