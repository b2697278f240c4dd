// The network choice text: for each network, its number, "|", "1" or "0" (switched on or off), "|".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brio {

struct NetworkChoice {
    bool enabled;
    int32_t network;
    bool operator==(const NetworkChoice&) const = default;
};

std::string writeNetworkChoices(const std::vector<NetworkChoice>& choices);

// Pairs in text order. Parsing stops where no further "|" follows, so a last flag without its "|"
// ends the list.
std::vector<NetworkChoice> parseNetworkChoices(std::string_view text);

} // namespace brio
