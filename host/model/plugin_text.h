// Texts the plug-in hands over by address: read up to their terminating zero (or a limit).
#pragma once

#include <cstdint>
#include <string>

#include "boundary/records.h"

namespace brio::host {

// Whether `address` can be a text at all: the lowest 64 KiB are mapped to nothing on either system,
// so a small number given where a text belongs is a plug-in's mistake, not a place to read.
inline bool maybeTextAddress(int32_t address) {
    return static_cast<uint32_t>(address) >= 0x10000u;
}

// The text at `address`; empty for a null address or one that cannot be a text. At most `limit` bytes
// are looked at.
inline std::string textAt(int32_t address, size_t limit = SIZE_MAX) {
    if (!maybeTextAddress(address)) return {};
    const char* p = fromAddress<const char>(address);
    size_t n = 0;
    while (n < limit && p[n] != '\0')
        ++n;
    return std::string(p, n);
}

} // namespace brio::host
