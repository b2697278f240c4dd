#include "feeds/read_whole_file.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/message_box.h"

namespace brio {

std::string readWholeFile(const std::string& path) {
    platform::FileRead file = platform::readFile(path);
    if (!file.opened) {
        char text[64];
        std::snprintf(text, sizeof text, "GetFileSize() failed: GetLastError returned %u\r\n",
                      static_cast<unsigned>(file.error));
        platform::showMessage(text, "Error", platform::MessageIcon::None);
        return {};
    }
    const size_t end = file.bytes.find('\0');
    if (end != std::string::npos) file.bytes.resize(end);
    return std::move(file.bytes);
}

} // namespace brio
