#include "formats/azureus_stats.h"

namespace brio {

namespace {

constexpr size_t kNone = std::string_view::npos;
constexpr std::string_view kTextStart = "<TEXT>";
constexpr std::string_view kTextEnd = "</TEXT>";
// Azureus ends every speed value with six bytes that are not part of the figure.
constexpr size_t kValueSuffix = 6;

// The element from its start tag up to, not including, its end tag, which is looked for only behind
// the start tag.
std::string_view element(std::string_view text, std::string_view startTag, std::string_view endTag) {
    const size_t begin = text.find(startTag);
    if (begin == kNone) return {};
    const size_t end = text.find(endTag, begin + startTag.size());
    return text.substr(begin, end == kNone ? kNone : end - begin);
}

std::string_view speedIn(std::string_view element) {
    const size_t t = element.find(kTextStart);
    const size_t u = element.find(kTextEnd);
    if (t == kNone || u == kNone) return {};
    const size_t valueStart = t + kTextStart.size();
    // An end tag ahead of the start tag, or a value too short to lose its suffix, leaves nothing.
    if (u < valueStart + kValueSuffix) return {};
    return element.substr(valueStart, u - valueStart - kValueSuffix);
}

} // namespace

SpeedViews cutAzureusStats(std::string_view text) {
    return SpeedViews{speedIn(element(text, "<DOWNLOAD_SPEED>", "</DOWNLOAD_SPEED>")),
                      speedIn(element(text, "<UPLOAD_SPEED>", "</UPLOAD_SPEED>"))};
}

Speeds parseAzureusStats(std::string_view text) {
    const SpeedViews speeds = cutAzureusStats(text);
    return Speeds{std::string(speeds.down), std::string(speeds.up)};
}

} // namespace brio
