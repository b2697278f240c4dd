// replaceAll against the plain definition: search from the start, and after each match go on
// searching behind the inserted value.
#include <cstdint>
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
    check(brio::replaceAll(text, placeholder, value) == reference(std::string(text), placeholder, value));
    return 0;
}
