#include "description/speed_setter.h"

#include <algorithm>
#include <cstdint>

#include "formats/replace_all.h"

namespace brio {

SpeedTexts& speedTexts() {
    static SpeedTexts texts;
    return texts;
}

void SpeedDescriptionSetter::formatFor(std::string_view text, int32_t, std::string& out) {
    // Download first, then upload over the whole result: an "{UpSpeed}" that arrives with the download
    // speed is filled too, a "{DownSpeed}" that arrives with the upload speed is not.
    const size_t limit = text.size() + std::min(kLongestGrowth, SIZE_MAX - text.size());
    if (!replaceAll(downFilled_, text, "{DownSpeed}", speedTexts().currentDownload(), limit) ||
        !replaceAll(out, downFilled_, "{UpSpeed}", speedTexts().currentUpload(), limit))
        throw DescriptionTooLong();
}

} // namespace brio
