// Any network choice text: parse, write, parse again gives the same pairs, and the written text is
// stable from then on.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/network_choice.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<brio::NetworkChoice> choices = brio::parseNetworkChoices(text);
    size_t bars = 0;
    for (char c : text)
        bars += c == '|';
    check(choices.size() == bars / 2);

    std::string written = brio::writeNetworkChoices(choices);
    std::vector<brio::NetworkChoice> again = brio::parseNetworkChoices(written);
    check(again == choices);
    check(brio::writeNetworkChoices(again) == written);
    return 0;
}
