// The six statuses: their positions 0-5 in the list and on the page, the host's status numbers, the
// icon ids, and the labels.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brio {

constexpr int32_t kStatusCount = 6;
constexpr int32_t kHiddenStatus = 66; // host status number of "Ukryty"
constexpr int32_t kKeepStatus = -1;   // in a status change: only the description changes

bool isStatusPosition(int32_t position);
// Host status number of a position 0-5 (64, 67, 65, 33, 34, 66); -1 for anything else.
int32_t hostStatusNumber(int32_t position);
// Position of a host status number, -1 when it is none of the six.
int32_t statusPosition(int32_t hostStatus);
// 0x40000000 + host status number * 16.
int32_t statusIconId(int32_t hostStatus);
// "Dostępny" ... "Ukryty"; empty for anything else.
std::string_view statusLabel(int32_t position);

// The lines of the page's status choice: label, 0x03, icon id, 0x02, position, newline; six of them.
std::string statusChoiceText();

} // namespace brio
