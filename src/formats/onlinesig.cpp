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

// The separators the cut goes by, each the first at or after where its search starts; as far as the
// first that is not found, when `untilMissing`.
struct Separators {
    size_t p1 = kNone, p2 = kNone, p3 = kNone, p4 = kNone, secondLine = 0, p5 = kNone, p6 = kNone;
};

Separators separators(std::string_view text, bool untilMissing) {
    Separators s;
    s.p1 = findBar(text, 0);
    if (untilMissing && s.p1 == kNone) return s;
    s.p2 = findBar(text, behind(s.p1));
    if (untilMissing && s.p2 == kNone) return s;
    s.p3 = findBar(text, behind(s.p2));
    if (untilMissing && s.p3 == kNone) return s;
    s.p4 = findLineEnd(text, behind(s.p3));
    if (untilMissing && s.p4 == kNone) return s;
    s.secondLine = behindLineEnd(text, s.p4);
    s.p5 = findBar(text, s.secondLine);
    if (untilMissing && s.p5 == kNone) return s;
    s.p6 = findBar(text, behind(s.p5));
    return s;
}

} // namespace

SpeedViews cutOnlineSig(std::string_view text) {
    const Separators s = separators(text, false);
    return SpeedViews{field(text, s.secondLine, s.p5), field(text, behind(s.p5), s.p6)};
}

bool onlineSigSettled(std::string_view text) {
    // With every search successful none starts again at the beginning; a CR ending the first line has
    // the byte behind it in the text, since the fifth separator stands after it. A start that misses
    // one is given up at once: it is looked over again and again while a long file is read.
    return separators(text, true).p6 != kNone;
}

Speeds parseOnlineSig(std::string_view text) {
    const SpeedViews speeds = cutOnlineSig(text);
    return Speeds{std::string(speeds.down), std::string(speeds.up)};
}

} // namespace brio
