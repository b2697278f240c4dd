#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/integer.h"

namespace brio {

// One entry of the description list: a status (a position 0-5, or in the cycle list the host's status
// number), a description, and how many seconds it stays.
struct StatusEntry {
    int32_t status = 0;
    std::string description;
    int32_t seconds = 10;
    bool operator==(const StatusEntry&) const = default;
};

constexpr int32_t kMinimumSeconds = 10;

// A display time typed by the user or read from a list file: below the minimum it is the minimum, and
// beyond the largest the list holds (2147483647) it is that largest, not a wrap-round to a short or a
// negative time.
inline int32_t readSeconds(std::string_view text) {
    return std::max(readIntegerClamped(text), kMinimumSeconds);
}

} // namespace brio
