// Any bytes read as an AutoStatus file or a plain-text list give entries that write and read back
// unchanged. Byte 0 chooses the reader; the rest is the file. Its text in code page 1250 is never
// longer than its bytes (half of them after a UTF-16 mark), and is those bytes themselves unless they
// start with a mark or read as UTF-8.
#include <cstdint>
#include <string_view>

#include "formats/autostatus.h"
#include "formats/list_encoding.h"
#include "formats/list_text.h"
#include "formats/text_list.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string text = brio::listFileText(file);
    check(text.find('\0') == std::string::npos);
    const std::string_view mark = file.substr(0, 2);
    if (mark == "\xFF\xFE" || mark == "\xFE\xFF") {
        check(text.size() <= (file.size() - 1) / 2);
    } else {
        const std::string_view content = file.substr(0, file.find('\0'));
        check(text.size() <= content.size());
        if (content.substr(0, 3) != "\xEF\xBB\xBF" && !brio::readsAsUtf8(content)) check(text == content);
    }
    if (data[0] & 1) {
        const auto lines = brio::readTextList(text);
        for (const auto& line : lines)
            check(line.find('\0') == std::string::npos && line.find("\r\n") == std::string::npos);
        check(brio::readTextList(brio::writeTextList(lines)) == lines);
    } else {
        const auto entries = brio::readAutoStatus(text);
        for (const auto& e : entries)
            check(e.seconds >= 10 && e.description.size() <= brio::kListFieldLimit &&
                  e.description.find('\n') == std::string::npos);
        check(brio::readAutoStatus(brio::writeAutoStatus(entries)) == entries);
    }
    return 0;
}
