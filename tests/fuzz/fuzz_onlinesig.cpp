// parseOnlineSig against a plain walk over the bytes that follows the separators one by one; both
// speeds are always cut from the text itself and hold no line-end byte; a reading stops once they settle.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/onlinesig.h"
#include "settled_starts.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

// Index of the first byte at or after `from` that `is` accepts; -1 when there is none.
template <class Is> long next(std::string_view text, long from, Is is) {
    for (long i = from; i < static_cast<long>(text.size()); ++i)
        if (is(text[static_cast<size_t>(i)])) return i;
    return -1;
}

// The bytes from `from` to `end` (to the end: -1), up to the first line-end byte among them.
std::string cut(std::string_view text, long from, long end) {
    std::string out;
    for (long i = from; i < (end < 0 ? static_cast<long>(text.size()) : end); ++i) {
        const char c = text[static_cast<size_t>(i)];
        if (c == '\r' || c == '\n') break;
        out += c;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto bar = [](char c) { return c == '|'; };
    auto lineEnd = [](char c) { return c == '\r' || c == '\n'; };
    auto after = [](long p) { return p < 0 ? 0 : p + 1; };
    long p = -1;
    for (int i = 0; i < 3; ++i)
        p = next(text, after(p), bar);
    const long p4 = next(text, after(p), lineEnd);
    // CR LF ends the line as one.
    const bool crLf = p4 >= 0 && text.substr(static_cast<size_t>(p4), 2) == "\r\n";
    const long second = crLf ? p4 + 2 : after(p4);
    const long p5 = next(text, second, bar);
    const long p6 = next(text, after(p5), bar);

    const brio::Speeds speeds = brio::parseOnlineSig(text);
    check(speeds.down == cut(text, second, p5));
    check(speeds.up == cut(text, after(p5), p6));
    check(text.find(speeds.down) != std::string_view::npos);
    check(text.find(speeds.up) != std::string_view::npos);
    check(speeds.down.find_first_of("\r\n") == std::string::npos);
    check(speeds.up.find_first_of("\r\n") == std::string::npos);
    check(settledStartsAgree(text, speeds, brio::onlineSigSettled, brio::parseOnlineSig));
    return 0;
}
