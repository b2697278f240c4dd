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

std::string_view fileNameOf(std::string_view path) {
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos || separator + 1 == path.size() ? path
                                                                               : path.substr(separator + 1);
}

void showTooLarge(std::string_view path) {
    const std::string text = "Plik \"" + std::string(fileNameOf(path)) + "\" jest za duży (ponad " +
                             std::to_string(kLargestSpeedFile / (1024 * 1024)) + " MB).";
    platform::showMessage(text, "Brio - Error", platform::MessageIcon::Warning);
}

bool readWholeFile(const std::string& path, std::string& bytes, uint32_t* failure) {
    uint32_t error = 0;
    if (!platform::readFile(path, bytes, error, kLargestSpeedFile)) {
        bytes.clear();
        if (failure) *failure = error;
        // The path is not used after this: the box's message loop may let its owner go.
        if (error == kFileTooLarge)
            showTooLarge(path);
        else
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
