// parseAzureusStats on any bytes: each speed is cut from between "<TEXT>" and its unit before a
// "</TEXT>" (a blank and bytes without one, or, in a value without a blank, six bytes), and bytes put
// in front of the file that hold no tag change nothing. What a reading of it stops at, or lets go of, too.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/azureus_stats.h"
#include "settled_starts.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

bool hasBlank(std::string_view bytes) {
    return bytes.find(' ') != std::string_view::npos;
}

// The speed, if not empty, stands in the text right behind a "<TEXT>", followed by its unit and a
// "</TEXT>", all behind the element's start tag.
void checkCut(std::string_view text, const std::string& speed, std::string_view startTag) {
    if (speed.empty()) return;
    const size_t element = text.find(startTag);
    check(element != std::string_view::npos);
    const std::string value = "<TEXT>" + speed;
    bool found = false;
    for (size_t at = text.find(value, element); at != std::string_view::npos && !found;
         at = text.find(value, at + 1)) {
        const size_t unit = at + value.size();
        const size_t end = text.find("</TEXT>", unit);
        if (end == std::string_view::npos) continue;
        const std::string_view rest = text.substr(unit, end - unit);
        found = rest.empty()     ? false
                : rest[0] == ' ' ? !hasBlank(rest.substr(1))
                                 : rest.size() == 6 && !hasBlank(rest) && !hasBlank(speed);
    }
    check(found);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const brio::Speeds speeds = brio::parseAzureusStats(text);
    check(speeds.down.size() + speeds.up.size() <= 2 * size);
    checkCut(text, speeds.down, "<DOWNLOAD_SPEED>");
    checkCut(text, speeds.up, "<UPLOAD_SPEED>");
    check(brio::parseAzureusStats(" \n\t" + std::string(text)) == speeds);
    check(settledStartsAgree(text, speeds, brio::azureusSpeedsSettled, brio::parseAzureusStats));
    // The bytes that a reading lets go, those before where the speeds may begin, change nothing.
    for (const size_t read : {size / 3, size / 2, size}) {
        const size_t from = brio::azureusSpeedsFrom(text.substr(0, read));
        check(from <= read && brio::parseAzureusStats(text.substr(from)) == speeds);
    }
    return 0;
}
