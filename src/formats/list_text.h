// formats/: pure functions on byte strings: the list text, the list files' formats, column widths,
// network choices, statuses, the speed files, replaceAll and the integer reading rule. Uses no other
// folder of src/: no host, no platform, no I/O, so that every format can be fuzzed and measured alone.
//
// The list text kept in "Brio/list": one record per entry, with no header or terminator:
//   status digit, 0x0C, seconds in decimal, 0x0D, description bytes, 0x0E
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/status_entry.h"

namespace brio {

// One row as the list editor holds it: the status position (-1 when the row's status cannot be told)
// and the two column texts, written byte for byte.
struct ListRow {
    int32_t status = 0;
    std::string seconds;
    std::string description;
    bool operator==(const ListRow&) const = default;
};

constexpr size_t kListFieldLimit = 1023; // each column text is written cut to this many bytes

// Writes the rows. A row of unknown status is written as "5". A description byte 0x0E, which would end
// its record early and garble every record after it, is written as a blank.
std::string writeListText(const std::vector<ListRow>& rows);

// A record as the parse hands it on: the description is a view into the parsed text.
struct ListRecord {
    int32_t position; // 0-5
    int32_t seconds;  // at least 10
    std::string_view description;
};

// The one parse: hands each record on with its status position and corrected seconds. A status field
// outside 0-5 takes the status of the record before it (0 for the first). A record without its 0x0D or
// 0x0E ends the parse; the records before it are kept.
void parseListText(std::string_view text, const std::function<void(const ListRecord&)>& record);

// The editor's reader: rows with the corrected seconds in decimal.
std::vector<ListRow> readListRows(std::string_view text);

// The cycler's reader: entries whose status is the host status number.
std::vector<StatusEntry> buildCycleList(std::string_view text);

} // namespace brio
