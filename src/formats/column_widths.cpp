#include "formats/column_widths.h"

#include "formats/integer.h"

namespace brio {

ColumnWidths readColumnWidths(std::string_view text) {
    int32_t first = 0;
    int32_t second = 0;
    if (!text.empty()) {
        size_t bar = text.find('|');
        if (bar == std::string_view::npos) {
            first = second = readInteger(text);
        } else {
            // The second number ends at a further "|" by itself: reading stops at the first non-digit.
            first = readInteger(text.substr(0, bar));
            second = readInteger(text.substr(bar + 1));
        }
    }
    // Tiny or missing widths would leave a column that cannot be seen or grabbed.
    return {first > 10 ? first : kDefaultColumnWidths.description,
            second > 5 ? second : kDefaultColumnWidths.seconds};
}

std::string writeColumnWidths(ColumnWidths widths) {
    return std::to_string(widths.description) + '|' + std::to_string(widths.seconds);
}

} // namespace brio
