#include "formats/integer.h"

namespace brio {

namespace {

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Where the digits begin: past the leading white space and an optional sign, telling whether it is "-".
size_t skipToDigits(std::string_view text, bool& negative) {
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    return i;
}

} // namespace

int32_t readInteger(std::string_view text) {
    bool negative = false;
    size_t i = skipToDigits(text, negative);
    uint32_t value = 0; // unsigned, so that a long run of digits wraps instead of overflowing
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + uint32_t(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

int32_t readIntegerClamped(std::string_view text) {
    bool negative = false;
    size_t i = skipToDigits(text, negative);
    // The magnitude stops growing once it is past every 32-bit value: more digits cannot bring it back.
    constexpr uint64_t kPastAll = uint64_t{1} << 32;
    uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (magnitude < kPastAll) magnitude = magnitude * 10u + uint64_t(text[i] - '0');
    if (negative) return magnitude > uint64_t{INT32_MAX} ? INT32_MIN : -static_cast<int32_t>(magnitude);
    return magnitude > uint64_t{INT32_MAX} ? INT32_MAX : static_cast<int32_t>(magnitude);
}

} // namespace brio
