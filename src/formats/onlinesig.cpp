#include "formats/onlinesig.h"

#include <algorithm>

namespace brio {

namespace {

constexpr size_t kNone = std::string_view::npos;

// Where the next search starts: just behind a byte found, or at the beginning after a search that
// found nothing.
size_t behind(size_t found) {
    return found == kNone ? 0 : found + 1;
}

size_t findBar(std::string_view text, size_t from) {
    return text.find('|', from);
}

// The first CR or LF: two scans for one byte each, which run at memchr's speed, where a search for
// either byte at once goes byte by byte.
size_t findLineEnd(std::string_view text, size_t from) {
    return std::min(text.find('\r', from), text.find('\n', from));
}

// Where the second line starts: behind the line end found, which is CR LF as one when it is that.
size_t behindLineEnd(std::string_view text, size_t found) {
    if (found == kNone) return 0;
    return text.compare(found, 2, "\r\n") == 0 ? found + 2 : found + 1;
}

// The bytes from `from` up to `end`, or to the end of the text when `end` was not found; a speed
// stops before a line end too (a field that runs on to the end of its line or of the file).
std::string_view field(std::string_view text, size_t from, size_t end) {
    const std::string_view bytes = text.substr(from, end == kNone ? kNone : end - from);
    return bytes.substr(0, findLineEnd(bytes, 0));
}

} // namespace

SpeedViews cutOnlineSig(std::string_view text) {
    const size_t p1 = findBar(text, 0);
    const size_t p2 = findBar(text, behind(p1));
    const size_t p3 = findBar(text, behind(p2));
    const size_t p4 = findLineEnd(text, behind(p3));
    const size_t secondLine = behindLineEnd(text, p4);
    const size_t p5 = findBar(text, secondLine);
    const size_t p6 = findBar(text, behind(p5));
    return SpeedViews{field(text, secondLine, p5), field(text, behind(p5), p6)};
}

Speeds parseOnlineSig(std::string_view text) {
    const SpeedViews speeds = cutOnlineSig(text);
    return Speeds{std::string(speeds.down), std::string(speeds.up)};
}

} // namespace brio
