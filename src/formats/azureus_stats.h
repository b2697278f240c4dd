// Azureus's statistics XML file, searched as plain bytes (no XML parsing: no entities, attributes,
// comments or character data sections; tags matched exactly and case-sensitively). Each speed is the
// content of the first "<TEXT>" ... "</TEXT>" pair inside the first "<DOWNLOAD_SPEED>" (or
// "<UPLOAD_SPEED>") element without its unit: the part before the value's last blank, or, in a value
// without a blank, all but its last six bytes.
#pragma once

#include <string_view>

#include "formats/speeds.h"

namespace brio {

// Never fails. A speed whose element is missing, whose element holds no "<TEXT>" ... "</TEXT>" pair,
// or whose value holds no blank and is six bytes or shorter, is the empty text; nothing is ever taken from
// outside the element. An element without its end tag runs to the end of the text.
SpeedViews cutAzureusStats(std::string_view text);
// Whether `text`, the start of a file, settles both speeds: it holds each element whole (the first
// start tag and the end tag behind it). A tag found first in a start of the file is the first in all of
// it, and a speed is taken from its element alone, so no bytes after `text` change what
// cutAzureusStats takes.
bool azureusSpeedsSettled(std::string_view text);
// Where in `text`, the start of a file, the bytes that may matter to the speeds begin: at the first start
// tag of an element, or where one may yet begin. The speeds are found from there on, so the bytes
// before it change nothing that cutAzureusStats takes from the file, however it goes on.
size_t azureusSpeedsFrom(std::string_view text);
// The same speeds as texts of their own.
Speeds parseAzureusStats(std::string_view text);

} // namespace brio
