#pragma once

#include <cstdint>
#include <string>

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

} // namespace brio
