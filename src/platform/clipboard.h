// The clipboard: one text at a time.
#pragma once

#include <string_view>

namespace brio::platform {

// Replaces the clipboard's contents with `text` (CF_TEXT, NUL-terminated). False, with the clipboard
// untouched, when it cannot be opened.
bool copyTextToClipboard(std::string_view text);

} // namespace brio::platform
