// Any column widths text gives usable widths, and the widths written read back unchanged.
#include <cstdint>
#include <string_view>

#include "formats/column_widths.h"
#include "formats/integer.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    brio::ColumnWidths widths = brio::readColumnWidths(text);
    check(widths.description > 10 && widths.seconds > 5);
    if (text.empty()) check(widths == brio::kDefaultColumnWidths);
    if (text.find('|') == std::string_view::npos && brio::readInteger(text) > 10)
        check(widths.description == brio::readInteger(text));
    check(brio::readColumnWidths(brio::writeColumnWidths(widths)) == widths);
    return 0;
}
