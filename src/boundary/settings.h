// Brio's persistent settings: columns of the host's configuration table.
#pragma once

#include <cstdint>

namespace brio {

class HostGateway;

namespace setting {
constexpr int32_t kCntIn = 445001;      // stealing also copies the contact's status
constexpr int32_t kNetChange = 445002;  // network choice text
constexpr int32_t kEmulePath = 445003;  // eMule's onlinesig.dat
constexpr int32_t kFormat = 445004;     // description pattern with the speed placeholders
constexpr int32_t kEmuleTimer = 445005; // seconds between two reads of a speed file
constexpr int32_t kList = 445006;       // list text
constexpr int32_t kColWidth = 445007;   // column widths text
constexpr int32_t kOrder = 445010;      // 0 in order, 1 from the end, 2 at random
constexpr int32_t kOnListEnd = 445011;  // 0 start again, 1 keep the last entry, 2 switch off
constexpr int32_t kAzureusFile = 445012;
// What the description setter could not give back yet (formats/own_records.h): kept here at once, so
// that a rebuild, a close or a crash of the messenger loses none of the user's own descriptions.
constexpr int32_t kKeptOwn = 445013;
} // namespace setting

// Declares the eleven columns, with their keys, kinds and defaults, in their fixed order.
void registerSettings(const HostGateway& host);

} // namespace brio
