// The column widths text kept in "Brio/colWidth": "<first>|<second>".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brio {

struct ColumnWidths {
    int32_t description; // first column, "Opis"
    int32_t seconds;     // second column, "Czas [s]"
    bool operator==(const ColumnWidths&) const = default;
};

constexpr ColumnWidths kDefaultColumnWidths{297, 55};

// The widths to use: a stored first width above 10 and a stored second above 5 are kept, the others
// fall back to 297 and 55.
ColumnWidths readColumnWidths(std::string_view text);
std::string writeColumnWidths(ColumnWidths widths);

} // namespace brio
