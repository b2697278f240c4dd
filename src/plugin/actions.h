// What Brio does when its pages, controls and menu items are used.
#pragma once

#include <optional>
#include <string_view>

#include "formats/status_entry.h"
#include "plugin/pages.h"

namespace brio {

struct PluginState;

// Handles one action notification record; reads and writes nothing beyond its `size`. Records
// shorter than a notification (30 bytes) are ignored.
void handleActionNotify(PluginState& state, void* record); // may write into a window host's record

// Before the controller goes: ends whatever activity still runs, so that no timer outlives it, and
// forgets the page state of this interface.
void endActions(PluginState& state);

// Forgets the page state of this interface without a word to the host (which may be gone).
void forgetActions();

// The entry that the "Lista" page's status choice, description and time fields describe, read by the
// integer reading rule with the time raised to at least 10 seconds; none when the description is
// empty. The status is taken as it is.
std::optional<StatusEntry> entryFromFields(std::string_view status, std::string_view description,
                                           std::string_view seconds);

} // namespace brio
