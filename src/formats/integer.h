// The one way Brio reads a number from a text: leading white space, an optional sign, decimal digits
// up to the first non-digit; no digits give 0, and there is no overflow check (the value wraps).
#pragma once

#include <cstdint>
#include <string_view>

namespace brio {

int32_t readInteger(std::string_view text);

} // namespace brio
