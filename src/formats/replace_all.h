#pragma once

#include <string>
#include <string_view>

namespace brio {

// Replaces every occurrence of `placeholder` in `text` by `value`, byte for byte; the inserted value is
// never searched again. An empty placeholder leaves the text as it is.
std::string replaceAll(std::string_view text, std::string_view placeholder, std::string_view value);
// The same into `out`, whose memory is reused when it is large enough; `out` must not hold `text`.
void replaceAll(std::string& out, std::string_view text, std::string_view placeholder,
                std::string_view value);

} // namespace brio
