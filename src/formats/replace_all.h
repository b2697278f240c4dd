#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brio {

// Replaces every occurrence of `placeholder` in `text` by `value`, byte for byte; the inserted value is
// never searched again. An empty placeholder leaves the text as it is.
//
// Into `out`, whose memory is reused when it is large enough (`out` must not hold `text`): false, with
// `out` empty, when the result would be longer than `limit` bytes. The size is found before anything is
// allocated, so a result that cannot be built costs nothing.
bool replaceAll(std::string& out, std::string_view text, std::string_view placeholder, std::string_view value,
                size_t limit);
// The same without a limit of the caller's: a result longer than a string can hold throws
// std::length_error.
std::string replaceAll(std::string_view text, std::string_view placeholder, std::string_view value);
void replaceAll(std::string& out, std::string_view text, std::string_view placeholder,
                std::string_view value);

// The size of a text of `textSize` bytes once `matches` placeholders of `placeholderSize` bytes in it
// are replaced by values of `valueSize` bytes; none when it would be longer than `limit` (or than
// size_t can count: nothing wraps).
std::optional<size_t> replacedSize(size_t textSize, size_t matches, size_t placeholderSize, size_t valueSize,
                                   size_t limit);

} // namespace brio
