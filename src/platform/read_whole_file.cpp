#include "platform/read_whole_file.h"

#include <cstdio>
#include <optional>

#include "platform/message_box.h"
#include "platform/open_file.h"

namespace brio {

void showReadFailure(uint32_t error) {
    char text[64];
    std::snprintf(text, sizeof text, "GetFileSize() failed: GetLastError returned %u\r\n",
                  static_cast<unsigned>(error));
    platform::showMessage(text, "Error", platform::MessageIcon::None);
}

std::string readWholeFile(const std::string& path) {
    uint32_t error = 0;
    std::optional<std::string> bytes = platform::openFileForReading(path)->readAll(error, kLargestSpeedFile);
    if (!bytes) {
        showReadFailure(error);
        return {};
    }
    const size_t end = bytes->find('\0');
    if (end != std::string::npos) bytes->resize(end);
    return std::move(*bytes);
}

} // namespace brio
