#include "formats/azureus_stats.h"

#include <algorithm>
#include <functional>

namespace brio {

namespace {

constexpr size_t kNone = std::string_view::npos;
constexpr std::string_view kTextStart = "<TEXT>";
constexpr std::string_view kTextEnd = "</TEXT>";
// Azureus writes a speed as the figure, a blank and the unit ("20.3 kB/s", "512 B/s", "162.4 kbit/s"),
// the figure in the user's locale. A value without a blank is taken to end in a six-byte unit.
constexpr char kBlank = ' ';
constexpr size_t kValueSuffix = 6;

// The first `tag` at or after `from`. A speed file may be megabytes of anything: a search that looks at
// every "<" (as a plain find does) would take a frame's time over a file full of them; this one skips
// ahead by up to the tag's length.
size_t findTag(std::string_view text, std::string_view tag, size_t from = 0) {
    if (from > text.size()) return kNone;
    const auto found = std::search(text.begin() + std::ptrdiff_t(from), text.end(),
                                   std::boyer_moore_horspool_searcher(tag.begin(), tag.end()));
    return found == text.end() ? kNone : size_t(found - text.begin());
}

// The element from its start tag up to, not including, its end tag, which is looked for only behind
// the start tag.
std::string_view element(std::string_view text, std::string_view startTag, std::string_view endTag) {
    const size_t begin = findTag(text, startTag);
    if (begin == kNone) return {};
    const size_t end = findTag(text, endTag, begin + startTag.size());
    return text.substr(begin, end == kNone ? kNone : end - begin);
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

Speeds parseAzureusStats(std::string_view text) {
    const SpeedViews speeds = cutAzureusStats(text);
    return Speeds{std::string(speeds.down), std::string(speeds.up)};
}

} // namespace brio
