// The one way Brio reads a number from a text: leading white space, an optional sign, decimal digits
// up to the first non-digit; no digits give 0, and there is no overflow check (the value wraps).
#pragma once

#include <cstdint>
#include <string_view>

namespace brio {

int32_t readInteger(std::string_view text);

// The same reading, but a value beyond the 32-bit range stays at the end of the range it passed
// instead of wrapping round: for numbers a wrap would turn from large into small or negative.
int32_t readIntegerClamped(std::string_view text);

} // namespace brio
