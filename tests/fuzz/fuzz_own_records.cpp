// Any text in the setting of kept records: what parses writes back byte for byte (only what Brio writes
// is read); anything else is refused without harm.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/own_records.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto records = brio::parseOwnRecords(text);
    if (!records) return 0;
    const std::string written = brio::writeOwnRecords(*records);
    check(written == text);
    const auto again = brio::parseOwnRecords(written);
    check(again && *again == *records);
    check(brio::writeOwnRecords(*again) == written);
    return 0;
}
