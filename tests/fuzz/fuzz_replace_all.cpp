// replaceAll against the plain definition: search from the start, and after each match go on
// searching behind the inserted value; with a limit, refused exactly when the result is longer. And the
// size arithmetic against the same sums in 64 bits, with sizes taken from the input and pushed to the
// edge of 32 bits, where a product or a sum that wraps would show.
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "formats/replace_all.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

std::string reference(std::string text, std::string_view placeholder, std::string_view value) {
    if (placeholder.empty()) return text;
    for (size_t pos = text.find(placeholder); pos != std::string::npos;
         pos = text.find(placeholder, pos + value.size()))
        text.replace(pos, placeholder.size(), value);
    return text;
}

// The builds are 32-bit: 64 bits hold every sum and product of two sizes.
static_assert(sizeof(size_t) * 2 <= sizeof(uint64_t));

std::optional<uint64_t> referenceSize(uint64_t text, uint64_t matches, uint64_t placeholder, uint64_t value,
                                      uint64_t limit) {
    uint64_t size;
    if (value <= placeholder) {
        if (matches * (placeholder - value) > text) return std::nullopt;
        size = text - matches * (placeholder - value);
    } else {
        size = text + matches * (value - placeholder);
    }
    if (size > limit) return std::nullopt;
    return size;
}

// A size from four bytes of the input: small, near the edge, or anywhere.
size_t sizeFrom(std::string_view bytes, size_t at) {
    uint32_t word = 0;
    if (at + 4 <= bytes.size()) std::memcpy(&word, bytes.data() + at, 4);
    switch (word & 3) {
    case 0:
        return (word >> 2) & 0xFF;
    case 1:
        return SIZE_MAX - ((word >> 2) & 0xFF);
    case 2:
        return SIZE_MAX / (((word >> 2) & 0xF) + 1) + ((word >> 6) & 0xF);
    default:
        return word;
    }
}

} // namespace

// The input is text, placeholder and value separated by the first two 0xFF bytes (missing parts are
// empty), so the fuzzer controls all three.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t first = input.find('\xFF');
    std::string_view text = input.substr(0, first);
    std::string_view placeholder, value;
    if (first != std::string_view::npos) {
        std::string_view rest = input.substr(first + 1);
        size_t second = rest.find('\xFF');
        placeholder = rest.substr(0, second);
        if (second != std::string_view::npos) value = rest.substr(second + 1);
    }
    const std::string expected = reference(std::string(text), placeholder, value);
    check(brio::replaceAll(text, placeholder, value) == expected);
    for (size_t limit : {expected.size(), expected.size() - 1, text.size()}) {
        std::string out = "before";
        const bool built = brio::replaceAll(out, text, placeholder, value, limit);
        check(built == (expected.size() <= limit) && out == (built ? expected : std::string()));
    }

    const size_t sizes[] = {sizeFrom(input, 0), sizeFrom(input, 4), sizeFrom(input, 8), sizeFrom(input, 12),
                            sizeFrom(input, 16)};
    const std::optional<size_t> computed =
        brio::replacedSize(sizes[0], sizes[1], sizes[2], sizes[3], sizes[4]);
    const std::optional<uint64_t> wide = referenceSize(sizes[0], sizes[1], sizes[2], sizes[3], sizes[4]);
    check(computed.has_value() == wide.has_value() && (!computed || *computed == *wide));
    return 0;
}
