#include "description/speed_setter.h"

#include <algorithm>
#include <cstdint>

#include "formats/replace_all.h"

namespace brio {

SpeedTexts& speedTexts() {
    static SpeedTexts texts;
    return texts;
}

bool SpeedDescriptionSetter::fill(std::string& out, std::string& downFilled, std::string_view text,
                                  std::string_view down, std::string_view up) {
    // Download first, then upload over the whole result: an "{UpSpeed}" that arrives with the download
    // speed is filled too, a "{DownSpeed}" that arrives with the upload speed is not.
    const size_t limit = text.size() + std::min(kLongestGrowth, SIZE_MAX - text.size());
    return replaceAll(downFilled, text, "{DownSpeed}", down, limit) &&
           replaceAll(out, downFilled, "{UpSpeed}", up, limit);
}

bool SpeedDescriptionSetter::fills(std::string_view text, std::string_view down, std::string_view up) {
    std::string downFilled;
    std::string out;
    return fill(out, downFilled, text, down, up);
}

void SpeedDescriptionSetter::formatFor(std::string_view text, int32_t, std::string& out) {
    if (!fill(out, downFilled_, text, speedTexts().currentDownload(), speedTexts().currentUpload()))
        throw DescriptionTooLong();
}

} // namespace brio
