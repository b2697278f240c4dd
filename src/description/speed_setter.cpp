#include "description/speed_setter.h"

#include "formats/replace_all.h"

namespace brio {

SpeedTexts& speedTexts() {
    static SpeedTexts texts;
    return texts;
}

std::string SpeedDescriptionSetter::formatFor(std::string_view text, int32_t) {
    // Download first, then upload over the whole result: an "{UpSpeed}" that arrives with the download
    // speed is filled too, a "{DownSpeed}" that arrives with the upload speed is not.
    const std::string down = speedTexts().currentDownload();
    std::string result = replaceAll(text, "{DownSpeed}", down);
    const std::string up = speedTexts().currentUpload();
    return replaceAll(result, "{UpSpeed}", up);
}

} // namespace brio
