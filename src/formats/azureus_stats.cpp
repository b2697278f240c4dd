#include "formats/azureus_stats.h"

#include <algorithm>

namespace brio {

namespace {

constexpr size_t kNone = std::string_view::npos;
constexpr std::string_view kTextStart = "<TEXT>";
constexpr std::string_view kTextEnd = "</TEXT>";
// Azureus writes a speed as the figure, a blank and the unit ("20.3 kB/s", "512 B/s", "162.4 kbit/s"),
// the figure in the user's locale. A value without a blank is taken to end in a six-byte unit.
constexpr char kBlank = ' ';
constexpr size_t kValueSuffix = 6;

// The first `tag` at or after `from`. Every tag holds its ">" only at its end, so a tag ends at a ">",
// and none ends within the tag's length behind another ">": the search goes from ">" to ">" (at memchr's
// speed where they are far apart) and skips the tag's length after each one that ends no tag. A speed
// file may be megabytes of anything; a plain search, which stops at every "<", took several frames over
// a file full of them.
size_t findTag(std::string_view text, std::string_view tag, size_t from = 0) {
    const size_t length = tag.size();
    const char lastButOne = tag[length - 2];
    for (size_t end = from + length - 1; end < text.size(); end += length) {
        if (text[end] != '>') {
            end = text.find('>', end);
            if (end == kNone) break;
        }
        if (text[end - 1] == lastButOne && text.compare(end + 1 - length, length, tag) == 0)
            return end + 1 - length;
    }
    return kNone;
}

// The element from its start tag up to, not including, its end tag, which is looked for only behind
// the start tag.
std::string_view element(std::string_view text, std::string_view startTag, std::string_view endTag) {
    const size_t begin = findTag(text, startTag);
    if (begin == kNone) return {};
    const size_t end = findTag(text, endTag, begin + startTag.size());
    return text.substr(begin, end == kNone ? kNone : end - begin);
}

// Whether the text holds the element's start tag and the end tag behind it.
bool elementWhole(std::string_view text, std::string_view startTag, std::string_view endTag) {
    const size_t begin = findTag(text, startTag);
    return begin != kNone && findTag(text, endTag, begin + startTag.size()) != kNone;
}

std::string_view speedIn(std::string_view element) {
    const size_t t = findTag(element, kTextStart);
    const size_t u = findTag(element, kTextEnd);
    if (t == kNone || u == kNone) return {};
    const size_t valueStart = t + kTextStart.size();
    // An end tag ahead of the start tag leaves nothing.
    if (u < valueStart) return {};
    const std::string_view value = element.substr(valueStart, u - valueStart);
    const size_t blank = value.rfind(kBlank);
    if (blank != kNone) return value.substr(0, blank);
    // A value too short to lose its unit leaves nothing.
    if (value.size() < kValueSuffix) return {};
    return value.substr(0, value.size() - kValueSuffix);
}

} // namespace

SpeedViews cutAzureusStats(std::string_view text) {
    return SpeedViews{speedIn(element(text, "<DOWNLOAD_SPEED>", "</DOWNLOAD_SPEED>")),
                      speedIn(element(text, "<UPLOAD_SPEED>", "</UPLOAD_SPEED>"))};
}

bool azureusSpeedsSettled(std::string_view text) {
    return elementWhole(text, "<DOWNLOAD_SPEED>", "</DOWNLOAD_SPEED>") &&
           elementWhole(text, "<UPLOAD_SPEED>", "</UPLOAD_SPEED>");
}

size_t azureusSpeedsFrom(std::string_view text) {
    const auto from = [text](std::string_view startTag) {
        const size_t begin = findTag(text, startTag);
        // A start tag not in the text may yet end behind it, with all but its last byte in it.
        return begin != kNone ? begin : text.size() - std::min(text.size(), startTag.size() - 1);
    };
    return std::min(from("<DOWNLOAD_SPEED>"), from("<UPLOAD_SPEED>"));
}

Speeds parseAzureusStats(std::string_view text) {
    const SpeedViews speeds = cutAzureusStats(text);
    return Speeds{std::string(speeds.down), std::string(speeds.up)};
}

} // namespace brio
