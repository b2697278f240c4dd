// Texts the plug-in hands over by address: read up to their terminating zero (or a limit).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "frame/records.h"

namespace brio::host {

// The text at `address`; empty for a null address. At most `limit` bytes are looked at.
inline std::string textAt(int32_t address, size_t limit = SIZE_MAX) {
    const char* p = fromAddress<const char>(address);
    if (!p) return {};
    size_t n = 0;
    while (n < limit && p[n] != '\0')
        ++n;
    return std::string(p, n);
}

// As textAt, but none for a null address.
inline std::optional<std::string> optionalTextAt(int32_t address) {
    if (address == 0) return std::nullopt;
    return textAt(address);
}

} // namespace brio::host
